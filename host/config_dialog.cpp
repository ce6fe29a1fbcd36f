// Cascade has no settings: the dialog only closes.
#include "shell/saver_hooks.h"

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        EndDialog(dialog, 1);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL WINAPI registerConfigClasses(HINSTANCE)
{
    return TRUE;
}
