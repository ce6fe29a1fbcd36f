// Every function the saver hands to Windows, checked against the type Windows
// calls it through. On 32-bit x86 the calling convention is part of that type,
// and a procedure without CALLBACK that reached Windows through a cast would
// unbalance the stack on its first call; the 64-bit build cannot tell. So the
// 32-bit build refuses to compile rather than ship such a file.
#include "shell/saver_hooks.h"
#include "shell/saver_shell.h"

#include <imm.h>

#include <type_traits>

static_assert(std::is_same<decltype(&saverWindowProc), WNDPROC>::value, "the saver window's class procedure");
static_assert(std::is_same<decltype(&sceneWindowProc), WNDPROC>::value, "the window hook, a window procedure");
static_assert(std::is_same<decltype(&shellDefaultProc), WNDPROC>::value, "the shell's default procedure");
static_assert(std::is_same<decltype(&configDialogProc), DLGPROC>::value, "the settings dialog's procedure");
static_assert(std::is_same<decltype(&saverExceptionFilter), LPTOP_LEVEL_EXCEPTION_FILTER>::value,
              "the top-level exception filter");
static_assert(std::is_same<AssociateContextFn, decltype(&ImmAssociateContext)>::value,
              "IMM32's ImmAssociateContext");
// The password provider's entries have no system header; Windows 9x calls
// them, and they are called, with the window calling convention.
static_assert(std::is_same<VerifyPasswordFn, BOOL(__stdcall*)(HWND)>::value, "PASSWORD.CPL's VerifyScreenSavePwd");
static_assert(std::is_same<ChangePasswordFn, DWORD(__stdcall*)(LPCSTR, HWND, DWORD, LPVOID)>::value,
              "MPR.DLL's PwdChangePasswordA");
