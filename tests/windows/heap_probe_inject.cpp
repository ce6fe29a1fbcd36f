// heap_probe_inject NAME: loads heap_probe.dll (beside this program) into the
// running process whose image is NAME, the way a debugger's helper would:
// the long run measures the saver's heap from inside without the product
// knowing anything of it. Exit code 0 once the DLL is loaded.
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
    HANDLE process = pid ? OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid) : nullptr;
    if (!process) {
        std::printf("no process %s\n", argv[1]);
        return 1;
    }
    const SIZE_T size = static_cast<SIZE_T>(lstrlenA(dll)) + 1;
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    const auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
    step("pid %lu; writing the path; ", pid);
    const bool written = remote && WriteProcessMemory(process, remote, dll, size, nullptr);
    if (written)
        step("starting the loading thread; ");
    HANDLE thread = written ? CreateRemoteThread(process, nullptr, 0, load, remote, 0, nullptr) : nullptr;
    DWORD loaded = 0;
    if (thread) {
        step("waiting; ");
        WaitForSingleObject(thread, loadWaitMs);
        GetExitCodeThread(thread, &loaded);
        CloseHandle(thread);
    }
    CloseHandle(process);
    std::printf("%s %s into %s (pid %lu)\n", dll, loaded ? "loaded" : "NOT loaded", argv[1], pid);
    return loaded ? 0 : 1;
}
