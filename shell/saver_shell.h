// The screen-saver shell: start-up, the modes, the saver window's behaviour.
// Its state is one set of module variables per process (there is at most one
// saver window); tests set them directly to put the shell in a given state.
#pragma once

#include <windows.h>

using VerifyPasswordFn = BOOL(WINAPI*)(HWND);
using AssociateContextFn = HIMC(WINAPI*)(HWND, HIMC);
using ChangePasswordFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);

extern HINSTANCE saverModule;
extern int isWin9x;
extern HWND saverWindow;
extern int previewMode;
extern int closeApproved;
extern int verifying;
extern HMODULE passwordLibrary;
extern VerifyPasswordFn verifyPassword;
extern UINT autoPlayMessage;

extern POINT cursorStart;
extern const DWORD moveThreshold;
extern DWORD lastVerifyTick;
extern HMODULE imeLibrary;
extern AssociateContextFn associateContext;
extern HIMC savedInputContext;

extern const char saverClassName[];   // "WindowsScreenSaverClass"
extern const char saverTitle[];       // "Screen Saver"
extern const char previewTitle[];     // "Preview"

// Start-up and modes.
[[noreturn]] void saverEntry();
int saverMain(HINSTANCE module, HINSTANCE previous, const char* arguments, int show);
int runMode(const char* arguments);
HWND parseWindowHandle(const char* text);
int runSaverWindow(HWND parent);
int runPreview(const char* text);
int runConfig(HWND owner);
int runChangePassword(const char* text);
void changePassword(HWND owner);
LONG WINAPI saverExceptionFilter(EXCEPTION_POINTERS* info);

// The window class and the window of the two window modes, as runSaverWindow
// makes them before its message loop.
BOOL registerSaverClass();
HWND createSaverWindow(HWND parent);

// The system's password provider (Windows 9x only).
void loadPasswordProvider();
void unloadPasswordProvider();
void setSaverRunning(BOOL on);
// Turns the running flag off only where this process turned it on; for the
// paths that end the saver without unloading the provider.
void clearOwnSaverRunning();

// The saver window's message chain.
LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int verifyOnClose(HWND window);
DWORD ticksSince(DWORD earlier, DWORD later);
