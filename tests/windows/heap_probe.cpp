// Injected into the running saver by heap_probe_inject for the long run:
// every half second it appends "MILLISECONDS BYTES" to heap-probe.txt beside
// this DLL, the bytes in use in all of the process's heaps (the C runtime's
// malloc heap among them). Unlike the Wine process's resident pages, the
// figure moves only with what the Windows side holds, not with the machine's
// load or the GL driver's pools.
#include "module_path.h"

#include <windows.h>

namespace {

constexpr DWORD samplePeriodMs = 500;
constexpr DWORD maxHeaps = 64;

char reportPath[MAX_PATH + 32];

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

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    pathBesideModule(instance, "heap-probe.txt", reportPath);
    HANDLE thread = CreateThread(nullptr, 0, sample, nullptr, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    return TRUE;
}
