// The program on a desktop, where a window manager (openbox) runs on the test's own display,
// and on a bare X server: the keyboard reaches the program the way it does a user's, through
// the window that has the focus (xdotool's key presses), wherever in the main frame it sits.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <fcntl.h>

#include <cstdlib>
#include <memory>
#include <vector>
#include <string>

#include "tests/app_shell/program_run.h"
#include "tests/app_shell/program_waits.h"
#include "tests/app_shell/x_screen.h"

extern char** environ;

namespace {

// openbox on the display, from its start until the end of the test.
class WindowManager {
  public:
    explicit WindowManager(bool wanted) {
        if (!wanted) return;
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        char name[] = "openbox";
        char* argv[] = {name, nullptr};
        if (posix_spawnp(&m_pid, "openbox", &quiet, nullptr, argv, environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&quiet);
    }
    ~WindowManager() {
        if (m_pid <= 0) return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    bool Started() const { return m_pid > 0; }

  private:
    pid_t m_pid = -1;
};

// xdotool with these arguments: true when it succeeded.
bool Xdo(const std::string& arguments) {
    return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

bool PressKey(const char* key) { return Xdo(std::string("key ") + key); }

bool Click(const ScreenBox& in, int button) {
    const int x = in.x + in.width / 2;
    const int y = in.y + in.height / 2;
    // No --sync: it waits for a move, and there is none when the pointer is there already.
    // The server takes the move and the click in order.
    return Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click " +
               std::to_string(button));
}

// Runs with a window manager, or on the bare X server.
class WindowManagerProgram : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        if (managed) {
            ASSERT_TRUE(manager.Started()) << "openbox is not installed";
            ASSERT_TRUE(WaitUntil(WindowManagerRunning)) << "openbox did not start";
        }
        run = std::make_unique<ProgramRun>(folder, std::vector<std::string>{});
        ASSERT_TRUE(run->Started());
        frame = WaitForWindow(*run, "velmoranth");
        ASSERT_NE(frame, 0u) << run->StandardError();
        view = InnermostWindow(frame);
        ASSERT_NE(view, frame);
    }

    // Q opens the quit confirmation: the keys reach the view. Its close box then closes it.
    ::testing::AssertionResult QOpensTheConfirmation() {
        // A click's or a closed window's focus change may still be on its way.
        if (!WaitUntil([&] { return FocusInside(frame); }))
            return ::testing::AssertionFailure() << "the focus left the main frame";
        if (!PressKey("q")) return ::testing::AssertionFailure() << "xdotool failed";
        const unsigned long confirmation = WaitForWindow(*run, "Quit Confirm");
        if (confirmation == 0) return ::testing::AssertionFailure() << "no confirmation";
        RequestClose(confirmation);
        if (!WaitUntil([&] { return FindTopLevelWindow("Quit Confirm", run->Pid()) == 0; }))
            return ::testing::AssertionFailure() << "the confirmation stays";
        return ::testing::AssertionSuccess();
    }

    const bool managed = GetParam();
    WindowManager manager{managed};
    RunFolder folder;
    std::unique_ptr<ProgramRun> run;
    unsigned long frame = 0;
    unsigned long view = 0;
};

TEST_P(WindowManagerProgram, KeysReachTheViewWhereverTheFocusSits) {
    // The focus on the frame, as a window manager gives it.
    ASSERT_TRUE(Xdo("windowfocus --sync " + std::to_string(frame)));
    EXPECT_TRUE(QOpensTheConfirmation()) << "focus on the frame";

    // Each click in the view moves the focus between the frame's windows.
    for (int click = 1; click <= 3; ++click) {
        ASSERT_TRUE(Click(WindowBox(view), 1));
        EXPECT_TRUE(QOpensTheConfirmation()) << "after click " << click;
    }

    // The context menu, closed without a choice.
    ASSERT_TRUE(Click(WindowBox(view), 3));
    ASSERT_TRUE(WaitUntil([&] { return FindPopupWindow(run->Pid()) != 0; }));
    ASSERT_TRUE(PressKey("Escape"));
    ASSERT_TRUE(WaitUntil([&] { return FindPopupWindow(run->Pid()) == 0; }));
    EXPECT_TRUE(QOpensTheConfirmation()) << "after the context menu";
}

// With a window manager the full screen is its state; without one the frame covers the screen.
TEST_P(WindowManagerProgram, FullScreenCoversTheScreenAndEscapeLeavesIt) {
    const ScreenBox screen = ScreenSize();
    ASSERT_TRUE(WaitUntil([&] { return WindowBox(frame).width > 0; }));
    const ScreenBox windowed = WindowBox(frame);
    ASSERT_LT(windowed.width, screen.width);
    ASSERT_TRUE(Click(WindowBox(view), 1));

    // A menu of the menu bar, opened and left from the keyboard: Esc closes it, the second Esc
    // ends the bar's navigation, and then F (also the File menu's letter) is the view's again.
    // The frame has the focus, so that it is the active window whose menus the keys open
    // (without a window manager a click leaves the focus to the pointer).
    ASSERT_TRUE(Xdo("windowfocus --sync " + std::to_string(frame)));
    ASSERT_TRUE(PressKey("alt+m"));
    ASSERT_TRUE(WaitUntil([&] { return FindPopupWindow(run->Pid()) != 0; }));
    ASSERT_TRUE(PressKey("Escape"));
    ASSERT_TRUE(WaitUntil([&] { return FindPopupWindow(run->Pid()) == 0; }));
    ASSERT_TRUE(PressKey("Escape"));
    ASSERT_TRUE(PressKey("f"));
    EXPECT_TRUE(WaitUntil([&] {
        return HasFullScreenState(frame) == managed && WindowBox(frame) == screen;
    })) << "in full screen";
    ASSERT_TRUE(PressKey("Escape"));
    EXPECT_TRUE(WaitUntil([&] { return !HasFullScreenState(frame) && WindowBox(frame) == windowed; }))
        << WindowBox(frame).x << "," << WindowBox(frame).y << " " << WindowBox(frame).width << "x"
        << WindowBox(frame).height;

    // Again with the focus on the frame.
    ASSERT_TRUE(Xdo("windowfocus --sync " + std::to_string(frame)));
    ASSERT_TRUE(PressKey("f"));
    EXPECT_TRUE(WaitUntil([&] { return WindowBox(frame) == screen; }));
    ASSERT_TRUE(PressKey("Escape"));
    EXPECT_TRUE(WaitUntil([&] { return WindowBox(frame) == windowed; }));
    EXPECT_TRUE(QOpensTheConfirmation()) << "after full screen";
}

INSTANTIATE_TEST_SUITE_P(Desktops, WindowManagerProgram, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "Openbox" : "NoWindowManager";
                         });

}  // namespace
