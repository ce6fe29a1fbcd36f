// The hook contract between the shell and the program: the program's three
// hooks, the only way the shell reaches it, and the shell's default
// procedure, the only way the program reaches the shell.
#pragma once

#include <windows.h>

// Every message of the saver window that the shell does not consume; hands
// what it does not handle to shellDefaultProc and returns that result.
LRESULT CALLBACK sceneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The configuration dialog's procedure (dialog resource 2003).
INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Called once before the configuration dialog; zero ends the mode with 0.
BOOL WINAPI registerConfigClasses(HINSTANCE module);

// The shell's handling of every message the hook leaves alone: the input
// that ends the saver, the password request, then the system's default.
LRESULT CALLBACK shellDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
