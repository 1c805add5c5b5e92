// The program as a user starts it: from a run folder, under the X display.

#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "tests/app_shell/program_run.h"
#include "tests/app_shell/program_waits.h"
#include "tests/app_shell/x_screen.h"
#include "tests/gui/x11_probe.h"
#include "tests/support/case_name.h"

namespace {

constexpr int kRunLimitMs = 120'000;  // a bound for a hung program, not a speed measure

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Pixels that are not black.
std::size_t LitPixels(const ScreenGrab& grab) {
    return static_cast<std::size_t>(std::count_if(grab.pixels.begin(), grab.pixels.end(),
                                                  [](std::uint32_t p) { return p != 0; }));
}

std::size_t ChangedPixels(const ScreenGrab& a, const ScreenGrab& b) {
    if (a.pixels.size() != b.pixels.size()) return a.pixels.size();
    std::size_t changed = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) changed += a.pixels[i] != b.pixels[i];
    return changed;
}

// The window once its frames show the club; an empty grab when they did not in time.
ScreenGrab WaitForLitPicture(unsigned long window) {
    ScreenGrab grab;
    WaitUntil([&] {
        grab = GrabWindow(window);
        return grab.width > 0 && LitPixels(grab) >= grab.pixels.size() / 10;
    });
    return grab;
}

// Pixels that are not black in the top right quarter: only a viewport that grew with the
// window draws there.
std::size_t LitPixelsTopRight(const ScreenGrab& grab) {
    std::size_t lit = 0;
    for (int y = 0; y < grab.height / 2; ++y) {
        for (int x = grab.width / 2; x < grab.width; ++x) {
            lit += grab.pixels[static_cast<std::size_t>(y) * grab.width + x] != 0;
        }
    }
    return lit;
}

TEST(Program, DrawsTheFramesAskedForAndQuitsWithSuccess) {
    RunFolder folder;
    ProgramRun run(folder, {"VELMORANTH_EXIT_AFTER_FRAMES=100"});
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.WaitForExit(kRunLimitMs), 0) << run.StandardError();
    const std::string err = run.StandardError();
    EXPECT_FALSE(Contains(err, "MESSAGE:")) << err;
    // Xvfb offers no stereo: the program says what it was granted, depth and stencil kept.
    EXPECT_TRUE(Contains(err, "GL: granted double buffer 1, stereo 0,")) << err;
    EXPECT_TRUE(Contains(err, "stencil 8")) << err;
    // Nothing was changed, so nothing was saved.
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "Velmoranth.ini"));
}

// The program started in a run folder of its own, with its main window shown.
class ShownProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(run.Started());
        window = WaitForWindow(run, "velmoranth");
        ASSERT_NE(window, 0u) << run.StandardError();
    }

    RunFolder folder;
    ProgramRun run{folder, {}};
    unsigned long window = 0;
};

TEST_F(ShownProgram, ShowsTheDancingClubAndAsksBeforeQuitting) {

    // The first frames of a freshly shown window may still be on their way.
    const ScreenGrab first = WaitForLitPicture(window);
    ASSERT_GT(first.width, 0);
    EXPECT_GE(LitPixels(first), first.pixels.size() / 10) << "the window stays dark";

    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const ScreenGrab second = GrabWindow(window);
    // The cameras, the lights and the dancer move: the picture changes.
    EXPECT_GT(ChangedPixels(first, second), first.pixels.size() / 100);

    // Closing asks first; the confirmation's own close box lets the dance go on.
    ASSERT_TRUE(RequestClose(window));
    const unsigned long confirmation = WaitForWindow(run, "Quit Confirm");
    ASSERT_NE(confirmation, 0u) << run.StandardError();
    ASSERT_TRUE(RequestClose(confirmation));
    EXPECT_TRUE(WaitUntil([&] { return FindTopLevelWindow("Quit Confirm", run.Pid()) == 0; }));
    const ScreenGrab before = GrabWindow(window);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_GT(ChangedPixels(before, GrabWindow(window)), before.pixels.size() / 100);
    // A second close request opens the confirmation again.
    ASSERT_TRUE(RequestClose(window));
    EXPECT_NE(WaitForWindow(run, "Quit Confirm"), 0u);
    EXPECT_EQ(run.WaitForExit(500), -1);  // still running: the destructor ends it
}

// The ways into full screen: the F key, and the view's context menu opened from the keyboard
// with its one item chosen.
struct FullScreenWay {
    const char* name;
    std::function<bool(const ProgramRun&, unsigned long frame, unsigned long view)> enter;
};

bool ChooseFromContextMenu(const ProgramRun& run, unsigned long frame, unsigned long view) {
    if (!SendNamedKeyThroughX(view, "Menu")) return false;
    if (!WaitUntil([&] { return FindPopupWindow(run.Pid()) != 0; })) return false;
    // Keys reach the open menu through the frame's window.
    return SendNamedKeyThroughX(frame, "Down") && SendNamedKeyThroughX(frame, "Return");
}

const FullScreenWay kFullScreenWays[] = {
    {"FKey", [](const ProgramRun&, unsigned long, unsigned long view) {
         return SendKeysThroughX(view, "f");
     }},
    {"ContextMenu", ChooseFromContextMenu},
};

// The program covers the whole screen (each test of this binary has an X server of its own).
class FullScreenTest : public ShownProgram,
                       public ::testing::WithParamInterface<FullScreenWay> {};

TEST_P(FullScreenTest, CoversTheScreenWithTheViewAndEscapeReturnsToTheWindow) {
    const unsigned long frame = window;
    ASSERT_GT(WaitForLitPicture(frame).width, 0) << "the window stays dark";
    const unsigned long view = InnermostWindow(frame);
    ASSERT_NE(view, frame);
    const ScreenBox windowed = WindowBox(frame);
    const ScreenBox screen = ScreenSize();
    ASSERT_LT(windowed.width, screen.width);

    ASSERT_TRUE(GetParam().enter(run, frame, view));
    ASSERT_TRUE(WaitUntil([&] { return WindowBox(frame) == screen; })) << WindowBox(frame).width;
    // The view fills the frame below its menu bar, and the scene is drawn all over it.
    ASSERT_TRUE(WaitUntil([&] {
        const ScreenBox box = WindowBox(view);
        return box.width == screen.width && box.y + box.height == screen.height;
    }));
    EXPECT_TRUE(WaitUntil([&] {
        const ScreenGrab grab = GrabWindow(view);
        return grab.width == screen.width && LitPixelsTopRight(grab) > grab.pixels.size() / 100;
    }));

    // F in full screen changes nothing; Esc brings back the window where it was.
    ASSERT_TRUE(SendKeysThroughX(view, "f"));
    EXPECT_FALSE(WaitUntil([&] { return !(WindowBox(frame) == screen); }, 1));
    ASSERT_TRUE(SendNamedKeyThroughX(view, "Escape"));
    EXPECT_TRUE(WaitUntil([&] { return WindowBox(frame) == windowed; }))
        << WindowBox(frame).x << "," << WindowBox(frame).y << " " << WindowBox(frame).width
        << "x" << WindowBox(frame).height;
}

INSTANTIATE_TEST_SUITE_P(Ways, FullScreenTest, ::testing::ValuesIn(kFullScreenWays), CaseName());

// Ctrl+C in the terminal and a plain kill both end the program through its normal shut-down.
class QuitSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(QuitSignalTest, EndsTheRunWithSuccess) {
    RunFolder folder;
    ProgramRun run(folder, {});
    ASSERT_TRUE(run.Started());
    // Once the window is shown, start-up (SDL's audio included) is over.
    ASSERT_NE(WaitForWindow(run, "velmoranth"), 0u) << run.StandardError();
    ASSERT_EQ(kill(run.Pid(), GetParam()), 0);
    EXPECT_EQ(run.WaitForExit(kRunLimitMs), 0) << run.StandardError();
}
INSTANTIATE_TEST_SUITE_P(Signals, QuitSignalTest, ::testing::Values(SIGINT, SIGTERM),
                         [](const ::testing::TestParamInfo<int>& param) {
                             return std::string(param.param == SIGINT ? "Interrupt" : "Terminate");
                         });

// A recording device whose open never returns: SDL's disk driver reading a pipe that nobody
// writes. It holds SDL's device lock, so the sound output cannot open either; the program
// still starts without sound and still quits.
TEST(Program, ARecordingDeviceThatNeverOpensHoldsNeitherStartUpNorQuit) {
    RunFolder folder;
    const std::filesystem::path pipe = folder.Path() / "silent.raw";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ProgramRun run(folder, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILEIN=" + pipe.string(),
                            "SDL_DISKAUDIOFILE=/dev/null"});
    ASSERT_TRUE(run.Started());
    ASSERT_NE(WaitForWindow(run, "velmoranth"), 0u) << run.StandardError();
    ASSERT_EQ(kill(run.Pid(), SIGTERM), 0);
    EXPECT_EQ(run.WaitForExit(kRunLimitMs), 0) << run.StandardError();
    const std::string err = run.StandardError();
    EXPECT_TRUE(Contains(err, "The sound output could not be started.")) << err;
    EXPECT_TRUE(Contains(err, "AUDIO: the analysis thread did not end")) << err;
}

TEST(Program, WithoutADisplaySaysSoAndFails) {
    RunFolder folder;
    ProgramRun run(folder, {"DISPLAY", "QT_QPA_PLATFORM"});
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.WaitForExit(kRunLimitMs), 1);
    const std::string err = run.StandardError();
    EXPECT_EQ(err, "velmoranth: no X display to open (DISPLAY is not set)\n");
}

struct FatalCase {
    const char* name;
    const char* missing;
    const char* message;
};

const FatalCase kFatalCases[] = {
    {"NoClub", "Club.dat", "MESSAGE: [category -1] I couldn't find Club.dat!"},
    {"NoDancer", "Mirel.dat", "MESSAGE: [category -1] I couldn't find Mirel.dat!"},
};

class FatalStartTest : public ::testing::TestWithParam<FatalCase> {};

TEST_P(FatalStartTest, ReportsTheMessageAndFails) {
    RunFolder folder({GetParam().missing});
    ProgramRun run(folder, {"VELMORANTH_EXIT_AFTER_FRAMES=100"});
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.WaitForExit(kRunLimitMs), 1);
    const std::string err = run.StandardError();
    EXPECT_TRUE(Contains(err, GetParam().message)) << err;
}

INSTANTIATE_TEST_SUITE_P(Cases, FatalStartTest, ::testing::ValuesIn(kFatalCases), CaseName());

}  // namespace

namespace {

// The ray tracer's program files beside Models/, and the settings asking for engine 2.
void PrepareRayTracing(const RunFolder& folder) {
    for (const char* file : {"VMCamera.ptx", "VMSky.ptx", "VMMesh.ptx", "VMLighting.ptx",
                             "VMSelector.ptx"}) {
        std::filesystem::copy_file(file, folder.Path() / file);
    }
    std::ofstream(folder.Path() / "Velmoranth.ini") << "Version 1\nRenderEngine 2\n";
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct RayTracedRun {
    const char* name;
    const char* environment;  // extra setting, or empty
    const char* reportEntry;  // null: no report file
};

const RayTracedRun kRayTracedRuns[] = {
    {"Runs", "", nullptr},
    {"NoDevice", "VM_RT_DEVICE=none", "Checking Context Creation: No device"},
    {"LaunchFails", "VM_RT_FAULTS=rtContextLaunch2D#3=RT_ERROR_LAUNCH_FAILED",
     "Context Launch 2D: Launch failed (Details: rtContextLaunch2D: injected fault)"},
};

class RayTracedProgramTest : public ::testing::TestWithParam<RayTracedRun> {};

TEST_P(RayTracedProgramTest, RunsItsFramesOrFallsBackAndQuitsWithSuccess) {
    RunFolder folder;
    PrepareRayTracing(folder);
    std::vector<std::string> environment = {"VELMORANTH_EXIT_AFTER_FRAMES=100"};
    if (*GetParam().environment) environment.push_back(GetParam().environment);
    ProgramRun run(folder, environment);
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.WaitForExit(kRunLimitMs), 0) << run.StandardError();
    const std::string err = run.StandardError();
    const std::filesystem::path report = folder.Path() / "rt_error_report.txt";
    if (!GetParam().reportEntry) {
        EXPECT_FALSE(Contains(err, "MESSAGE:")) << err;
        EXPECT_FALSE(std::filesystem::exists(report));
        return;
    }
    // One warning, in the ray-tracing category, and the entry in the report.
    EXPECT_TRUE(Contains(err, "MESSAGE: [category 4]")) << err;
    EXPECT_EQ(ReadText(report), std::string("=====================\n_____________________\n") +
                                    GetParam().reportEntry + "\n\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, RayTracedProgramTest, ::testing::ValuesIn(kRayTracedRuns),
                         CaseName());

}  // namespace
