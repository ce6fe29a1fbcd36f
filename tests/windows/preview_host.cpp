// Plays the Display control panel for the end-to-end test of preview mode:
// makes a parent window, starts `saver /p <parent>`, checks the child it
// makes, throws input at it, then destroys the parent and expects the saver
// to end with 0. Usage: preview_host <saver>. Exit code 0 when all held.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const int clientWidth = 200;
const int clientHeight = 150;

void pump(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    MSG message;
    do {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

int fail(int code, const char* why)
{
    std::printf("FAIL %s\n", why);
    std::fflush(stdout);
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return fail(2, "usage: preview_host <saver>");

    WNDCLASSA panel;
    ZeroMemory(&panel, sizeof panel);
    panel.lpfnWndProc = DefWindowProcA;
    panel.hInstance = GetModuleHandleA(nullptr);
    panel.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    panel.lpszClassName = "CascadePreviewPanel";
    RegisterClassA(&panel);
    HWND parent = CreateWindowExA(0, "CascadePreviewPanel", "Display Properties", WS_POPUP | WS_VISIBLE, 0, 0,
                                  clientWidth, clientHeight, nullptr, nullptr, panel.hInstance, nullptr);
    if (!parent)
        return fail(3, "no parent window");

    std::string command = std::string("\"") + argv[1] + "\" /p " +
                          std::to_string(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(parent)));
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return fail(4, "saver did not start");

    HWND child = nullptr;
    for (int i = 0; i < 200 && !child; ++i) {
        pump(50);
        child = FindWindowExA(parent, nullptr, "WindowsScreenSaverClass", "Preview");
    }
    if (!child)
        return fail(5, "no Preview child window");
    RECT client;
    GetClientRect(child, &client);
    std::printf("child=%lu width=%ld height=%ld\n",
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(child)), client.right, client.bottom);
    if (client.right != clientWidth || client.bottom != clientHeight)
        return fail(6, "child does not fill the parent's client area");
    if (!(GetWindowLongPtrA(child, GWL_STYLE) & WS_CHILD))
        return fail(7, "preview is not a child window");

    // Input that would end the full-screen saver does not end a preview.
    PostMessageA(child, WM_KEYDOWN, 'A', 0);
    PostMessageA(child, WM_LBUTTONDOWN, 0, 0);
    PostMessageA(child, WM_ACTIVATEAPP, FALSE, 0);
    SetCursorPos(150, 120);
    PostMessageA(child, WM_MOUSEMOVE, 0, 0);
    SetCursorPos(10, 10);
    PostMessageA(child, WM_MOUSEMOVE, 0, 0);
    pump(1000);
    if (!IsWindow(child) || WaitForSingleObject(process.hProcess, 0) != WAIT_TIMEOUT)
        return fail(8, "preview ended on input");

    const DWORD destroyed = GetTickCount();
    DestroyWindow(parent);
    DWORD waited = WAIT_TIMEOUT;
    for (int i = 0; i < 200 && waited == WAIT_TIMEOUT; ++i) {
        pump(10);
        waited = WaitForSingleObject(process.hProcess, 40);
    }
    if (waited != WAIT_OBJECT_0)
        return fail(9, "saver still runs after its parent was destroyed");
    DWORD exitCode = 12345;
    GetExitCodeProcess(process.hProcess, &exitCode);
    std::printf("exit=%ld after_ms=%lu\n", static_cast<long>(exitCode), GetTickCount() - destroyed);
    if (exitCode != 0)
        return fail(10, "saver did not end with 0");
    std::printf("PASS\n");
    return 0;
}
