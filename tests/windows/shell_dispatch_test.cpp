// The command-line dispatch of the shell, run for real: each window mode
// makes its window and message loop, and the stub hook ends the window.
#include "shell/saver_shell.h"
#include "shell_test_support.h"
#include "stub_program_hook.h"

#include <gtest/gtest.h>

#include <winternl.h>

#include <string>
#include <vector>

namespace {

// Records the libraries the process loads while it lives, from the loader's
// own notifications.
class LibraryWatch {
public:
    LibraryWatch()
    {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        auto registerWatch = reinterpret_cast<RegisterFn>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrRegisterDllNotification")));
        unregisterWatch = reinterpret_cast<UnregisterFn>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrUnregisterDllNotification")));
        EXPECT_TRUE(registerWatch && unregisterWatch);
        if (registerWatch && registerWatch(0, &LibraryWatch::notice, this, &cookie) != 0)
            cookie = nullptr;
        EXPECT_NE(nullptr, cookie);
    }
    ~LibraryWatch()
    {
        if (cookie)
            unregisterWatch(cookie);
    }

    // "load PATH" or "unload PATH" for each event of the library with this
    // lower-case file name, the full path in lower case.
    std::vector<std::string> of(const std::string& baseName) const
    {
        std::vector<std::string> matching;
        for (const Event& event : events)
            if (event.baseName == baseName)
                matching.push_back((event.loaded ? "load " : "unload ") + event.path);
        return matching;
    }

private:
    struct Data {
        ULONG flags;
        const UNICODE_STRING* fullName;
        const UNICODE_STRING* baseName;
        void* base;
        ULONG size;
    };
    using NoticeFn = VOID(CALLBACK*)(ULONG, const Data*, void*);
    using RegisterFn = LONG(NTAPI*)(ULONG, NoticeFn, void*, void**);
    using UnregisterFn = LONG(NTAPI*)(void*);
    struct Event {
        bool loaded;
        std::string baseName;
        std::string path;
    };

    static std::string lower(const UNICODE_STRING* text)
    {
        std::string result;
        for (USHORT i = 0; i < text->Length / sizeof(WCHAR); ++i) {
            const WCHAR c = text->Buffer[i];
            result += static_cast<char>(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
        }
        return result;
    }
    static VOID CALLBACK notice(ULONG reason, const Data* data, void* context)
    {
        // 1: loaded, 2: unloaded.
        static_cast<LibraryWatch*>(context)->events.push_back(
            Event{reason == 1, lower(data->baseName), lower(data->fullName)});
    }

    UnregisterFn unregisterWatch = nullptr;
    void* cookie = nullptr;
    std::vector<Event> events;
};

std::string systemFile(const char* name)
{
    char directory[MAX_PATH] = {};
    GetSystemDirectoryA(directory, MAX_PATH);
    std::string path = std::string(directory) + "\\" + name;
    for (char& c : path)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return path;
}

BOOL WINAPI neverVerify(HWND)
{
    ADD_FAILURE() << "the password verifier was called";
    return FALSE;
}

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        support::resetShell();
        stubhook::destroyAfterCreate = true;
        parent = support::makeTopLevel("Display Properties", 152, 112);
        ASSERT_TRUE(IsWindow(parent));
    }
    void TearDown() override
    {
        DestroyWindow(parent);
        support::resetShell();
    }

    int run(const std::string& arguments)
    {
        support::resetShell();
        stubhook::destroyAfterCreate = true;
        return saverMain(GetModuleHandleA(nullptr), nullptr, arguments.c_str(), SW_SHOWNORMAL);
    }

    std::string handle(HWND window) const
    {
        return std::to_string(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
    }

    bool madeWindow() const { return stubhook::sawMessage(WM_CREATE); }

    HWND parent = nullptr;
};

TEST_F(Dispatch, EmptyOrSeparatorOnlyArgumentsOpenTheDialogWithoutOwner)
{
    for (const char* text : {"", "  /  -", "/", "-", " "}) {
        SCOPED_TRACE(std::string("arguments '") + text + "'");
        EXPECT_EQ(42, run(text));
        EXPECT_EQ(1, stubhook::registerCalls);
        EXPECT_EQ(1, stubhook::dialogCalls);
        EXPECT_EQ(nullptr, stubhook::dialogOwner);
        EXPECT_FALSE(madeWindow());
    }
}

TEST_F(Dispatch, EverySpellingOfTheSaverSwitchStartsTheFullScreenWindow)
{
    // Every monitor, not only the primary one.
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    for (const char* text : {"/s", "-S", "s", "//s", "/save", "/screensaver", " -/ s"}) {
        SCOPED_TRACE(std::string("arguments '") + text + "'");
        EXPECT_EQ(0, run(text));
        ASSERT_TRUE(madeWindow());
        EXPECT_EQ(nullptr, stubhook::createdParent);
        EXPECT_EQ(left, stubhook::createdFrame.left);
        EXPECT_EQ(top, stubhook::createdFrame.top);
        EXPECT_EQ(width, stubhook::createdClient.right);
        EXPECT_EQ(height, stubhook::createdClient.bottom);
        EXPECT_EQ(0, previewMode);
        EXPECT_FALSE(IsWindow(stubhook::createdWindow));
    }
}

TEST_F(Dispatch, PreviewFormsMakeAChildFillingTheParent)
{
    const std::string h = handle(parent);
    for (const std::string& text : {"/p " + h, "/p" + h, "/P   " + h, "/l " + h, "-L" + h, "/p " + h + "ab"}) {
        SCOPED_TRACE("arguments '" + text + "'");
        EXPECT_EQ(0, run(text));
        ASSERT_TRUE(madeWindow());
        EXPECT_EQ(parent, stubhook::createdParent);
        EXPECT_EQ(152, stubhook::createdClient.right);
        EXPECT_EQ(112, stubhook::createdClient.bottom);
        EXPECT_EQ(1, previewMode);
    }
}

TEST_F(Dispatch, PreviewWithoutAUsableHandleEndsWithMinusOne)
{
    const std::string h = handle(parent);
    for (const std::string& text : {"/p:" + h, std::string("/p"), std::string("/p "), std::string("/p 999999"),
                                    std::string("/p 0"), std::string("/p x") + h}) {
        SCOPED_TRACE("arguments '" + text + "'");
        EXPECT_EQ(-1, run(text));
        EXPECT_FALSE(madeWindow());
        // Refused before any window work: a handle that is no window never
        // reaches the creation, which would fail on it just the same.
        EXPECT_EQ(0, previewMode);
        EXPECT_FALSE(UnregisterClassA(saverClassName, GetModuleHandleA(nullptr)));
    }
}

TEST_F(Dispatch, ConfigOwnerIsTheGivenWindowOrElseTheForegroundWindow)
{
    HWND other = support::makeTopLevel("Other", 50, 50);

    EXPECT_EQ(42, run("/c:" + handle(parent)));
    EXPECT_EQ(parent, stubhook::dialogOwner);

    for (const std::string& text : {"/c " + handle(parent), "/c: " + handle(parent), std::string("/c:999999"),
                                    std::string("/c"), std::string("/C:")}) {
        SCOPED_TRACE("arguments '" + text + "'");
        SetForegroundWindow(other);
        support::pump(20);
        ASSERT_EQ(other, GetForegroundWindow());
        EXPECT_EQ(42, run(text));
        EXPECT_EQ(1, stubhook::dialogCalls);
        EXPECT_EQ(other, stubhook::dialogOwner);
    }
    DestroyWindow(other);
}

TEST_F(Dispatch, ConfigEndsWithZeroWhenTheProgramRegistersNothing)
{
    support::resetShell();
    stubhook::registerResult = FALSE;
    EXPECT_EQ(0, saverMain(GetModuleHandleA(nullptr), nullptr, "/c", SW_SHOWNORMAL));
    EXPECT_EQ(0, stubhook::dialogCalls);
}

TEST_F(Dispatch, ConfigDialogThatCannotBeCreatedGivesMinusOne)
{
    support::resetShell();
    // A module without dialog 2003: the system's own user32.
    saverModule = GetModuleHandleA("user32.dll");
    EXPECT_EQ(-1, runMode("/c"));
    EXPECT_EQ(0, stubhook::dialogCalls);
}

TEST_F(Dispatch, UnknownSwitchesAndStrayCharactersEndWithMinusOne)
{
    for (const char* text : {"/x", "/\ts", "\t/s", "/\xe9", "/1", "5", "/ b", "/?", "/:s"}) {
        SCOPED_TRACE(std::string("arguments '") + text + "'");
        EXPECT_EQ(-1, run(text));
        EXPECT_FALSE(madeWindow());
        EXPECT_EQ(0, stubhook::dialogCalls);
    }
}

TEST_F(Dispatch, ChangePasswordOnlyOnWindows9x)
{
    // Wine reports the NT family unless told otherwise.
    EXPECT_EQ(-1, run("/a"));
    EXPECT_EQ(-1, run("/A 1234"));

    // The result is 0 whatever the change did: what shows that it was
    // offered is MPR.DLL, loaded from the system directory and let go again.
    support::resetShell();
    isWin9x = 1;
    for (const std::string& text : {"/a " + handle(parent), std::string("/a")}) {
        SCOPED_TRACE("arguments '" + text + "'");
        LibraryWatch watch;
        ASSERT_EQ(nullptr, GetModuleHandleA("mpr.dll"));
        EXPECT_EQ(0, runMode(text.c_str()));
        const std::string path = systemFile("mpr.dll");
        EXPECT_EQ((std::vector<std::string>{"load " + path, "unload " + path}), watch.of("mpr.dll"));
    }
    EXPECT_FALSE(madeWindow());
}

TEST_F(Dispatch, SecondFullScreenStartBringsTheFirstToTheFrontAndEndsWithZero)
{
    WNDCLASSA saverClass;
    ZeroMemory(&saverClass, sizeof saverClass);
    saverClass.lpfnWndProc = DefWindowProcA;
    saverClass.hInstance = GetModuleHandleA(nullptr);
    saverClass.lpszClassName = "WindowsScreenSaverClass";
    ASSERT_TRUE(RegisterClassA(&saverClass));
    HWND first = CreateWindowExA(0, "WindowsScreenSaverClass", "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(IsWindow(first));
    SetForegroundWindow(parent);

    support::resetShell();  // unregisters nothing while the window lives
    stubhook::destroyAfterCreate = true;
    EXPECT_EQ(0, saverMain(GetModuleHandleA(nullptr), nullptr, "/s", SW_SHOWNORMAL));
    EXPECT_FALSE(madeWindow());
    EXPECT_EQ(first, GetForegroundWindow());

    // The provider is only ever loaded on Windows 9x, and whether the prefix
    // has one depends on other tests: a provider already in place shows any
    // attempt, which would unload it (and with it the first saver's running
    // state) before loading another.
    support::resetShell();
    isWin9x = 1;
    HMODULE heldLibrary = LoadLibraryA("kernel32.dll");
    passwordLibrary = heldLibrary;
    verifyPassword = &neverVerify;
    EXPECT_EQ(0, runMode("/s"));
    EXPECT_FALSE(madeWindow());
    EXPECT_EQ(heldLibrary, passwordLibrary);
    EXPECT_EQ(&neverVerify, verifyPassword);
    if (passwordLibrary == heldLibrary)
        FreeLibrary(heldLibrary);
    passwordLibrary = nullptr;
    verifyPassword = nullptr;

    DestroyWindow(first);
    UnregisterClassA("WindowsScreenSaverClass", GetModuleHandleA(nullptr));
}

TEST_F(Dispatch, WindowModeThatCannotRegisterItsClassEndsWithMinusOne)
{
    // Another class of the same name already holds the name in this process.
    WNDCLASSA taken;
    ZeroMemory(&taken, sizeof taken);
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = GetModuleHandleA(nullptr);
    taken.lpszClassName = "WindowsScreenSaverClass";
    ASSERT_TRUE(RegisterClassA(&taken));
    stubhook::destroyAfterCreate = true;
    EXPECT_EQ(-1, runMode(("/p " + handle(parent)).c_str()));
    EXPECT_FALSE(madeWindow());
    UnregisterClassA("WindowsScreenSaverClass", GetModuleHandleA(nullptr));
}

TEST_F(Dispatch, HandleDigitsWrapAtThirtyTwoBits)
{
    EXPECT_EQ(parent, parseWindowHandle((handle(parent) + ":9").c_str()));
    EXPECT_EQ(reinterpret_cast<HWND>(1), parseWindowHandle("4294967297"));
    EXPECT_EQ(nullptr, parseWindowHandle(" 12"));
}

// Stands for the filter the runtime installs before the saver's: records
// what reached it and the running flag as it saw it.
struct EarlierFilter {
    static LONG WINAPI filter(EXCEPTION_POINTERS* info)
    {
        ++calls;
        seen = info;
        SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &runningWhenCalled, 0);
        return EXCEPTION_EXECUTE_HANDLER;
    }
    static inline int calls = 0;
    static inline EXCEPTION_POINTERS* seen = nullptr;
    static inline BOOL runningWhenCalled = FALSE;
};

TEST_F(Dispatch, ExceptionsEscapingAModeTurnOnlyTheirOwnRunningStateOffAndGoOnToTheFilterBefore)
{
    SetUnhandledExceptionFilter(&EarlierFilter::filter);
    run("/x");
    // A second start in one process must not make the saver's filter its own
    // predecessor.
    run("/x");
    LPTOP_LEVEL_EXCEPTION_FILTER installed = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(installed);
    EXPECT_EQ(&saverExceptionFilter, installed);

    isWin9x = 1;
    EXCEPTION_RECORD record;
    ZeroMemory(&record, sizeof record);
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    EXCEPTION_POINTERS pointers = {&record, nullptr};
    UINT old = 0;
    BOOL running = FALSE;

    // Set by a password-protected saver in another process: a crashing
    // preview, which loaded no verifier, leaves it alone.
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &old, 0);
    EXPECT_EQ(EXCEPTION_EXECUTE_HANDLER, saverExceptionFilter(&pointers));
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    EXPECT_TRUE(running);
    EXPECT_EQ(1, EarlierFilter::calls);
    EXPECT_EQ(&pointers, EarlierFilter::seen);
    EXPECT_TRUE(EarlierFilter::runningWhenCalled);

    // Set by this process, which holds the verifier: cleared before the
    // crash goes on to the filter that was there before the saver's.
    verifyPassword = &neverVerify;
    EXPECT_EQ(EXCEPTION_EXECUTE_HANDLER, saverExceptionFilter(&pointers));
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    EXPECT_FALSE(running);
    EXPECT_EQ(2, EarlierFilter::calls);
    EXPECT_FALSE(EarlierFilter::runningWhenCalled);
    verifyPassword = nullptr;
}

} // namespace
