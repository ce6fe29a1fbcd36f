// Loaded into the running saver by heap_probe_inject for the long run: the
// first call of its message hook, in the saver's own thread, starts a thread
// that every half second appends "MILLISECONDS BYTES" to heap-probe.txt beside
// this DLL, the bytes in use in all of the process's heaps (the C runtime's
// malloc heap among them). Unlike the Wine process's resident pages, the
// figure moves only with what the Windows side holds, not with the machine's
// load or the GL driver's pools.
#include "heap_probe.h"
#include "module_path.h"

#include <windows.h>

namespace {

constexpr DWORD samplePeriodMs = 500;
constexpr DWORD maxHeaps = 64;

char reportPath[MAX_PATH + 32];
LONG started = 0;

unsigned long long bytesInUse()
{
    HANDLE heaps[maxHeaps];
    DWORD count = GetProcessHeaps(maxHeaps, heaps);
    if (count > maxHeaps)
        count = maxHeaps;
    unsigned long long total = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

DWORD WINAPI sample(LPVOID)
{
    for (;;) {
        char line[64];
        const int length = wsprintfA(line, "%I64u %I64u\r\n", GetTickCount64(), bytesInUse());
        HANDLE file = CreateFileA(reportPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
            CloseHandle(file);
        }
        Sleep(samplePeriodMs);
    }
}

void startSampling()
{
    // Windows unloads a hook's DLL once the hook is gone, and later Wines
    // after each call that loaded it (Wine 8 keeps it): the sampling thread
    // outlives both.
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                            reinterpret_cast<LPCSTR>(&sample), &self))
        return;
    pathBesideModule(self, "heap-probe.txt", reportPath);
    HANDLE thread = CreateThread(nullptr, 0, sample, nullptr, 0, nullptr);
    if (!thread)
        return;
    CloseHandle(thread);
    HANDLE sampling = OpenEventA(EVENT_MODIFY_STATE, FALSE, heapProbeSamplingEvent);
    if (sampling) {
        SetEvent(sampling);
        CloseHandle(sampling);
    }
}

} // namespace

// Runs only in the thread heap_probe_inject hooked; the injector itself loads
// the DLL too, for the hook's address, and must not sample.
extern "C" __declspec(dllexport) LRESULT CALLBACK heapProbeHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (InterlockedExchange(&started, 1) == 0)
        startSampling();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
