#include "shell/saver_shell.h"

#include "front/saver_rules.h"
#include "shell/saver_hooks.h"

namespace {

// lastVerifyTick before the first password request.
constexpr DWORD noRequestYet = 0xFFFFFFFFu;
// A close this soon after the end of a password request is refused without
// asking again.
constexpr DWORD verifyQuietMs = 200;
// Power notices rather than power events: Windows sends them when a laptop
// switches between mains and battery, at every battery level step and for
// registered settings, with nobody at the machine. Spelled out because the
// headers of older systems lack the second.
constexpr WPARAM powerStatusNotice = 0x000A;   // PBT_APMPOWERSTATUSCHANGE
constexpr WPARAM powerSettingNotice = 0x8013;  // PBT_POWERSETTINGCHANGE

} // namespace

int closeApproved = 0;
int verifying = 0;
POINT cursorStart = {0, 0};
const DWORD moveThreshold = pointerTravelLimitPixels;
DWORD lastVerifyTick = noRequestYet;
HMODULE imeLibrary = nullptr;
AssociateContextFn associateContext = nullptr;
HIMC savedInputContext = nullptr;

namespace {

void requestClose(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void detachInputContext(HWND window)
{
    // Only if the input method is already in the process: loading it just to
    // detach it would be wasted.
    imeLibrary = GetModuleHandleA("IMM32.DLL");
    if (!imeLibrary)
        return;
    associateContext = reinterpret_cast<AssociateContextFn>(
        reinterpret_cast<void*>(GetProcAddress(imeLibrary, "ImmAssociateContext")));
    if (associateContext)
        savedInputContext = associateContext(window, nullptr);
}

void restoreInputContext(HWND window)
{
    if (imeLibrary && associateContext && savedInputContext)
        associateContext(window, savedInputContext);
}

void closeOnMouseTravel(HWND window)
{
    POINT now;
    // It fails while another desktop has the input (NT): that is no movement.
    if (!GetCursorPos(&now))
        return;
    if (pointerTravelledPast(cursorStart.x, cursorStart.y, now.x, now.y, moveThreshold)) {
        requestClose(window);
        cursorStart = now;
    }
}

LRESULT tail(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != 0 && message == autoPlayMessage) {
        requestClose(window);
        return verifyPassword ? 1 : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

DWORD ticksSince(DWORD earlier, DWORD later)
{
    return later - earlier;
}

int verifyOnClose(HWND window)
{
    if (verifying || closeApproved)
        return 0;
    if (!verifyPassword) {
        closeApproved = 1;
        return 1;
    }
    const DWORD now = GetTickCount();
    if (lastVerifyTick != noRequestYet && ticksSince(lastVerifyTick, now) < verifyQuietMs)
        return closeApproved;

    verifying = 1;
    // Frames queued before the dialog would only delay it.
    MSG discarded;
    PeekMessageA(&discarded, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    // Again: a WM_TIMER posted to the queue comes out before the timer's own
    // due tick, which the first call then leaves behind.
    PeekMessageA(&discarded, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    closeApproved = static_cast<int>(SendMessageA(window, WM_APP, 0, 0));
    verifying = 0;
    if (!closeApproved)
        SetCursor(nullptr);
    lastVerifyTick = GetTickCount();
    return closeApproved;
}

LRESULT CALLBACK shellDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (previewMode || closeApproved)
        return tail(window, message, wParam, lParam);

    if (message == WM_CLOSE) {
        if (isWin9x && !verifyOnClose(window)) {
            GetCursorPos(&cursorStart);
            return 0;
        }
        return tail(window, message, wParam, lParam);
    }
    if (message == WM_APP) {
        if (isWin9x)
            return verifyPassword ? verifyPassword(window) : 1;
        return tail(window, message, wParam, lParam);
    }
    if (verifying)
        return tail(window, message, wParam, lParam);

    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam)
            SetCursor(nullptr);
        break;
    case WM_ACTIVATEAPP:
        if (!wParam)
            requestClose(window);
        break;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return 1;
    case WM_POWER:
        if (wParam == PWR_CRITICALRESUME)
            requestClose(window);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        requestClose(window);
        break;
    case WM_POWERBROADCAST:
        if (wParam != powerStatusNotice && wParam != powerSettingNotice)
            requestClose(window);
        break;
    case WM_MOUSEMOVE:
        closeOnMouseTravel(window);
        break;
    default:
        break;
    }
    return tail(window, message, wParam, lParam);
}

namespace {

LRESULT routeSaverMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETTEXT:
        return 0;
    case WM_CREATE:
        detachInputContext(window);
        GetCursorPos(&cursorStart);
        if (!previewMode)
            SetCursor(nullptr);
        break;
    case WM_DESTROY:
        restoreInputContext(window);
        PostQuitMessage(0);
        break;
    case WM_PAINT:
        if (closeApproved)
            return DefWindowProcA(window, message, wParam, lParam);
        if (!previewMode)
            SetCursor(nullptr);
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (previewMode) {
            HWND parent = GetParent(window);
            if (parent && IsWindow(parent))
                PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
            return 1;
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (closeApproved)
            return DefWindowProcA(window, message, wParam, lParam);
        break;
    case WM_SYSCOMMAND:
        if (!previewMode && (wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_SCREENSAVE))
            return 0;
        break;
    case WM_TIMER:
        if (closeApproved)
            return 0;
        Sleep(0);
        break;
    default:
        break;
    }
    return sceneWindowProc(window, message, wParam, lParam);
}

// The saver cannot go on after a C++ exception, and the exception cannot go
// on either: it would be lost in the system's frames that called the window
// procedure, or end the process with the running flag still on. End the
// saver here as a failed run.
LRESULT endAfterException(HWND window, UINT message)
{
    clearOwnSaverRunning();
    if (message == WM_NCCREATE || message == WM_CREATE) {
        PostQuitMessage(-1);
        // Creation fails and the system destroys the window.
        return message == WM_CREATE ? -1 : FALSE;
    }
    if (message != WM_DESTROY && message != WM_NCDESTROY)
        DestroyWindow(window);
    // After the destruction's own quit request, so this code is the one kept.
    PostQuitMessage(-1);
    return 0;
}

} // namespace

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        return routeSaverMessage(window, message, wParam, lParam);
    } catch (...) {
        return endAfterException(window, message);
    }
}
