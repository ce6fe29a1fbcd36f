// Cascade has no settings: the dialog only closes.
#include "shell/saver_hooks.h"

namespace {

// The dialog's result, and with it the configuration mode's exit code.
constexpr INT_PTR closedWithOk = 1;
constexpr INT_PTR closedWithCancel = 0;

} // namespace

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        EndDialog(dialog, closedWithOk);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, closedWithCancel);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL WINAPI registerConfigClasses(HINSTANCE)
{
    return TRUE;
}
