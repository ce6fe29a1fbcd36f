// heap_probe_inject NAME: loads heap_probe.dll (beside this program) into the
// running process whose image is NAME, the way an accessibility tool would:
// a message hook on the thread of NAME's window, which that thread's next
// message runs. The long run measures the saver's heap from inside without
// the product knowing anything of it. Exit code 0 once the probe samples.
//
// Not a remote thread: Wine makes one by interrupting a thread of the target
// with a signal and creating the thread in the handler, which deadlocks when
// the signal lands inside malloc, as it does in a saver that is nearly always
// in the GL driver.
#include "heap_probe.h"
#include "module_path.h"

#include <windows.h>

#include <tlhelp32.h>

#include <cstdarg>
#include <cstdio>

namespace {

constexpr DWORD loadWaitMs = 20000;

// Each step said as it is reached, out at once: a run that hangs shows where.
void step(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::fflush(stdout);
}

DWORD findProcess(const char* name)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, name) == 0)
            found = entry.th32ProcessID;
    CloseHandle(snapshot);
    return found;
}

struct WindowSearch {
    DWORD process;
    DWORD thread;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM search)
{
    auto* s = reinterpret_cast<WindowSearch*>(search);
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &process);
    if (process != s->process || !IsWindowVisible(window))
        return TRUE;
    s->thread = thread;
    return FALSE;
}

// The thread that retrieves the messages of the process's visible window:
// the one a message hook runs in.
DWORD findWindowThread(DWORD process)
{
    WindowSearch search{process, 0};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.thread;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: heap_probe_inject IMAGE-NAME\n");
        return 2;
    }
    char dll[MAX_PATH + 32];
    pathBesideModule(nullptr, "heap_probe.dll", dll);

    step("finding %s; ", argv[1]);
    const DWORD pid = findProcess(argv[1]);
    const DWORD thread = pid ? findWindowThread(pid) : 0;
    if (!thread) {
        std::printf("no process %s with a window\n", argv[1]);
        return 1;
    }
    HANDLE sampling = CreateEventA(nullptr, TRUE, FALSE, heapProbeSamplingEvent);
    HMODULE module = LoadLibraryA(dll);
    FARPROC procedure = module ? GetProcAddress(module, heapProbeHookName) : nullptr;
    const auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(procedure));
    step("pid %lu; hooking thread %lu; ", pid, thread);
    HHOOK hooked = sampling && hook ? SetWindowsHookExA(WH_GETMESSAGE, hook, module, thread) : nullptr;
    bool loaded = false;
    if (hooked) {
        step("waiting; ");
        loaded = WaitForSingleObject(sampling, loadWaitMs) == WAIT_OBJECT_0;
        UnhookWindowsHookEx(hooked);
    }
    if (sampling)
        CloseHandle(sampling);
    std::printf("%s %s into %s (pid %lu)\n", dll, loaded ? "loaded" : "NOT loaded", argv[1], pid);
    return loaded ? 0 : 1;
}
