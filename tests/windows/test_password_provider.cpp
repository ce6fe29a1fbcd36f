// The system's password libraries as the end-to-end tests play them: copied
// into the test prefix's system directory as PASSWORD.CPL (the verifier) and
// as MPR.DLL (the password change). The test scripts the verifier's answers
// and reads back a log of every call:
//   CASCADE_TEST_PASSWORD_ANSWERS  one character per request, '0' refuses,
//                                  anything else (or none left) accepts
//   CASCADE_TEST_PASSWORD_RECLOSE  when set, a refusal asks to close again
//                                  right away, as an impatient user would
//   CASCADE_TEST_PASSWORD_LOG      file that gets one line per request
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
int requests = 0;
HMODULE self = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window)
{
    ++requests;
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    const char* answers = std::getenv("CASCADE_TEST_PASSWORD_ANSWERS");
    const bool accept = !(answers && static_cast<int>(std::strlen(answers)) >= requests &&
                          answers[requests - 1] == '0');

    if (const char* logPath = std::getenv("CASCADE_TEST_PASSWORD_LOG")) {
        if (FILE* log = std::fopen(logPath, "a")) {
            char title[64] = {};
            GetWindowTextA(window, title, sizeof title);
            for (char* c = title; *c; ++c)
                if (*c == ' ')
                    *c = '_';
            char path[MAX_PATH] = {};
            GetModuleFileNameA(self, path, MAX_PATH);
            std::fprintf(log, "request=%d running=%d cursor=%s window=%s answer=%d path=%s\n", requests,
                         running ? 1 : 0, GetCursor() ? "shown" : "hidden", title, accept ? 1 : 0, path);
            std::fclose(log);
        }
    }
    if (!accept && std::getenv("CASCADE_TEST_PASSWORD_RECLOSE"))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return accept ? TRUE : FALSE;
}

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD flags,
                                                                 LPVOID reserved)
{
    if (const char* logPath = std::getenv("CASCADE_TEST_PASSWORD_LOG")) {
        if (FILE* log = std::fopen(logPath, "a")) {
            char path[MAX_PATH] = {};
            GetModuleFileNameA(self, path, MAX_PATH);
            std::fprintf(log, "change provider=%s owner=%lu flags=%lu reserved=%d path=%s\n", provider,
                         static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(owner)),
                         static_cast<unsigned long>(flags), reserved ? 1 : 0, path);
            std::fclose(log);
        }
    }
    return 0;
}
