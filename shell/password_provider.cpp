#include "shell/saver_shell.h"

#include "win32/system_library.h"

HMODULE passwordLibrary = nullptr;
VerifyPasswordFn verifyPassword = nullptr;

void setSaverRunning(BOOL on)
{
    if (!isWin9x)
        return;
    UINT previous = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, on, &previous, 0);
}

void clearOwnSaverRunning()
{
    // The flag is set exactly while this process has a verifier loaded; a
    // preview or a second process must not clear the flag of a saver that
    // guards the desktop with a password.
    if (verifyPassword)
        setSaverRunning(FALSE);
}

void loadPasswordProvider()
{
    if (!isWin9x)
        return;
    if (passwordLibrary)
        unloadPasswordProvider();

    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS)
        return;
    BYTE value[4] = {0, 0, 0, 0};
    DWORD size = sizeof value;
    const LONG read = RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr, value, &size);
    const bool passwordOn = read == ERROR_SUCCESS && (value[0] | value[1] | value[2] | value[3]) != 0;
    if (passwordOn) {
        passwordLibrary = loadSystemLibrary("PASSWORD.CPL");
        if (passwordLibrary) {
            verifyPassword = reinterpret_cast<VerifyPasswordFn>(
                reinterpret_cast<void*>(GetProcAddress(passwordLibrary, "VerifyScreenSavePwd")));
            if (verifyPassword)
                setSaverRunning(TRUE);
            else
                unloadPasswordProvider();
        }
    }
    RegCloseKey(key);
}

void unloadPasswordProvider()
{
    if (!isWin9x || !passwordLibrary)
        return;
    FreeLibrary(passwordLibrary);
    passwordLibrary = nullptr;
    if (verifyPassword) {
        verifyPassword = nullptr;
        setSaverRunning(FALSE);
    }
}
