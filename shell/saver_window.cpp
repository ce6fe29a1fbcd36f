#include "shell/saver_shell.h"

#include "shell/resource_ids.h"

HWND saverWindow = nullptr;
int previewMode = 0;
UINT autoPlayMessage = 0;

const char saverClassName[] = "WindowsScreenSaverClass";
const char saverTitle[] = "Screen Saver";
const char previewTitle[] = "Preview";

BOOL registerSaverClass()
{
    WNDCLASSA saverClass;
    ZeroMemory(&saverClass, sizeof saverClass);
    saverClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    saverClass.lpfnWndProc = saverWindowProc;
    saverClass.hInstance = saverModule;
    saverClass.hIcon = LoadIconA(saverModule, MAKEINTRESOURCEA(SAVER_ICON_ID));
    saverClass.hCursor = nullptr;
    saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    saverClass.lpszClassName = saverClassName;
    return RegisterClassA(&saverClass) != 0;
}

HWND createSaverWindow(HWND parent)
{
    if (parent) {
        previewMode = 1;
        RECT client;
        GetClientRect(parent, &client);
        return CreateWindowExA(0, saverClassName, previewTitle, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                               0, client.right, client.bottom, parent, nullptr, saverModule, nullptr);
    }
    RECT screen;
    HDC screenDC = GetDC(nullptr);
    GetClipBox(screenDC, &screen);
    ReleaseDC(nullptr, screenDC);
    return CreateWindowExA(WS_EX_TOPMOST, saverClassName, saverTitle,
                           WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, screen.left, screen.top,
                           screen.right - screen.left, screen.bottom - screen.top, nullptr, nullptr,
                           saverModule, nullptr);
}

int runSaverWindow(HWND parent)
{
    if (!parent) {
        HWND running = FindWindowA(saverClassName, saverTitle);
        if (running && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
        loadPasswordProvider();
    }
    autoPlayMessage = isWin9x ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

    // A window mode that could make no window has not run: say so, rather
    // than end as if the user had closed it.
    int result = -1;
    if (registerSaverClass()) {
        saverWindow = createSaverWindow(parent);
        if (saverWindow) {
            if (!previewMode)
                SetForegroundWindow(saverWindow);
            MSG message;
            ZeroMemory(&message, sizeof message);
            while (GetMessageA(&message, nullptr, 0, 0) > 0) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            result = static_cast<int>(message.wParam);
        }
    }
    unloadPasswordProvider();
    return result;
}
