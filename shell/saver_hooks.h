// The program's side of the shell: the only way the shell reaches it.
#pragma once

#include <windows.h>

// Every message of the saver window that the shell does not consume; hands
// what it does not handle to shellDefaultProc and returns that result.
LRESULT CALLBACK sceneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The configuration dialog's procedure (dialog resource 2003).
INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Called once before the configuration dialog; zero ends the mode with 0.
BOOL WINAPI registerConfigClasses(HINSTANCE module);
