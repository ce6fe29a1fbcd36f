#include "shell_test_support.h"

#include "shell/saver_shell.h"
#include "stub_program_hook.h"

namespace support {

void resetShell()
{
    UnregisterClassA(saverClassName, GetModuleHandleA(nullptr));
    saverModule = GetModuleHandleA(nullptr);
    isWin9x = 0;
    saverWindow = nullptr;
    previewMode = 0;
    closeApproved = 0;
    verifying = 0;
    passwordLibrary = nullptr;
    verifyPassword = nullptr;
    autoPlayMessage = 0;
    cursorStart = POINT{0, 0};
    lastVerifyTick = 0xFFFFFFFFu;
    imeLibrary = nullptr;
    associateContext = nullptr;
    savedInputContext = nullptr;
    stubhook::reset();
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
    }
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

HWND makeTopLevel(const char* title, int clientWidth, int clientHeight)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA plain;
        ZeroMemory(&plain, sizeof plain);
        plain.lpfnWndProc = DefWindowProcA;
        plain.hInstance = GetModuleHandleA(nullptr);
        plain.lpszClassName = "CascadeTestWindow";
        RegisterClassA(&plain);
        registered = true;
    }
    RECT frame = {0, 0, clientWidth, clientHeight};
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExA(0, "CascadeTestWindow", title, style, 10, 10, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    // Without a window manager the frame may differ: make the client exact.
    RECT client;
    GetClientRect(window, &client);
    if (client.right != clientWidth || client.bottom != clientHeight) {
        RECT outer;
        GetWindowRect(window, &outer);
        SetWindowPos(window, nullptr, 0, 0, (outer.right - outer.left) + clientWidth - client.right,
                     (outer.bottom - outer.top) + clientHeight - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    }
    return window;
}

bool takeClose(HWND window)
{
    MSG message;
    return PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
}

void dropCloses(HWND window)
{
    while (takeClose(window)) {
    }
}

void pump(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < milliseconds) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
}

} // namespace support
