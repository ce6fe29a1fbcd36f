#include "shell/saver_shell.h"

#include "win32/command_line.h"
#include "shell/resource_ids.h"
#include "shell/saver_hooks.h"
#include "win32/system_library.h"

HINSTANCE saverModule = nullptr;
int isWin9x = 0;

namespace {

// The filter saverMain replaced: MinGW's start-up installs one of its own.
LPTOP_LEVEL_EXCEPTION_FILTER replacedExceptionFilter = nullptr;

int startupShowCommand()
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

// CharNextA has the window calling convention; the scanner takes a plain one.
const char* charNext(const char* text)
{
    return CharNextA(text);
}

} // namespace

void saverEntry()
{
    const char* text = cmdline::skipProgramName(GetCommandLineA(), charNext);
    const int result = saverMain(GetModuleHandleA(nullptr), nullptr, text, startupShowCommand());
    // Ends here on purpose: no exit processing, no static destructors.
    ExitProcess(static_cast<UINT>(result));
}

LONG WINAPI saverExceptionFilter(EXCEPTION_POINTERS* info)
{
    // The system would leave its running flag on for good if a crash ended
    // the saver while the password provider had it set. Cleared first, since
    // the filter before ours may end the process. The crash itself is still
    // the runtime's and the system's to handle and report.
    clearOwnSaverRunning();
    return replacedExceptionFilter ? replacedExceptionFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

int saverMain(HINSTANCE module, HINSTANCE, const char* arguments, int)
{
    saverModule = module;

    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    isWin9x = (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) ? 1 : 0;

    // GCC has no structured exception handling: a system exception that
    // escapes a mode reaches the process's top-level filter instead.
    const LPTOP_LEVEL_EXCEPTION_FILTER replaced = SetUnhandledExceptionFilter(saverExceptionFilter);
    // Installed again by a second call in one process: chaining to itself
    // would never end.
    if (replaced != &saverExceptionFilter)
        replacedExceptionFilter = replaced;
    try {
        return runMode(arguments);
    } catch (...) {
        clearOwnSaverRunning();
        return -1;
    }
}

int runMode(const char* arguments)
{
    const cmdline::SwitchScan scan = cmdline::scanSwitch(arguments);
    switch (scan.mode) {
    case cmdline::SaverSwitch::ConfigNoOwner:
        return runConfig(nullptr);
    case cmdline::SaverSwitch::ChangePassword:
        return isWin9x ? runChangePassword(scan.rest) : -1;
    case cmdline::SaverSwitch::Config: {
        HWND owner = scan.rest ? parseWindowHandle(scan.rest) : nullptr;
        if (!owner || !IsWindow(owner))
            owner = GetForegroundWindow();
        return runConfig(owner);
    }
    case cmdline::SaverSwitch::Preview:
        return runPreview(scan.rest);
    case cmdline::SaverSwitch::Saver:
        return runSaverWindow(nullptr);
    case cmdline::SaverSwitch::Invalid:
        break;
    }
    return -1;
}

HWND parseWindowHandle(const char* text)
{
    // Window handles are 32-bit values on every Windows, 64-bit included.
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(cmdline::scanHandleDigits(text)));
}

int runPreview(const char* text)
{
    HWND parent = parseWindowHandle(text);
    if (!parent || !IsWindow(parent))
        return -1;
    return runSaverWindow(parent);
}

int runConfig(HWND owner)
{
    if (!registerConfigClasses(saverModule))
        return 0;
    return static_cast<int>(DialogBoxParamA(saverModule, MAKEINTRESOURCEA(CONFIG_DIALOG_ID), owner,
                                            configDialogProc, 0));
}

int runChangePassword(const char* text)
{
    HWND owner = parseWindowHandle(text);
    if (!owner || !IsWindow(owner))
        owner = GetForegroundWindow();
    changePassword(owner);
    return 0;
}

void changePassword(HWND owner)
{
    HMODULE library = loadSystemLibrary("MPR.DLL");
    if (!library)
        return;
    auto entry = reinterpret_cast<ChangePasswordFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "PwdChangePasswordA")));
    if (entry)
        entry("SCRSAVE", owner, 0, nullptr);
    FreeLibrary(library);
}
