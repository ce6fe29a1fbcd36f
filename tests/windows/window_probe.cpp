// Reports on the saver's windows from another process, for the end-to-end
// tests: `window_probe saver` describes the full-screen window, `window_probe
// running` the system's screen-saver-running flag, `window_probe dialog` the
// settings dialog, `window_probe reset-running` clears that flag, `window_probe
// desktop` prints the desktop window's handle. Exit code 0 when the window asked about exists.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const char* what = argc > 1 ? argv[1] : "saver";
    if (std::strcmp(what, "running") == 0) {
        BOOL running = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
        std::printf("running=%d\n", running ? 1 : 0);
        return 0;
    }
    if (std::strcmp(what, "desktop") == 0) {
        std::printf("desktop=%lu\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(GetDesktopWindow())));
        return 0;
    }
    if (std::strcmp(what, "reset-running") == 0) {
        UINT previous = 0;
        SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);
        return 0;
    }
    if (std::strcmp(what, "dialog") == 0) {
        HWND dialog = FindWindowA("#32770", "Cascade");
        std::printf("found=%d foreground=%d\n", dialog ? 1 : 0, dialog && GetForegroundWindow() == dialog ? 1 : 0);
        return dialog ? 0 : 1;
    }
    HWND saver = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
    if (!saver) {
        std::printf("found=0\n");
        return 1;
    }
    RECT frame;
    GetWindowRect(saver, &frame);
    const LONG_PTR style = GetWindowLongPtrA(saver, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrA(saver, GWL_EXSTYLE);
    std::printf("found=1 topmost=%d popup=%d visible=%d foreground=%d x=%ld y=%ld width=%ld height=%ld "
                "screen_width=%d screen_height=%d monitors=%d virtual_x=%d virtual_y=%d virtual_width=%d "
                "virtual_height=%d\n",
                (exStyle & WS_EX_TOPMOST) ? 1 : 0, (style & WS_POPUP) ? 1 : 0, IsWindowVisible(saver) ? 1 : 0,
                GetForegroundWindow() == saver ? 1 : 0, frame.left, frame.top, frame.right - frame.left,
                frame.bottom - frame.top, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                GetSystemMetrics(SM_CMONITORS), GetSystemMetrics(SM_XVIRTUALSCREEN),
                GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
                GetSystemMetrics(SM_CYVIRTUALSCREEN));
    return 0;
}
