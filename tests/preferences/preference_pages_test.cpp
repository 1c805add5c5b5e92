// The preferences pages as the sheet drives them: what each page shows when it opens, what each
// control does, and what OK, Cancel and the sheet's end leave behind.

#include "app/preference_pages.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "animation/view_state.h"
#include "app/commands.h"
#include "app/settings_file.h"
#include "app/settings_globals.h"
#include "app/velmoranth_app.h"
#include "model/model_catalogue.h"
#include "render/frame_driver.h"
#include "render/scene_state.h"
#include "tests/support/case_name.h"
#include "tests/support/fake_props.h"

namespace fs = std::filesystem;
using namespace prefs;

namespace {

// In the fixture's props the Stool's file is missing.
constexpr int kStool = 2;
constexpr int kBooth = 6;

// Each test runs in a fresh current directory, with known globals and an engine switch that
// records its calls and always succeeds.
class PagesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_oldDir = fs::current_path();
        std::string dir = (fs::temp_directory_path() / "velmoranth-prefs-XXXXXX").string();
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        m_dir = dir;
        fs::current_path(m_dir);
        SetSettingsStartValues();
        MinMusicDetect = 20.0f;
        RayTracingAvailable = 1;
        RenderEngine = kOpenGlEngine;
        PropsAvailable = 1;
        ShowProps = ShowClub = ShowStats = 0;
        FpsAveragingTime = 5.0f;
        theApp.PreferencesOpen = 1;
        props.present.fill(true);
        props.present[kStool] = false;
        props.visible.fill(0);
        props.visible[kBooth] = 1;
        BindPropVisibility(&props);
    }
    void TearDown() override {
        BindPropVisibility(nullptr);
        fs::current_path(m_oldDir);
        fs::remove_all(m_dir);
    }

    std::unique_ptr<SheetPages> NewSheet() {
        PreferenceHooks hooks;
        hooks.setRenderEngine = [this](int engine) {
            engineCalls.push_back(engine);
            RenderEngine = engine;
        };
        hooks.writeSettings = [] { return WriteSettings(); };
        hooks.clubShown = [this] { clubShownCalls.push_back(ShowClub); };
        auto sheet = MakePreferencePages(std::move(hooks));
        sheet->InitPage(kObjectsPage);  // the first page shows with the sheet
        return sheet;
    }

    FakeProps props;
    std::vector<int> engineCalls;
    std::vector<int> clubShownCalls;  // ShowClub as each call saw it

  private:
    fs::path m_oldDir;
    fs::path m_dir;
};

ControlState Find(const ControlStates& controls, int id) {
    const auto found = std::find_if(controls.begin(), controls.end(),
                                    [id](const ControlState& c) { return c.id == id; });
    EXPECT_NE(found, controls.end()) << "no control " << id;
    return found == controls.end() ? ControlState{} : *found;
}

// What a page shows when it opens on the given globals.
struct OpeningCase {
    const char* name;
    std::function<void()> setUp;
    int page;
    int id;
    int value;
    bool enabled;
};

const OpeningCase kOpeningCases[] = {
    {"AmbientTenthAtForty", [] { ClubAmbient = 0.1f; }, kLightsPage, kAmbientSlider, 40, true},
    {"AmbientQuarterAtTheTop", [] { ClubAmbient = 0.25f; }, kLightsPage, kAmbientSlider, 100, true},
    {"SpotCountRadio", [] { NumRequestedSpots = 4; }, kLightsPage, kFirstSpotRadio + 3, 1, true},
    {"OtherSpotRadiosClear", [] { NumRequestedSpots = 4; }, kLightsPage, kFirstSpotRadio, 0, true},
    {"MusicDetectTruncated", [] { MinMusicDetect = 20.9f; }, kAudioPage, kMusicDetectSlider, 20,
     true},
    {"StatChoiceRadio", [] { StatChoice = 3; }, kStatsPage, kStatRadioBase + 3, 1, true},
    {"StereoScaleOneAtThirtyThree", [] { Stereo3DScale = 1.0f; }, kStereo3DPage, kStereoSlider, 33,
     true},
    {"StereoScaleTopAtHundred", [] { Stereo3DScale = 2.0f; }, kStereo3DPage, kStereoSlider, 100,
     true},
    {"InvertZeroChecked", [] { Stereo3DInvert = 0; }, kStereo3DPage, kInvertStereoBox, 1, true},
    {"InvertMinusOneChecked", [] { Stereo3DInvert = -1; }, kStereo3DPage, kInvertStereoBox, 1,
     true},
    {"InvertOneClear", [] { Stereo3DInvert = 1; }, kStereo3DPage, kInvertStereoBox, 0, true},
    {"LoadedPropByItsFlag", [] {}, kObjectsPage, kBoothBox, 1, true},
    {"MissingPropDisabled", [] {}, kObjectsPage, kStoolBox, 0, false},
    {"NoPropsAllDisabled", [] { PropsAvailable = 0; }, kObjectsPage, kBoothBox, 0, false},
    {"TexturesByTheirFlag", [] { DisplayTextures = 0; }, kObjectsPage, kTexturesBox, 0, true},
    {"RayTracerChecked", [] { RenderEngine = kRayTracerEngine; }, kRenderPage, kRayTraceRadio, 1,
     true},
    {"RayTracerColumnOnWithIt", [] { RenderEngine = kRayTracerEngine; }, kRenderPage,
     kReflectionsBox, 1, true},
    {"ScanLineColumnOffWithTheRayTracer", [] { RenderEngine = kRayTracerEngine; }, kRenderPage,
     kShadows2DBox, 1, false},
    {"ScanLineColumnOnWithIt", [] { SimpleLighting = 1; }, kRenderPage, kSimpleLightsBox, 1, true},
    {"RayTracerColumnOffWithScanLine", [] {}, kRenderPage, kShadows3DBox, 1, false},
    {"NoRayTracingNoRadio", [] { RayTracingAvailable = 0; }, kRenderPage, kRayTraceRadio, 0, false},
    {"NoRayTracingScanLineChecked",
     [] {
         RayTracingAvailable = 0;
         RenderEngine = kRayTracerEngine;
     },
     kRenderPage, kScanLineRadio, 1, true},
};

class PageOpeningTest : public PagesTest, public ::testing::WithParamInterface<OpeningCase> {};

TEST_P(PageOpeningTest, ShowsTheGlobals) {
    const OpeningCase& c = GetParam();
    c.setUp();
    PreferenceHooks hooks{[](int) {}, [] { return 0; }, [] {}};
    auto sheet = MakePreferencePages(std::move(hooks));
    const ControlState shown = Find(sheet->InitPage(c.page), c.id);
    EXPECT_EQ(shown.value, c.value);
    EXPECT_EQ(shown.enabled, c.enabled);
}

INSTANTIATE_TEST_SUITE_P(Cases, PageOpeningTest, ::testing::ValuesIn(kOpeningCases), CaseName());

// What one control does to the globals, and whether it restarts the frame-rate average.
struct ControlCase {
    const char* name;
    int page;
    int id;
    int value;
    std::function<bool(const FakeProps&)> holds;
    bool restarts;
};

const ControlCase kControlCases[] = {
    {"AmbientMiddle", kLightsPage, kAmbientSlider, 50,
     [](auto&) { return ClubAmbient == 0.125f && MainLightLevel == 0.5f; }, false},
    {"AmbientTop", kLightsPage, kAmbientSlider, 100,
     [](auto&) { return ClubAmbient == 0.25f && MainLightLevel == 1.0f; }, false},
    {"AmbientBottom", kLightsPage, kAmbientSlider, 0,
     [](auto&) { return ClubAmbient == 0.0f && MainLightLevel == 0.0f; }, false},
    {"SpotRadio", kLightsPage, kFirstSpotRadio + 1, 1,
     [](auto&) { return ActiveSpotCount == 2 && NumRequestedSpots == 2; }, true},
    {"MusicDetectLowest", kAudioPage, kMusicDetectSlider, 1,
     [](auto&) { return MinMusicDetect == 1.0f; }, false},
    {"StatRadio", kStatsPage, kStatRadioBase + 7, 1, [](auto&) { return StatChoice == 7; }, true},
    {"StereoTouchedAtThirtyThree", kStereo3DPage, kStereoSlider, 33,
     [](auto&) { return Stereo3DScale == 0.995f; }, false},
    {"StereoBottom", kStereo3DPage, kStereoSlider, 0, [](auto&) { return Stereo3DScale == 0.5f; },
     false},
    {"StereoTop", kStereo3DPage, kStereoSlider, 100, [](auto&) { return Stereo3DScale == 2.0f; },
     false},
    {"InvertChecked", kStereo3DPage, kInvertStereoBox, 1,
     [](auto&) { return Stereo3DInvert == -1; }, false},
    {"InvertCleared", kStereo3DPage, kInvertStereoBox, 0, [](auto&) { return Stereo3DInvert == 1; },
     false},
    {"PropBox", kObjectsPage, kPlantBox, 1, [](const FakeProps& p) { return p.visible[5] == 1; },
     true},
    {"MissingPropBoxTouchesNothing", kObjectsPage, kStoolBox, 1,
     [](const FakeProps& p) { return p.visible[kStool] == 0; }, true},
    {"TexturesBox", kObjectsPage, kTexturesBox, 0, [](auto&) { return DisplayTextures == 0; },
     true},
    {"ReflectionsBox", kRenderPage, kReflectionsBox, 0,
     [](auto&) { return RenderRtReflections == 0; }, true},
    // Unlike the menu command, the box leaves the shadows alone.
    {"SimpleLightsOnlyItsFlag", kRenderPage, kSimpleLightsBox, 1,
     [](auto&) { return SimpleLighting == 1 && RenderShadows == 1; }, true},
};

class PageControlTest : public PagesTest, public ::testing::WithParamInterface<ControlCase> {};

TEST_P(PageControlTest, ActsAtOnce) {
    const ControlCase& c = GetParam();
    auto sheet = NewSheet();
    sheet->InitPage(c.page);
    FpsAveragingTime = 5.0f;
    EXPECT_TRUE(sheet->OnControl(c.id, c.value).empty());
    EXPECT_TRUE(c.holds(props));
    EXPECT_EQ(FpsAveragingTime == 0.0f, c.restarts);
}

INSTANTIATE_TEST_SUITE_P(Cases, PageControlTest, ::testing::ValuesIn(kControlCases), CaseName());

TEST_F(PagesTest, AControlOfAPageNotShownDoesNothing) {
    auto sheet = NewSheet();
    sheet->OnControl(kStereoSlider, 100);
    EXPECT_EQ(Stereo3DScale, 1.0f);
}

TEST_F(PagesTest, OpeningTurnsClubAndPropsOnAndCancelRestoresOnlyTheProps) {
    ShowClub = 0;
    auto sheet = NewSheet();
    EXPECT_EQ(ShowProps, 1);
    EXPECT_EQ(ShowClub, 1);
    // The ray tracer hears of the club turned on, as it does from the menu's command.
    EXPECT_EQ(clubShownCalls, std::vector<int>{1});
    sheet->OnControl(kBoothBox, 0);
    sheet->OnControl(kTexturesBox, 0);
    sheet->OnCancel();
    sheet->OnDestroy();
    EXPECT_EQ(ShowProps, 0);
    EXPECT_EQ(ShowClub, 1);
    EXPECT_EQ(props.visible[kBooth], 1);
    EXPECT_EQ(DisplayTextures, 1);
    EXPECT_EQ(theApp.PreferencesOpen, 0);
}

TEST_F(PagesTest, StatsTabTurnsStatisticsOnUntilCancel) {
    for (const bool ok : {false, true}) {
        ShowStats = 0;
        auto sheet = NewSheet();
        sheet->InitPage(kStatsPage);
        EXPECT_EQ(ShowStats, 1);
        sheet->OnControl(kStatRadioBase + 5, 1);
        ok ? sheet->OnOK() : sheet->OnCancel();
        sheet->OnDestroy();
        EXPECT_EQ(ShowStats, ok ? 1 : 0);
        EXPECT_EQ(StatChoice, ok ? 5 : 2);
    }
}

TEST_F(PagesTest, LightsCancelPutsTheMainLightBackWhenTheSheetGoes) {
    MainLightLevel = 0.4f;
    ActiveSpotCount = 1;
    auto sheet = NewSheet();
    sheet->InitPage(kLightsPage);
    EXPECT_EQ(ActiveSpotCount, 3);  // follows the requested count while the page is open
    sheet->OnControl(kAmbientSlider, 80);
    sheet->OnControl(kFirstSpotRadio + 4, 1);
    sheet->OnCancel();
    EXPECT_EQ(MainLightLevel, 0.8f);
    sheet->OnDestroy();
    EXPECT_EQ(MainLightLevel, 0.4f);
    EXPECT_FLOAT_EQ(ClubAmbient, 0.1f);
    EXPECT_EQ(NumRequestedSpots, 3);
    EXPECT_EQ(ActiveSpotCount, 1);
}

TEST_F(PagesTest, AudioCancelRestoresTheLevelMovedOrNot) {
    for (const int moves : {0, 1}) {
        MinMusicDetect = 20.0f;
        auto sheet = NewSheet();
        sheet->InitPage(kAudioPage);
        if (moves) sheet->OnControl(kMusicDetectSlider, 70);
        MinMusicDetect = 35.0f;  // as if from elsewhere
        sheet->OnCancel();
        sheet->OnDestroy();
        EXPECT_EQ(MinMusicDetect, 20.0f);
    }
}

TEST_F(PagesTest, EngineSwitchShowsTheColumnsAndCancelSwitchesBackOnce) {
    auto sheet = NewSheet();
    sheet->InitPage(kRenderPage);
    const ControlStates changed = sheet->OnControl(kRayTraceRadio, 1);
    EXPECT_TRUE(Find(changed, kShadows3DBox).enabled);
    EXPECT_FALSE(Find(changed, kShadows2DBox).enabled);
    EXPECT_EQ(Find(changed, kShadows2DBox).value, 1);  // the check stays as it was
    sheet->OnControl(kShadows3DBox, 0);
    sheet->OnCancel();
    sheet->OnDestroy();
    EXPECT_EQ(engineCalls, (std::vector<int>{kRayTracerEngine, kOpenGlEngine}));
    EXPECT_EQ(RenderEngine, kOpenGlEngine);
    EXPECT_EQ(RenderRt3DShadows, 1);
}

TEST_F(PagesTest, ARayTracerThatFailsToStartShowsTheScanLineEngine) {
    PreferenceHooks hooks;
    hooks.setRenderEngine = [](int) { RayTracingAvailable = 0; };  // the start failed
    hooks.writeSettings = [] { return 0; };
    auto sheet = MakePreferencePages(std::move(hooks));
    sheet->InitPage(kRenderPage);
    const ControlStates changed = sheet->OnControl(kRayTraceRadio, 1);
    EXPECT_EQ(Find(changed, kScanLineRadio).value, 1);
    EXPECT_EQ(Find(changed, kRayTraceRadio).value, 0);
    EXPECT_FALSE(Find(changed, kRayTraceRadio).enabled);
    EXPECT_TRUE(Find(changed, kShadows2DBox).enabled);
    EXPECT_FALSE(Find(changed, kShadows3DBox).enabled);
}

TEST_F(PagesTest, CancelLeavesAnUnchangedEngineAlone) {
    RenderEngine = kRayTracerEngine;
    auto sheet = NewSheet();
    sheet->InitPage(kRenderPage);
    sheet->OnControl(kReflectionsBox, 0);
    sheet->OnCancel();
    sheet->OnDestroy();
    EXPECT_TRUE(engineCalls.empty());
    EXPECT_EQ(RenderRtReflections, 1);
}

// Every key the settings file holds, with the global it is written from.
struct Key {
    const char* name;
    std::function<double(const FakeProps&)> value;
};

template <int prop>
double Prop(const FakeProps& p) {
    return p.visible[prop];
}

const Key kKeys[] = {
    {"RenderTableSet4", Prop<0>},
    {"RenderTableSet2", Prop<1>},
    {"RenderSpeaker", Prop<3>},
    {"RenderSpotLight", Prop<4>},
    {"RenderPlant", Prop<5>},
    {"RenderBooth", Prop<6>},
    {"RenderVideoGame", Prop<7>},
    {"RenderTableGame", Prop<8>},
    {"DisplayTextures", [](auto&) { return DisplayTextures; }},
    {"NumRequestedSpots", [](auto&) { return NumRequestedSpots; }},
    {"RenderEngine", [](auto&) { return RenderEngine; }},
    {"RenderShadows", [](auto&) { return RenderShadows; }},
    {"SimpleLighting", [](auto&) { return SimpleLighting; }},
    {"RenderRt3DShadows", [](auto&) { return RenderRt3DShadows; }},
    {"RenderRtReflections", [](auto&) { return RenderRtReflections; }},
    {"RenderRt3DTextures", [](auto&) { return RenderRt3DTextures; }},
    {"ClubAmbient", [](auto&) { return ClubAmbient; }},
    {"MinMusicDetect", [](auto&) { return MinMusicDetect.load(); }},
    {"StatChoice", [](auto&) { return StatChoice; }},
    {"Stereo3DScale", [](auto&) { return Stereo3DScale; }},
    {"Stereo3DInvert", [](auto&) { return Stereo3DInvert; }},
};

std::map<std::string, double> ReadBack() {
    std::map<std::string, double> values;
    std::ifstream file("Velmoranth.ini");
    std::string key;
    double value = 0;
    while (file >> key >> value) values[key] = value;
    return values;
}

TEST_F(PagesTest, OkWithOnlyObjectsShownWritesEveryCurrentGlobal) {
    auto sheet = NewSheet();
    sheet->OnControl(kPlantBox, 1);
    // Changed through the menus while the sheet is open.
    NumRequestedSpots = 5;
    RenderShadows = 0;
    StatChoice = 6;
    Stereo3DScale = 1.5f;
    Stereo3DInvert = -1;
    ClubAmbient = 0.3f;
    sheet->OnOK();
    EXPECT_FALSE(fs::exists("Velmoranth.ini"));  // written as the sheet goes
    sheet->OnDestroy();
    const std::map<std::string, double> written = ReadBack();
    for (const Key& key : kKeys) {
        const auto found = written.find(key.name);
        ASSERT_NE(found, written.end()) << key.name;
        EXPECT_NEAR(found->second, key.value(props), 1e-5) << key.name;
    }
    EXPECT_EQ(written.at("RenderPlant"), 1);
    EXPECT_EQ(ShowProps, 1);
}

TEST_F(PagesTest, ANewSheetForgetsTheLastOnesPagesAndResult) {
    auto first = NewSheet();
    first->InitPage(kStatsPage);
    first->InitPage(kStereo3DPage);
    first->OnOK();
    first->OnDestroy();
    ASSERT_TRUE(fs::remove("Velmoranth.ini"));

    // Changed through the menus between the two openings.
    ShowStats = 0;
    Stereo3DScale = 1.5f;
    auto second = NewSheet();
    second->OnCancel();
    second->OnDestroy();
    EXPECT_EQ(ShowStats, 0);
    EXPECT_EQ(Stereo3DScale, 1.5f);

    // A sheet that goes without OK or Cancel neither writes nor restores.
    auto third = NewSheet();
    third->InitPage(kStereo3DPage);
    third->OnControl(kStereoSlider, 100);
    third->OnDestroy();
    EXPECT_FALSE(fs::exists("Velmoranth.ini"));
    EXPECT_EQ(Stereo3DScale, 2.0f);
    EXPECT_EQ(theApp.PreferencesOpen, 0);
}

TEST_F(PagesTest, TheMenusSimpleLightingOverwritesTheRenderPagesShadowCopy) {
    RenderShadows = 1;
    auto sheet = NewSheet();
    sheet->InitPage(kRenderPage);
    sheet->OnControl(kShadows2DBox, 0);
    cmd::Run(cmd::kSimpleLighting, cmd::Seams{});  // parks the unchecked shadows
    sheet->OnCancel();
    sheet->OnDestroy();
    EXPECT_EQ(SimpleLighting, 0);
    EXPECT_EQ(RenderShadows, 0);
}

}  // namespace
