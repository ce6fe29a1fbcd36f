// The display host's window hook with the real shell in front of it and a
// stub scene behind it, on real windows and a real GL context under Wine.
#include "components/frame_clock.h"
#include "host/millisecond_clock.h"
#include "host/scene_host.h"
#include "host/wgl_context.h"
#include "shell/resource_ids.h"
#include "shell/saver_hooks.h"
#include "shell/saver_shell.h"
#include "stub_scene.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <float.h>

#include <cstdint>

namespace {

void resetState()
{
    UnregisterClassA(saverClassName, GetModuleHandleA(nullptr));
    saverModule = GetModuleHandleA(nullptr);
    isWin9x = 0;
    previewMode = 0;
    closeApproved = 0;
    verifying = 0;
    verifyPassword = nullptr;
    stubscene::reset();
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

HWND makeParent(int width, int height)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA plain;
        ZeroMemory(&plain, sizeof plain);
        plain.lpfnWndProc = DefWindowProcA;
        plain.hInstance = GetModuleHandleA(nullptr);
        plain.lpszClassName = "CascadeHostTestParent";
        RegisterClassA(&plain);
        registered = true;
    }
    return CreateWindowExA(0, "CascadeHostTestParent", "Parent", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

class HostHook : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetState();
        ASSERT_TRUE(registerSaverClass());
        parent = makeParent(160, 120);
        window = createSaverWindow(parent);
        ASSERT_TRUE(IsWindow(window));
    }
    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        DestroyWindow(parent);
        resetState();
    }

    HWND parent = nullptr;
    HWND window = nullptr;
};

TEST_F(HostHook, CreationMakesACurrentContextAndStartsTheSceneAtTheClientSize)
{
    EXPECT_EQ(1, stubscene::starts);
    EXPECT_EQ(160, stubscene::startWidth);
    EXPECT_EQ(120, stubscene::startHeight);
    EXPECT_TRUE(stubscene::contextAtStart);
    EXPECT_EQ(wglGetCurrentContext(), glContext);
    EXPECT_EQ(GetDC(window), windowDC);  // the class's own DC

    // The fixed state went in before the scene started.
    GLfloat lineWidth = 0;
    glGetFloatv(GL_LINE_WIDTH, &lineWidth);
    EXPECT_EQ(1.0f, lineWidth);
    EXPECT_FALSE(glIsEnabled(GL_DITHER));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(GL_LEQUAL, depthFunc);

    // The pixel format asks for a double-buffered RGBA window format.
    PIXELFORMATDESCRIPTOR chosen;
    DescribePixelFormat(windowDC, GetPixelFormat(windowDC), sizeof chosen, &chosen);
    EXPECT_TRUE(chosen.dwFlags & PFD_DOUBLEBUFFER);
    EXPECT_TRUE(chosen.dwFlags & PFD_SUPPORT_OPENGL);
    // The driver gives the nearest format it has (Wine on a 24-bit X screen
    // has no alpha), but a depth buffer it has.
    EXPECT_GE(chosen.cDepthBits, 16);

    // What it asked for: the framebuffer every front asks for, in WGL's
    // terms, with the channels' layout and every extra buffer left out.
    EXPECT_EQ(sizeof(PIXELFORMATDESCRIPTOR), pixelFormat.nSize);
    EXPECT_EQ(1, pixelFormat.nVersion);
    EXPECT_EQ(0x25u, pixelFormat.dwFlags);
    EXPECT_EQ(PFD_TYPE_RGBA, pixelFormat.iPixelType);
    EXPECT_EQ(24, pixelFormat.cColorBits);
    EXPECT_EQ(8, pixelFormat.cAlphaBits);
    EXPECT_EQ(16, pixelFormat.cDepthBits);
    EXPECT_EQ(0, pixelFormat.cRedBits + pixelFormat.cGreenBits + pixelFormat.cBlueBits + pixelFormat.cAccumBits +
                     pixelFormat.cStencilBits + pixelFormat.cAuxBuffers + pixelFormat.iLayerType);
}

TEST_F(HostHook, FrameTimerDrawsAndAnyTimerIdDrawsOneFrame)
{
    // Timer 1 runs by itself.
    const DWORD start = GetTickCount();
    MSG message;
    while (stubscene::frames < 3 && GetTickCount() - start < 5000) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        else
            Sleep(1);
    }
    EXPECT_GE(stubscene::frames, 3);

    const int before = stubscene::frames;
    EXPECT_EQ(0, SendMessageA(window, WM_TIMER, 1, 0));
    EXPECT_EQ(0, SendMessageA(window, WM_TIMER, 42, 0));
    EXPECT_EQ(0, SendMessageA(window, WM_TIMER, 0, 0));
    EXPECT_EQ(before + 3, stubscene::frames);
}

TEST(FloatingPoint, TheX87UnitRoundsDoublesAsDoubles)
{
    // The program's start-up (linked as the product's is) sets the precision.
    if (sizeof(void*) != 4)
        GTEST_SKIP() << "x86-64 does its double arithmetic in SSE2 registers";
    EXPECT_EQ(static_cast<unsigned>(_PC_53), _controlfp(0, 0) & _MCW_PC);
}

TEST(MillisecondClock, TheSceneClockCountsFromWindowCreationOnAMonotonicCounter)
{
    resetState();
    ASSERT_TRUE(registerSaverClass());
    HWND parent = makeParent(40, 30);
    // Long enough that a counter from process start would read far more.
    Sleep(1500);
    const DWORD beforeCreation = GetTickCount();
    HWND window = createSaverWindow(parent);
    ASSERT_TRUE(IsWindow(window));

    FrameClock clock;
    clock.tick();
    // Tick counts step by up to 16 ms.
    EXPECT_LE(clock.milliseconds, double(GetTickCount() - beforeCreation) + 20.0);
    EXPECT_NEAR(millisecondsSinceClockStart(), clock.milliseconds, 2.0);
    Sleep(100);
    clock.tick();
    EXPECT_GE(clock.deltaSeconds, 0.09);
    EXPECT_LT(clock.deltaSeconds, 1.0);

    DestroyWindow(window);
    DestroyWindow(parent);
    setMillisecondCounter(nullptr);
    resetState();
}

TEST(MillisecondClock, FastCountersStayExactForWeeks)
{
    // A performance counter at a 3 GHz CPU clock, 36 days and half a second
    // on: counts times 1000 would pass 2^63. The frame clock takes the
    // milliseconds modulo 2^32.
    const std::int64_t cpuClock = 3000000000LL;
    const std::int64_t days36 = 36LL * 86400;
    EXPECT_EQ(3110400500u,
              static_cast<std::uint32_t>(countToMilliseconds(days36 * cpuClock + cpuClock / 2, cpuClock)));
    // The ACPI timer's frequency: the rest of a second rounds down.
    EXPECT_EQ(10499, countToMilliseconds(3579545LL * 10 + 1789772, 3579545));
    EXPECT_EQ(0, countToMilliseconds(2, 3579545));
}

TEST_F(HostHook, SizeChangesAfterCreationLeaveTheSceneAlone)
{
    MoveWindow(window, 0, 0, 80, 60, TRUE);
    EXPECT_EQ(1, stubscene::starts);
    EXPECT_EQ(160, viewWidth);
    EXPECT_EQ(120, viewHeight);
}

TEST_F(HostHook, OtherMessagesReachTheShellUnchanged)
{
    isWin9x = 1;
    struct Answer {
        static BOOL WINAPI verify(HWND) { return 5; }
    };
    // Preview mode answers everything with the system default: leave it.
    previewMode = 0;
    verifyPassword = &Answer::verify;
    EXPECT_EQ(5, SendMessageA(window, WM_APP, 0, 0));
    // The shell's window procedure keeps WM_SETTEXT from the hook: handed to
    // the hook itself, it goes on to the system's default, which sets the title.
    EXPECT_EQ(TRUE, sceneWindowProc(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")));
    char title[16] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ("x", title);
}

TEST_F(HostHook, DestructionStopsTheTimerReleasesTheSceneAndTheContext)
{
    DestroyWindow(window);
    EXPECT_EQ(1, stubscene::releases);
    EXPECT_TRUE(stubscene::contextAtRelease);
    EXPECT_EQ(nullptr, wglGetCurrentContext());
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    const int frames = stubscene::frames;
    Sleep(50);
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    EXPECT_EQ(frames, stubscene::frames);
}

WORD pressCommand = 0;
HWND unknownCommandSentTo = nullptr;
bool stayedAfterUnknownCommand = false;

// Once the settings dialog is up: an unknown command first; on a later tick,
// after the dialog's own loop has run (an EndDialog would have ended it by
// then, and a second one would override the first's result), the button.
void CALLBACK pressOnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND dialog = FindWindowA("#32770", "Cascade");
    if (!unknownCommandSentTo) {
        if (!dialog)
            return;
        unknownCommandSentTo = dialog;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED), 0);
        return;
    }
    KillTimer(nullptr, id);
    stayedAfterUnknownCommand = dialog == unknownCommandSentTo && IsWindowVisible(dialog);
    if (dialog)
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(pressCommand, BN_CLICKED), 0);
}

TEST(ConfigDialog, OkGivesOneCancelZeroOtherCommandsNothing)
{
    EXPECT_TRUE(registerConfigClasses(GetModuleHandleA(nullptr)));
    for (WORD command : {WORD(IDOK), WORD(IDCANCEL)}) {
        SCOPED_TRACE(command);
        pressCommand = command;
        unknownCommandSentTo = nullptr;
        stayedAfterUnknownCommand = false;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, pressOnTimer);
        const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(CONFIG_DIALOG_ID),
                                               nullptr, configDialogProc, 0);
        KillTimer(nullptr, timer);
        EXPECT_EQ(command == IDOK ? 1 : 0, result);
        EXPECT_NE(nullptr, unknownCommandSentTo);
        EXPECT_TRUE(stayedAfterUnknownCommand);
    }
    EXPECT_FALSE(configDialogProc(nullptr, WM_INITDIALOG, 0, 0));
    EXPECT_FALSE(configDialogProc(nullptr, WM_COMMAND, MAKEWPARAM(3, 0), 0));
}

} // namespace
