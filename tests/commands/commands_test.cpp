// The command table, the update rules and the keys, without a window toolkit.

#include "app/commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "animation/human_object.h"
#include "animation/view_state.h"
#include "app/settings_globals.h"
#include "app/shell_state.h"
#include "app/velmoranth_app.h"
#include "audio/analysis_thread.h"
#include "model/mesh_part.h"
#include "model/model_catalogue.h"
#include "render/frame_driver.h"
#include "render/frame_hooks.h"
#include "render/scene_state.h"
#include "tests/support/case_name.h"

namespace {

// Every global the commands read or write, at a known start; the seams count their calls.
class CommandFixture {
  public:
    CommandFixture() {
        ShowClub = 1;
        ShowProps = 1;
        ShowStats = 0;
        DisplayTextures = 1;
        ToonShading = 0;
        SmoothShading = 1;
        FilledPolygons = 1;
        SimpleLighting = 0;
        RenderShadows = 1;
        SavedRenderShadows = 0;
        RenderRt3DShadows = 1;
        RenderRtReflections = 1;
        RenderRt3DTextures = 1;
        RenderEngine = kOpenGlEngine;
        RayTracingAvailable = 0;
        Paused = 0;
        DanceWhenSilent = 0;
        CameraMode = 0;
        RequestedDancer = -1;
        CurrentDancer = 0;
        RequestedAudioDevice = -1;
        CurrentAudioDevice = -1;
        FpsAveragingTime = 5.0f;
        FullScreen = 0;
        StereoRendering = 0;
        SavedFullScreen = 0;
        StereoAvailable = 0;
        VirtualReality = 0;
        VrAvailable = 0;
        ShadowsAvailable = 1;
        PropsAvailable = 1;
        ShutDownStarted = 0;
        for (int& d : DancerAvailable) d = 1;
        theApp.AboutOpen = theApp.CamAdjustOpen = theApp.MusicPlayerOpen = 0;
        theApp.QuitDialogOpen = theApp.PreferencesOpen = 0;
        seams.openPreferences = [this] { ++opened.preferences; };
        seams.openQuitConfirm = [this] { ++opened.quit; };
        seams.openCamAdjust = [this] { ++opened.camAdjust; };
        seams.openAbout = [this] { ++opened.about; };
        seams.openMusicPlayer = [this] { ++opened.player; };
        seams.runAudioSource = [this] { return chosenDevice; };
        seams.recordingDevices = [this] { return devices; };
        seams.startMixer = [this] { ++opened.mixer; };
        seams.setFullScreen = [this](bool on) { fullScreenCalls += on ? "+" : "-"; };
        seams.quitNow = [this] { ++opened.quitNow; };
        seams.pauseSong = [this](int paused) { songPauses += std::to_string(paused); };
    }
    ~CommandFixture() { ShutDownStarted = 0; }

    struct Opened {
        int preferences = 0, quit = 0, camAdjust = 0, about = 0, player = 0, mixer = 0, quitNow = 0;
    } opened;
    int chosenDevice = -1;
    int devices = 1;
    std::string fullScreenCalls;  // "+" on, "-" off, in call order
    std::string songPauses;
    cmd::Seams seams;
};

bool Restarted() { return FpsAveragingTime == 0.0f; }

struct RunCase {
    const char* name;
    std::function<void(CommandFixture&)> before;
    int id;
    std::function<bool(const CommandFixture&)> after;
    bool restart;
};

const RunCase kRunCases[] = {
    {"LineRendering", nullptr, cmd::kLineRendering, [](auto&) { return FilledPolygons == 0; },
     true},
    {"FlatShading", nullptr, cmd::kFlatShading, [](auto&) { return SmoothShading == 0; }, true},
    {"Toon", nullptr, cmd::kToon, [](auto&) { return ToonShading == 1; }, true},
    {"Club", nullptr, cmd::kClub, [](auto&) { return ShowClub == 0; }, true},
    {"Textures", nullptr, cmd::kTextures, [](auto&) { return DisplayTextures == 0; }, true},
    {"Props", nullptr, cmd::kProps, [](auto&) { return ShowProps == 0; }, true},
    {"PropsMissingDoNothing", [](auto&) { PropsAvailable = 0; }, cmd::kProps,
     [](auto&) { return ShowProps == 1; }, false},
    {"Stats", nullptr, cmd::kStats, [](auto&) { return ShowStats == 1; }, false},
    {"SimpleLightingOnParksShadows", nullptr, cmd::kSimpleLighting,
     [](auto&) { return SimpleLighting == 1 && RenderShadows == 0 && SavedRenderShadows == 1; },
     true},
    {"SimpleLightingOffRestoresShadows",
     [](auto&) {
         SimpleLighting = 1;
         RenderShadows = 0;
         SavedRenderShadows = 1;
     },
     cmd::kSimpleLighting, [](auto&) { return SimpleLighting == 0 && RenderShadows == 1; }, true},
    {"SimpleLightingOutsideEngine0DoesNothing", [](auto&) { RenderEngine = kRayTracerEngine; },
     cmd::kSimpleLighting, [](auto&) { return SimpleLighting == 0 && RenderShadows == 1; }, false},
    {"ShadowsEngine0", nullptr, cmd::kShadows,
     [](auto&) { return RenderShadows == 0 && RenderRt3DShadows == 1; }, true},
    {"ShadowsEngine2", [](auto&) { RenderEngine = kRayTracerEngine; }, cmd::kShadows,
     [](auto&) { return RenderShadows == 1 && RenderRt3DShadows == 0; }, true},
    {"ReflectionsToggle", nullptr, cmd::kReflections,
     [](auto&) { return RenderRtReflections == 0; }, true},
    {"3DTexturesRestartOutsideEngine2", nullptr, cmd::k3DTextures,
     [](auto&) { return RenderRt3DTextures == 1; }, true},
    {"3DTexturesEngine2", [](auto&) { RenderEngine = kRayTracerEngine; }, cmd::k3DTextures,
     [](auto&) { return RenderRt3DTextures == 0; }, true},
    {"ViewShadowsWithoutMenuItem", nullptr, cmd::kViewShadows,
     [](auto&) { return RenderShadows == 0; }, true},
    {"ViewShadowsWithoutShadowModel", [](auto&) { ShadowsAvailable = 0; }, cmd::kViewShadows,
     [](auto&) { return RenderShadows == 1; }, false},
    {"EngineCpu", nullptr, cmd::kEngineCpu, [](auto&) { return RenderEngine == 0; }, true},
    {"EngineGpuWithoutRayTracer", nullptr, cmd::kEngineGpu, [](auto&) { return RenderEngine == 0; },
     false},
    {"PauseWithSong", nullptr, cmd::kPauseDisplay,
     [](const CommandFixture& f) { return Paused == 1 && f.songPauses == "1"; }, false},
    {"ResumeWithSong", [](auto&) { Paused = 1; }, cmd::kPauseDisplay,
     [](const CommandFixture& f) { return Paused == 0 && f.songPauses == "0"; }, false},
    {"ManualCameraFromAuto", nullptr, cmd::kManualCamera, [](auto&) { return CameraMode == 1; },
     false},
    {"ManualCameraFromManual", [](auto&) { CameraMode = 1; }, cmd::kManualCamera,
     [](auto&) { return CameraMode == 0; }, false},
    {"ManualCameraFromVr", [](auto&) { CameraMode = 2; }, cmd::kManualCamera,
     [](auto&) { return CameraMode == 0; }, false},
    {"DanceWhenSilent", nullptr, cmd::kDanceWhenSilent, [](auto&) { return DanceWhenSilent == 1; },
     false},
    {"DancerPemsaIsIndex5", nullptr, cmd::kDancerPemsa,
     [](auto&) { return RequestedDancer == 5 && CurrentDancer == 0; }, false},
    {"DancerDaxilIsIndex6", nullptr, cmd::kDancerDaxil, [](auto&) { return RequestedDancer == 6; },
     false},
    {"SelectDeviceOtherDevice", [](CommandFixture& f) { f.chosenDevice = 2; }, cmd::kSelectDevice,
     [](auto&) { return RequestedAudioDevice == 2; }, false},
    {"SelectDeviceSameDevice",
     [](CommandFixture& f) {
         f.chosenDevice = 1;
         CurrentAudioDevice = 1;
     },
     cmd::kSelectDevice, [](auto&) { return RequestedAudioDevice == -1; }, false},
    {"SelectDeviceCancelled", nullptr, cmd::kSelectDevice,
     [](auto&) { return RequestedAudioDevice == -1; }, false},
    {"SelectInputStartsMixer", nullptr, cmd::kSelectInput,
     [](const CommandFixture& f) { return f.opened.mixer == 1; }, false},
    {"QuitOpensConfirmation", nullptr, cmd::kQuit,
     [](const CommandFixture& f) { return f.opened.quit == 1 && theApp.QuitDialogOpen == 1; },
     false},
    {"QuitWhileOpenDoesNothing", [](auto&) { theApp.QuitDialogOpen = 1; }, cmd::kQuit,
     [](const CommandFixture& f) { return f.opened.quit == 0; }, false},
    {"AdjCameraSwitchesToManual", nullptr, cmd::kAdjCamera,
     [](const CommandFixture& f) {
         return CameraMode == 1 && f.opened.camAdjust == 1 && theApp.CamAdjustOpen == 1;
     },
     false},
    {"AdjCameraKeepsVrCamera", [](auto&) { CameraMode = 2; }, cmd::kAdjCamera,
     [](auto&) { return CameraMode == 2; }, false},
    {"AboutOpensOnce", [](auto&) { theApp.AboutOpen = 1; }, cmd::kAbout,
     [](const CommandFixture& f) { return f.opened.about == 0; }, false},
    {"PreferencesOpens", nullptr, cmd::kPreferences,
     [](const CommandFixture& f) { return f.opened.preferences == 1 && theApp.PreferencesOpen; },
     false},
    {"MusicPlayer", nullptr, cmd::kMusicPlayer,
     [](const CommandFixture& f) { return f.opened.player == 1; }, false},
    {"FileSaveIsInert", nullptr, cmd::kFileSave, [](auto&) { return true; }, false},
    {"NothingAfterShutDown", [](auto&) { ShutDownStarted = 1; }, cmd::kClub,
     [](auto&) { return ShowClub == 1; }, false},
    {"NoDialogAfterShutDown", [](auto&) { ShutDownStarted = 1; }, cmd::kQuit,
     [](const CommandFixture& f) { return f.opened.quit == 0; }, false},
};

class RunTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunTest, ChangesTheGlobalsAndRestartsWhereItShould) {
    CommandFixture f;
    if (GetParam().before) GetParam().before(f);
    cmd::Run(GetParam().id, f.seams);
    EXPECT_TRUE(GetParam().after(f));
    EXPECT_EQ(Restarted(), GetParam().restart);
}

INSTANTIATE_TEST_SUITE_P(Cases, RunTest, ::testing::ValuesIn(kRunCases), CaseName());

struct UpdateCase {
    const char* name;
    std::function<void(CommandFixture&)> before;
    int id;
    cmd::ItemState expected;
};

const UpdateCase kUpdateCases[] = {
    {"StatsOff", nullptr, cmd::kStats, {true, -1, "Display &Stats"}},
    {"StatsOn", [](auto&) { ShowStats = 1; }, cmd::kStats, {true, -1, "Hide &Stats"}},
    {"ClubShown", nullptr, cmd::kClub, {true, -1, "Hide &Club"}},
    {"ClubHidden", [](auto&) { ShowClub = 0; }, cmd::kClub, {true, -1, "Display &Club"}},
    {"MissingProps", [](auto&) { PropsAvailable = 0; }, cmd::kProps, {false, -1, "Missing Props"}},
    {"PropsShown", nullptr, cmd::kProps, {true, -1, "Empty Clu&b"}},
    {"PropsWithClubHidden",
     [](auto&) {
         ShowClub = 0;
         ShowProps = 0;
     },
     cmd::kProps,
     {false, -1, "Full Clu&b"}},
    {"ShadowsEngine0", nullptr, cmd::kShadows, {true, 1, ""}},
    {"ShadowsWithoutShadowModel",
     [](auto&) { ShadowsAvailable = 0; },
     cmd::kShadows,
     {false, 1, ""}},
    {"ShadowsUnderSimpleLighting",
     [](auto&) {
         SimpleLighting = 1;
         RenderShadows = 0;
     },
     cmd::kShadows,
     {false, 0, ""}},
    {"ShadowsEngine2",
     [](auto&) {
         RenderEngine = 2;
         RenderRt3DShadows = 0;
     },
     cmd::kShadows,
     {true, 0, ""}},
    {"LineRenderingEngine2", [](auto&) { RenderEngine = 2; }, cmd::kLineRendering, {false, 0, ""}},
    {"LineRenderingOn", [](auto&) { FilledPolygons = 0; }, cmd::kLineRendering, {true, 1, ""}},
    {"FlatShadingOff", nullptr, cmd::kFlatShading, {true, 0, ""}},
    {"ReflectionsWithoutRayTracer",
     [](auto&) { RenderEngine = 2; },
     cmd::kReflections,
     {false, 0, ""}},
    {"ReflectionsEngine2",
     [](auto&) {
         RenderEngine = 2;
         RayTracingAvailable = 1;
     },
     cmd::kReflections,
     {true, 1, ""}},
    {"EngineCpuChecked", nullptr, cmd::kEngineCpu, {true, 1, ""}},
    {"EngineGpuWithoutRayTracer", nullptr, cmd::kEngineGpu, {false, -1, ""}},
    {"ManualCameraAuto", nullptr, cmd::kManualCamera, {true, -1, "Manual &Camera"}},
    {"ManualCameraManual",
     [](auto&) { CameraMode = 1; },
     cmd::kManualCamera,
     {true, -1, "Auto &Camera"}},
    {"ManualCameraInVr", [](auto&) { VirtualReality = 1; }, cmd::kManualCamera, {false, -1, ""}},
    {"PauseLabel", [](auto&) { Paused = 1; }, cmd::kPauseDisplay, {true, -1, "Resume &Dance"}},
    {"ToonLabel", nullptr, cmd::kToon, {true, -1, "Toon Shading"}},
    {"TexturesLabel", nullptr, cmd::kTextures, {true, -1, "Hide &Textures"}},
    {"StereoUnavailable", nullptr, cmd::kStereo, {false, -1, "Stereo Rendering"}},
    {"StereoOn",
     [](auto&) {
         StereoAvailable = 1;
         StereoRendering = 1;
     },
     cmd::kStereo,
     {true, -1, "Mono Rendering"}},
    {"ViewShadowsMissing",
     [](auto&) { ShadowsAvailable = 0; },
     cmd::kViewShadows,
     {false, -1, "Missing Shadow"}},
    {"ViewShadowsOn", nullptr, cmd::kViewShadows, {true, -1, "Disable Shad&ows"}},
    {"DanceWhenSilentLabel", nullptr, cmd::kDanceWhenSilent, {true, -1, "Dance When &Silent"}},
    {"DancerMissing", [](auto&) { DancerAvailable[3] = 0; }, cmd::kDancerOrlaq, {false, -1, ""}},
    {"DancerCurrent", [](auto&) { CurrentDancer = 5; }, cmd::kDancerPemsa, {true, 1, ""}},
    {"DancerNotCurrent", nullptr, cmd::kDancerMirelH, {true, 0, ""}},
    {"QuitWhileOpen", [](auto&) { theApp.QuitDialogOpen = 1; }, cmd::kQuit, {false, -1, ""}},
    {"AdjCameraInVr", [](auto&) { VirtualReality = 1; }, cmd::kAdjCamera, {false, -1, ""}},
    {"AdjCameraWithoutPad",
     [](CommandFixture& f) { f.seams.openCamAdjust = nullptr; },
     cmd::kAdjCamera,
     {false, -1, ""}},
    {"SelectDeviceWithoutDevices",
     [](CommandFixture& f) { f.devices = 0; },
     cmd::kSelectDevice,
     {false, -1, ""}},
    {"VirtualRealityNeverAvailable", nullptr, cmd::kVirtualReality, {false, -1, ""}},
    {"ContextMenuInWindow", nullptr, cmd::kToggleFullScreen, {true, -1, "Display As Window"}},
    {"ContextMenuInFullScreen",
     [](auto&) { FullScreen = 1; },
     cmd::kToggleFullScreen,
     {true, -1, "Display Full Screen"}},
    {"AcceleratorSaveHasNoHandler", nullptr, cmd::kFileSave, {false, -1, ""}},
};

class UpdateTest : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(UpdateTest, EnablesChecksAndLabels) {
    CommandFixture f;
    if (GetParam().before) GetParam().before(f);
    const cmd::ItemState s = cmd::Update(GetParam().id, f.seams);
    EXPECT_EQ(s.enabled, GetParam().expected.enabled);
    EXPECT_EQ(s.check, GetParam().expected.check);
    EXPECT_EQ(s.label, GetParam().expected.label);
}

INSTANTIATE_TEST_SUITE_P(Cases, UpdateTest, ::testing::ValuesIn(kUpdateCases), CaseName());

struct KeyCase {
    const char* name;
    std::function<void(CommandFixture&)> before;
    cmd::KeyInput key;
    std::function<bool(const CommandFixture&)> after;
};

const KeyCase kKeyCases[] = {
    {"FEntersFullScreen",
     nullptr,
     {cmd::Key::None, 'f'},
     [](const CommandFixture& f) { return FullScreen == 1 && f.fullScreenCalls == "+"; }},
    {"FInFullScreenDoesNothing",
     [](auto&) { FullScreen = 1; },
     {cmd::Key::None, 'F'},
     [](const CommandFixture& f) { return FullScreen == 1 && f.fullScreenCalls.empty(); }},
    {"EscInWindowDoesNothing",
     nullptr,
     {cmd::Key::Escape, 0},
     [](const CommandFixture& f) { return FullScreen == 0 && f.fullScreenCalls.empty(); }},
    {"EscLeavesFullScreenAndStereo",
     [](auto&) {
         FullScreen = 1;
         StereoRendering = 1;
     },
     {cmd::Key::Escape, 0},
     [](const CommandFixture& f) {
         return FullScreen == 0 && StereoRendering == 0 && f.fullScreenCalls == "-";
     }},
    {"QInWindowOpensConfirmation",
     nullptr,
     {cmd::Key::None, 'q'},
     [](const CommandFixture& f) { return f.opened.quit == 1 && f.opened.quitNow == 0; }},
    {"QInFullScreenQuitsAtOnce",
     [](auto&) { FullScreen = 1; },
     {cmd::Key::None, 'Q'},
     [](const CommandFixture& f) {
         return f.opened.quit == 0 && f.opened.quitNow == 1 && f.fullScreenCalls == "-";
     }},
    {"SUnderSimpleLightingStillToggles",
     [](auto&) { SimpleLighting = 1; },
     {cmd::Key::None, 's'},
     [](auto&) { return RenderShadows == 0 && Restarted(); }},
    {"SWithoutShadowModel",
     [](auto&) { ShadowsAvailable = 0; },
     {cmd::Key::None, 's'},
     [](auto&) { return RenderShadows == 1 && !Restarted(); }},
    {"CIgnoresTheDisabledItem",
     [](auto&) { VirtualReality = 1; },
     {cmd::Key::None, 'c'},
     [](auto&) { return CameraMode == 1; }},
    {"LInEngine2DoesNothing",
     [](auto&) { RenderEngine = 2; },
     {cmd::Key::None, 'l'},
     [](auto&) { return SimpleLighting == 0; }},
    {"BTogglesClub", nullptr, {cmd::Key::None, 'b'}, [](auto&) { return ShowClub == 0; }},
    {"DTogglesDanceWhenSilent",
     nullptr,
     {cmd::Key::None, 'D'},
     [](auto&) { return DanceWhenSilent == 1; }},
    {"PPauses", nullptr, {cmd::Key::None, 'p'}, [](auto&) { return Paused == 1; }},
    {"TTogglesTextures",
     nullptr,
     {cmd::Key::None, 't'},
     [](auto&) { return DisplayTextures == 0; }},
    {"ControlCharacterDoesNothing",
     nullptr,
     {cmd::Key::None, '\x13'},
     [](auto&) { return RenderShadows == 1 && !Restarted(); }},
};

class KeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyTest, ActsAsTheTableSays) {
    CommandFixture f;
    if (GetParam().before) GetParam().before(f);
    cmd::HandleKey(GetParam().key, f.seams);
    EXPECT_TRUE(GetParam().after(f));
}

INSTANTIATE_TEST_SUITE_P(Cases, KeyTest, ::testing::ValuesIn(kKeyCases), CaseName());

TEST(Commands, QTwiceInAWindowOpensOneConfirmation) {
    CommandFixture f;
    cmd::HandleKey({cmd::Key::None, 'q'}, f.seams);
    cmd::HandleKey({cmd::Key::None, 'q'}, f.seams);
    EXPECT_EQ(f.opened.quit, 1);
    theApp.QuitDialogOpen = 0;  // Cancel
    cmd::Run(cmd::kQuit, f.seams);
    EXPECT_EQ(f.opened.quit, 2);
}

// The three display states: window, full screen, full screen with stereo.
struct ModeCase {
    const char* name;
    int fullScreen;
    std::vector<int> commands;
    int fullScreenAfter;
    int stereoAfter;
    const char* frameCalls;
};

const ModeCase kModeCases[] = {
    {"StereoFromWindowAndBack", 0, {cmd::kStereo, cmd::kStereo}, 0, 0, "+-"},
    {"StereoInFullScreenStaysFullScreen", 1, {cmd::kStereo, cmd::kStereo}, 1, 0, ""},
    {"LeavingFullScreenEndsStereo", 1, {cmd::kStereo, cmd::kToggleFullScreen}, 0, 0, "-"},
    {"ToggleTwice", 0, {cmd::kToggleFullScreen, cmd::kToggleFullScreen}, 0, 0, "+-"},
    {"StereoOnFromWindow", 0, {cmd::kStereo}, 1, 1, "+"},
};

class ModeTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ModeTest, SwitchesAsTheStatesSay) {
    CommandFixture f;
    StereoAvailable = 1;
    FullScreen = GetParam().fullScreen;
    for (int id : GetParam().commands) cmd::Run(id, f.seams);
    EXPECT_EQ(FullScreen, GetParam().fullScreenAfter);
    EXPECT_EQ(StereoRendering, GetParam().stereoAfter);
    EXPECT_EQ(f.fullScreenCalls, GetParam().frameCalls);
}

INSTANTIATE_TEST_SUITE_P(Cases, ModeTest, ::testing::ValuesIn(kModeCases), CaseName());

// The windowed geometry that leaving full screen returns to, through moves of the frame and
// the ways in and out of full screen.
struct Box {
    int x, y, width, height;
    bool operator==(const Box&) const = default;
};

void PrintTo(const Box& b, std::ostream* os) {
    *os << b.x << "," << b.y << " " << b.width << "x" << b.height;
}

using Step = std::function<void(const cmd::Seams&)>;

Step Moved(Box b) {
    return [b](const cmd::Seams&) { cmd::OnFrameGeometry(b.x, b.y, b.width, b.height); };
}
Step Command(int id) {
    return [id](const cmd::Seams& s) { cmd::Run(id, s); };
}
Step Key(cmd::KeyInput key) {
    return [key](const cmd::Seams& s) { cmd::HandleKey(key, s); };
}

constexpr Box kWindow{480, 216, 960, 540};
constexpr Box kMaximised{0, 0, 1920, 1050};  // below a panel
constexpr Box kScreen{0, 0, 1920, 1080};
const Step kKeyF = Key({cmd::Key::None, 'f'});
const Step kEscape = Key({cmd::Key::Escape, 0});

struct GeometryCase {
    const char* name;
    std::vector<Step> steps;
    Box kept;
    const char* frameCalls;
};

const GeometryCase kGeometryCases[] = {
    {"WindowedMovesAreKept", {Moved(kWindow)}, kWindow, ""},
    {"FullScreenIsNotKept", {Moved(kWindow), kKeyF, Moved(kScreen)}, kWindow, "+"},
    {"EscapeReturnsToTheWindow",
     {Moved(kWindow), kKeyF, Moved(kScreen), kEscape, Moved(kWindow)},
     kWindow,
     "+-"},
    {"MaximisedWindowIsTheOneReturnedTo",
     {Moved(kWindow), Moved(kMaximised), kKeyF, Moved(kScreen), kEscape},
     kMaximised,
     "+-"},
    {"ContextMenuBothWays",
     {Moved(kWindow), Command(cmd::kToggleFullScreen), Moved(kScreen),
      Command(cmd::kToggleFullScreen)},
     kWindow,
     "+-"},
    {"StereoFromTheWindowAndBack",
     {Moved(kWindow), Command(cmd::kStereo), Moved(kScreen), Command(cmd::kStereo)},
     kWindow,
     "+-"},
};

class WindowedGeometryTest : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(WindowedGeometryTest, IsTheLastOneSeenOutsideFullScreen) {
    CommandFixture f;
    StereoAvailable = 1;
    for (const Step& step : GetParam().steps) step(f.seams);
    EXPECT_EQ((Box{WindowClientX, WindowClientY, WindowClientWidth, WindowClientHeight}),
              GetParam().kept);
    EXPECT_EQ(f.fullScreenCalls, GetParam().frameCalls);
    EXPECT_EQ(FullScreen, std::string(GetParam().frameCalls) == "+" ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowedGeometryTest, ::testing::ValuesIn(kGeometryCases),
                         CaseName());

TEST(Commands, StereoWithoutAStereoBufferDoesNothing) {
    CommandFixture f;
    cmd::Run(cmd::kStereo, f.seams);
    EXPECT_EQ(StereoRendering, 0);
    EXPECT_EQ(FullScreen, 0);
}

TEST(Commands, RenderOptionsPerEngine) {
    std::vector<int> engine0, engine2;
    for (const cmd::MenuNode& n : cmd::RenderOptionsItems(0)) engine0.push_back(n.id);
    for (const cmd::MenuNode& n : cmd::RenderOptionsItems(2)) engine2.push_back(n.id);
    EXPECT_EQ(engine0, (std::vector<int>{cmd::kLineRendering, cmd::kSimpleLighting,
                                         cmd::kFlatShading, cmd::kShadows}));
    EXPECT_EQ(engine2, (std::vector<int>{cmd::kShadows, cmd::kReflections, cmd::k3DTextures}));
}

TEST(Commands, PruningFollowsTheDancerFiles) {
    CommandFixture f;
    EXPECT_TRUE(cmd::Pruned(cmd::kVirtualReality));
    EXPECT_FALSE(cmd::Pruned(cmd::kDancerMirelB));
    DancerAvailable[2] = 0;  // the belly-dance file is missing, or the model variant marker
    DancerAvailable[5] = 0;
    DancerAvailable[3] = 0;  // other dancers stay, disabled
    EXPECT_TRUE(cmd::Pruned(cmd::kDancerMirelB));
    EXPECT_TRUE(cmd::Pruned(cmd::kDancerPemsa));
    EXPECT_FALSE(cmd::Pruned(cmd::kDancerOrlaq));
}

TEST(Commands, TheModelVariantWithoutHalterDancersPrunesTheBellyDance) {
    CommandFixture f;
    CheckDancerModelFiles(2);  // the "NudeGirl" marker alone
    EXPECT_TRUE(cmd::Pruned(cmd::kDancerMirelB));
    EXPECT_FALSE(cmd::Pruned(cmd::kDancerMirelH));  // only disabled, never removed
    EXPECT_FALSE(cmd::Update(cmd::kDancerMirelH, f.seams).enabled);
}

TEST(Commands, MainMenuHasEveryItemInOrder) {
    const auto menu = cmd::MainMenu();
    ASSERT_EQ(menu.size(), 6u);
    std::vector<std::string> popups;
    for (const auto& p : menu) popups.push_back(p.text);
    EXPECT_EQ(popups, (std::vector<std::string>{"&File", "&View", "&Rendering", "&Music", "&Dancer",
                                                "&Help"}));
    EXPECT_EQ(menu[4].children[5].text, "&Pemsa");
    EXPECT_EQ(menu[4].children[5].id, cmd::kDancerPemsa);
    EXPECT_TRUE(menu[2].children[2].refilled);
}

}  // namespace
