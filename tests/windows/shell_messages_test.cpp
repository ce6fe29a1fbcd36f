// The saver window's input rules, run against a real window under Wine with
// the stub program hook behind the shell.
#include "shell/saver_shell.h"
#include "shell_test_support.h"
#include "stub_program_hook.h"

#include <gtest/gtest.h>

#include <imm.h>

#include <string>

namespace {

using support::takeClose;

class SaverWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        support::resetShell();
        ASSERT_TRUE(registerSaverClass());
    }
    void TearDown() override
    {
        if (window && IsWindow(window))
            DestroyWindow(window);
        if (parent)
            DestroyWindow(parent);
        support::resetShell();
    }

    void createSaver()
    {
        window = createSaverWindow(nullptr);
        ASSERT_TRUE(IsWindow(window));
        support::dropCloses(window);
        stubhook::seen.clear();
    }
    void createPreview()
    {
        parent = support::makeTopLevel("Display Properties", 152, 112);
        window = createSaverWindow(parent);
        ASSERT_TRUE(IsWindow(window));
        support::dropCloses(window);
        stubhook::seen.clear();
    }

    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageA(window, message, wParam, lParam);
    }
    // Moves the real cursor and tells the window, as a mouse move would.
    void moveTo(int x, int y)
    {
        SetCursorPos(x, y);
        send(WM_MOUSEMOVE, 0, MAKELPARAM(0, 0));
    }
    bool hookSaw(UINT message) const { return stubhook::sawMessage(message); }

    HWND window = nullptr;
    HWND parent = nullptr;
};

TEST_F(SaverWindow, MouseTravelOfFourPixelsStaysAndFiveCloses)
{
    createSaver();
    SetCursorPos(100, 100);
    cursorStart = POINT{100, 100};

    // Small steps add up to exactly 4 from the start point: no close.
    moveTo(101, 100);
    moveTo(102, 101);
    moveTo(103, 101);
    EXPECT_FALSE(takeClose(window));
    // Away and back again does not add up either.
    moveTo(99, 98);
    moveTo(100, 100);
    EXPECT_FALSE(takeClose(window));
    EXPECT_EQ(100, cursorStart.x);
    EXPECT_EQ(100, cursorStart.y);

    // 3 across and 2 down: 5 from the start point closes and re-anchors.
    moveTo(103, 102);
    EXPECT_TRUE(takeClose(window));
    EXPECT_EQ(103, cursorStart.x);
    EXPECT_EQ(102, cursorStart.y);
    moveTo(101, 100);
    EXPECT_FALSE(takeClose(window));
    moveTo(100, 100);
    EXPECT_TRUE(takeClose(window));
}

TEST_F(SaverWindow, KeyAndButtonPressesCloseReleasesWheelAndDoubleClicksDoNot)
{
    createSaver();
    for (UINT press : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        SCOPED_TRACE(press);
        send(press, press == WM_KEYDOWN || press == WM_SYSKEYDOWN ? 'A' : 0);
        EXPECT_TRUE(takeClose(window));
        support::dropCloses(window);
    }
    for (UINT other : {WM_KEYUP, WM_SYSKEYUP, WM_CHAR, WM_SYSCHAR, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP,
                       WM_MOUSEWHEEL, WM_MOUSEHWHEEL, WM_XBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK,
                       WM_MBUTTONDBLCLK}) {
        SCOPED_TRACE(other);
        send(other, other == WM_KEYUP || other == WM_CHAR ? 'A' : 0);
        EXPECT_FALSE(takeClose(window));
    }
}

TEST_F(SaverWindow, LosingActivationAndPowerEventsClose)
{
    createSaver();
    send(WM_ACTIVATEAPP, TRUE);
    EXPECT_FALSE(takeClose(window));
    send(WM_ACTIVATEAPP, FALSE);
    EXPECT_TRUE(takeClose(window));

    send(WM_POWER, 1);  // PWR_SUSPENDREQUEST
    send(WM_POWER, 2);  // PWR_SUSPENDRESUME
    EXPECT_FALSE(takeClose(window));
    send(WM_POWER, PWR_CRITICALRESUME);
    EXPECT_TRUE(takeClose(window));

    // Suspend, resume and the other power events close.
    for (WPARAM event : {WPARAM(0), WPARAM(4), WPARAM(6), WPARAM(7), WPARAM(9), WPARAM(0x12)}) {
        SCOPED_TRACE(event);
        send(WM_POWERBROADCAST, event);
        EXPECT_TRUE(takeClose(window));
    }
    // Mains/battery switches, battery level steps and setting changes are
    // notices that come with nobody at the machine.
    for (WPARAM notice : {WPARAM(0x000A), WPARAM(0x8013)}) {
        SCOPED_TRACE(notice);
        send(WM_POWERBROADCAST, notice);
        EXPECT_FALSE(takeClose(window));
    }
}

TEST_F(SaverWindow, SwitchingAndScreenSaveCommandsAreSwallowedOthersGoOn)
{
    createSaver();
    for (WPARAM command : {WPARAM(SC_NEXTWINDOW), WPARAM(SC_PREVWINDOW), WPARAM(SC_SCREENSAVE)}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(0, send(WM_SYSCOMMAND, command));
        EXPECT_FALSE(hookSaw(WM_SYSCOMMAND));
    }
    // Compared whole: with low bits set it is another command.
    stubhook::swallowed.push_back(WM_SYSCOMMAND);
    send(WM_SYSCOMMAND, SC_SCREENSAVE | 1);
    EXPECT_TRUE(hookSaw(WM_SYSCOMMAND));
    stubhook::seen.clear();
    send(WM_SYSCOMMAND, SC_ARRANGE);
    EXPECT_TRUE(hookSaw(WM_SYSCOMMAND));
}

TEST_F(SaverWindow, TitleCannotBeChangedInEitherMode)
{
    createSaver();
    EXPECT_EQ(0, send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Other")));
    SetWindowTextA(window, "Other");
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ("Screen Saver", title);
    DestroyWindow(window);
    support::resetShell();
    ASSERT_TRUE(registerSaverClass());

    createPreview();
    EXPECT_EQ(0, send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Other")));
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ("Preview", title);
}

TEST_F(SaverWindow, SetCursorHidesTheCursorOnlyWhileTheSaverRuns)
{
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    createSaver();
    SetCursor(arrow);
    EXPECT_EQ(1, send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(nullptr, GetCursor());

    for (int* state : {&verifying, &closeApproved}) {
        *state = 1;
        SetCursor(arrow);
        EXPECT_EQ(0, send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_EQ(arrow, GetCursor());
        *state = 0;
    }
}

TEST_F(SaverWindow, CreationHidesTheCursorAndDetachesTheInputContext)
{
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    SetCursorPos(37, 41);
    createSaver();
    EXPECT_EQ(nullptr, GetCursor());
    EXPECT_EQ(37, cursorStart.x);
    EXPECT_EQ(41, cursorStart.y);

    // Wine's user32 loads the input method library into every process.
    ASSERT_NE(nullptr, GetModuleHandleA("IMM32.DLL"));
    EXPECT_NE(nullptr, associateContext);
    EXPECT_EQ(nullptr, ImmGetContext(window));
    ASSERT_NE(nullptr, savedInputContext);

    // The shell's WM_DESTROY hands the context back (sent here by hand, so
    // the window is still there to be asked).
    send(WM_DESTROY);
    HIMC restored = ImmGetContext(window);
    EXPECT_EQ(savedInputContext, restored);
    ImmReleaseContext(window, restored);
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(SaverWindow, PreviewIgnoresInputKeepsTheCursorAndForwardsHelp)
{
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    createPreview();
    EXPECT_EQ(arrow, GetCursor());
    SetCursorPos(10, 10);
    cursorStart = POINT{10, 10};

    for (UINT input : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        SCOPED_TRACE(input);
        send(input);
        EXPECT_FALSE(takeClose(window));
    }
    moveTo(60, 60);
    send(WM_ACTIVATEAPP, FALSE);
    send(WM_POWERBROADCAST, 0);
    send(WM_POWER, PWR_CRITICALRESUME);
    EXPECT_FALSE(takeClose(window));
    send(WM_PAINT);
    send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(arrow, GetCursor());

    MSG message;
    stubhook::seen.clear();
    EXPECT_EQ(1, send(WM_CONTEXTMENU, 0, 0x00120034));
    EXPECT_FALSE(hookSaw(WM_CONTEXTMENU));
    ASSERT_TRUE(PeekMessageA(&message, parent, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE));
    EXPECT_EQ(reinterpret_cast<WPARAM>(parent), message.wParam);
    EXPECT_EQ(0x00120034, message.lParam);

    // WM_HELP carries a pointer, which the system will not post; the
    // preview still answers it and keeps it from the program.
    HELPINFO help;
    ZeroMemory(&help, sizeof help);
    help.cbSize = sizeof help;
    EXPECT_EQ(1, send(WM_HELP, 0, reinterpret_cast<LPARAM>(&help)));
    EXPECT_FALSE(hookSaw(WM_HELP));
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(SaverWindow, PreviewWithoutParentDropsHelpAndStillAnswersOne)
{
    // A preview whose parent is gone: no parent to forward to.
    previewMode = 1;
    window = CreateWindowExA(0, saverClassName, previewTitle, WS_POPUP, 0, 0, 20, 20, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(1, send(WM_HELP));
    EXPECT_EQ(1, send(WM_CONTEXTMENU));
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_HELP, WM_HELP, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE));
}

TEST_F(SaverWindow, SaverModeHelpGoesToTheProgram)
{
    createSaver();
    stubhook::swallowed.push_back(WM_HELP);
    send(WM_HELP);
    EXPECT_TRUE(hookSaw(WM_HELP));
}

TEST_F(SaverWindow, TimerReachesTheProgramWithAnyIdUntilTheCloseIsApproved)
{
    createSaver();
    send(WM_TIMER, 1);
    send(WM_TIMER, 99);
    ASSERT_EQ(2u, stubhook::seen.size());
    EXPECT_EQ(99u, stubhook::seen[1].wParam);
}

TEST_F(SaverWindow, NothingAfterApprovalNoFrameNoInputNoPaint)
{
    createSaver();
    closeApproved = 1;
    EXPECT_EQ(0, send(WM_TIMER, 1));
    send(WM_KEYDOWN, 'A');
    send(WM_LBUTTONDOWN);
    SetCursorPos(300, 300);
    send(WM_MOUSEMOVE);
    send(WM_PAINT);
    send(WM_ACTIVATEAPP, FALSE);
    EXPECT_FALSE(hookSaw(WM_TIMER));
    EXPECT_FALSE(hookSaw(WM_KEYDOWN));
    EXPECT_FALSE(hookSaw(WM_LBUTTONDOWN));
    EXPECT_FALSE(hookSaw(WM_MOUSEMOVE));
    EXPECT_FALSE(hookSaw(WM_PAINT));
    EXPECT_FALSE(takeClose(window));
}

TEST_F(SaverWindow, CloseOnTheNtFamilyDestroysWithoutApproval)
{
    createSaver();
    send(WM_CLOSE);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(0, closeApproved);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, message.wParam);
}

BOOL WINAPI acceptAll(HWND)
{
    return TRUE;
}

bool saverRunning()
{
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running != FALSE;
}

void setSaverRunningFlag()
{
    UINT old = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &old, 0);
}

TEST_F(SaverWindow, ProgramExceptionEndsTheSaverAsAFailureWithItsRunningStateOff)
{
    // On Windows 9x with this process's verifier, which set the flag.
    isWin9x = 1;
    verifyPassword = &acceptAll;
    MSG quit;

    for (UINT failing : {UINT(WM_TIMER), UINT(WM_KEYDOWN), UINT(WM_DESTROY)}) {
        SCOPED_TRACE(failing);
        createSaver();
        setSaverRunningFlag();
        stubhook::throwOn = failing;
        if (failing == WM_DESTROY)
            DestroyWindow(window);
        else
            send(failing, 'A');
        EXPECT_FALSE(IsWindow(window));
        EXPECT_FALSE(saverRunning());
        ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(-1, static_cast<int>(quit.wParam));
        stubhook::throwOn = 0;
    }

    // During creation: no window at all.
    for (UINT creating : {UINT(WM_NCCREATE), UINT(WM_CREATE)}) {
        SCOPED_TRACE(creating);
        setSaverRunningFlag();
        stubhook::throwOn = creating;
        window = createSaverWindow(nullptr);
        EXPECT_EQ(nullptr, window);
        EXPECT_FALSE(saverRunning());
        ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(-1, static_cast<int>(quit.wParam));
    }
}

TEST_F(SaverWindow, PasswordRequestIsOnlyAnsweredOnWindows9x)
{
    createSaver();
    stubhook::seen.clear();
    EXPECT_EQ(0, send(WM_APP));  // DefWindowProcA's answer
    EXPECT_TRUE(hookSaw(WM_APP));
    isWin9x = 1;
    EXPECT_EQ(1, send(WM_APP));
}

} // namespace
