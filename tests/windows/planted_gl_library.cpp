// A stand-in for a malicious opengl32.dll or glu32.dll dropped beside a saver:
// the end-to-end tests plant it and fail if any process ever loads it. On
// load it appends its own path and its host program's to a marker file
// beside itself.
#include <windows.h>

#include "module_path.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char self[MAX_PATH] = {};
    char program[MAX_PATH] = {};
    GetModuleFileNameA(instance, self, MAX_PATH);
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    char marker[MAX_PATH + 32] = {};
    pathBesideModule(instance, "planted-dll-loaded.txt", marker);
    HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, self, lstrlenA(self), &written, nullptr);
        WriteFile(file, " loaded by ", 11, &written, nullptr);
        WriteFile(file, program, lstrlenA(program), &written, nullptr);
        WriteFile(file, "\r\n", 2, &written, nullptr);
        CloseHandle(file);
    }
    return TRUE;
}
