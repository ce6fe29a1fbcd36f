// Closing the saver on Windows 9x with the password option on: the request,
// its answer, and the 200 ms rule, against a scripted verifier.
#include "shell/saver_shell.h"
#include "shell_test_support.h"
#include "stub_program_hook.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

using support::takeClose;

struct Verifier {
    static std::deque<BOOL> answers;
    static int calls;
    static int verifyingDuringCall;
    static int timersLeftDuringCall;
    // Sent to the window from inside the request, as the provider's modal
    // dialog would dispatch it.
    static UINT nestedMessage;

    static BOOL WINAPI verify(HWND window)
    {
        ++calls;
        verifyingDuringCall = verifying;
        MSG message;
        timersLeftDuringCall = 0;
        while (PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE))
            ++timersLeftDuringCall;
        if (nestedMessage)
            SendMessageA(window, nestedMessage, 'A', 0);
        const BOOL answer = answers.empty() ? TRUE : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }
};
std::deque<BOOL> Verifier::answers;
int Verifier::calls = 0;
int Verifier::verifyingDuringCall = 0;
int Verifier::timersLeftDuringCall = 0;
UINT Verifier::nestedMessage = 0;

class PasswordClose : public ::testing::Test {
protected:
    void SetUp() override
    {
        support::resetShell();
        Verifier::answers.clear();
        Verifier::calls = 0;
        Verifier::nestedMessage = 0;
        isWin9x = 1;
        verifyPassword = &Verifier::verify;
        ASSERT_TRUE(registerSaverClass());
        window = createSaverWindow(nullptr);
        ASSERT_TRUE(IsWindow(window));
        support::dropCloses(window);
    }
    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        support::resetShell();
    }

    LRESULT close() { return SendMessageA(window, WM_CLOSE, 0, 0); }

    HWND window = nullptr;
};

TEST_F(PasswordClose, RefusedPasswordKeepsTheSaverWithTheCursorHidden)
{
    Verifier::answers = {FALSE};
    PostMessageA(window, WM_TIMER, 1, 0);
    PostMessageA(window, WM_TIMER, 1, 0);
    PostMessageA(window, WM_TIMER, 1, 0);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    SetCursorPos(211, 123);

    EXPECT_EQ(0, close());
    EXPECT_EQ(1, Verifier::calls);
    EXPECT_EQ(1, Verifier::verifyingDuringCall);
    // Two queued frames were dropped before the request.
    EXPECT_EQ(1, Verifier::timersLeftDuringCall);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(0, closeApproved);
    EXPECT_EQ(0, verifying);
    EXPECT_EQ(nullptr, GetCursor());
    EXPECT_EQ(211, cursorStart.x);
    EXPECT_EQ(123, cursorStart.y);
    EXPECT_NE(0xFFFFFFFFu, lastVerifyTick);
}

TEST_F(PasswordClose, SecondCloseWithin200MsIsRefusedWithoutAsking)
{
    Verifier::answers = {FALSE, TRUE};
    close();
    close();
    EXPECT_EQ(1, Verifier::calls);
    EXPECT_TRUE(IsWindow(window));

    lastVerifyTick = GetTickCount() - 150;
    close();
    EXPECT_EQ(1, Verifier::calls);

    // Past the quiet time the next close asks again, and this answer is yes.
    lastVerifyTick = GetTickCount() - 250;
    close();
    EXPECT_EQ(2, Verifier::calls);
    EXPECT_EQ(1, closeApproved);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(PasswordClose, AcceptedPasswordClosesAndNothingIsDrawnAfter)
{
    Verifier::answers = {TRUE};
    close();
    EXPECT_EQ(1, Verifier::calls);
    EXPECT_EQ(1, closeApproved);
    EXPECT_FALSE(IsWindow(window));
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(PasswordClose, NoVerifierApprovesTheFirstCloseAtOnce)
{
    verifyPassword = nullptr;
    EXPECT_EQ(1, verifyOnClose(window));
    EXPECT_EQ(1, closeApproved);
    // Once approved, nothing asks again.
    EXPECT_EQ(0, verifyOnClose(window));
}

TEST_F(PasswordClose, InputAndClosesDuringTheRequestAreSwallowed)
{
    Verifier::answers = {FALSE};
    Verifier::nestedMessage = WM_KEYDOWN;
    close();
    EXPECT_FALSE(takeClose(window));

    EXPECT_EQ(1, Verifier::calls);

    // A close from inside the request starts no second request.
    lastVerifyTick = GetTickCount() - 1000;
    Verifier::answers = {FALSE, TRUE};
    Verifier::nestedMessage = WM_CLOSE;
    close();
    EXPECT_EQ(2, Verifier::calls);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(PasswordClose, RequestRunsDownTheWholeChain)
{
    Verifier::answers = {FALSE};
    stubhook::seen.clear();
    close();
    EXPECT_TRUE(stubhook::sawMessage(WM_APP));
}

TEST_F(PasswordClose, AutoPlayQueryAsksToCloseAndAnswersWhetherAVerifierIsLoaded)
{
    autoPlayMessage = RegisterWindowMessageA("QueryCancelAutoPlay");
    ASSERT_NE(0u, autoPlayMessage);
    EXPECT_EQ(1, SendMessageA(window, autoPlayMessage, 0, 0));
    EXPECT_TRUE(takeClose(window));
    verifyPassword = nullptr;
    EXPECT_EQ(0, SendMessageA(window, autoPlayMessage, 0, 0));
    EXPECT_TRUE(takeClose(window));
    // Even once the close went through, the query still asks and answers.
    closeApproved = 1;
    EXPECT_EQ(0, SendMessageA(window, autoPlayMessage, 0, 0));
    EXPECT_TRUE(takeClose(window));
}

TEST(TicksSince, WrapOfTheTickCountIsHarmless)
{
    EXPECT_EQ(0x20u, ticksSince(0xFFFFFFF0u, 0x10u));
    EXPECT_EQ(199u, ticksSince(1000u, 1199u));
    EXPECT_EQ(0u, ticksSince(5u, 5u));
}

} // namespace
