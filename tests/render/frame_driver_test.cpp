#include "render/frame_driver.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/dancer_selection.h"
#include "animation/view_state.h"
#include "model/report_message.h"
#include "animation/view_options.h"
#include "render/render_options.h"
#include "audio/analysis_thread.h"
#include "audio/beat_tracker.h"
#include "model/model_object.h"
#include "render/eye_render.h"
#include "render/scene_state.h"
#include "tests/model/temp_dir.h"
#include "tests/render/render_fixture.h"
#include "tests/support/case_name.h"

namespace {

constexpr std::uint8_t kMarker[3] = {200, 0, 200};

void FillWithMarker() {
    glClearColor(kMarker[0] / 255.0f, 0.0f, kMarker[2] / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

bool IsMarker(const std::uint8_t* p) { return ColorDistance(p, kMarker) < 6; }

using FrameDriverTest = SceneFixture;

TEST_F(FrameDriverTest, FirstTwoTicksOnlyStartTheClock) {
    FillWithMarker();
    TickFrames(2);
    EXPECT_EQ(FrameCounter, 2);
    EXPECT_EQ(FrameStepMs, 0.0f);
    const Image untouched = m_context->ReadRgba();
    EXPECT_EQ(CountPixels(untouched, kWidth, 0, 0, kWidth, kHeight, IsMarker), kWidth * kHeight);

    TickFrames(1, 25.0f);
    EXPECT_EQ(FrameCounter, 3);
    EXPECT_EQ(FrameStepMs, 25.0f);  // since the second tick, which stored its time
    // The scene covers the marker; a lit pixel may still come out close to its colour.
    const Image drawn = m_context->ReadRgba();
    EXPECT_LT(CountPixels(drawn, kWidth, 0, 0, kWidth, kHeight, IsMarker), kWidth * kHeight / 100);
}

TEST_F(FrameDriverTest, NothingRunsBeforeTheContextIsReady) {
    GLReady = 0;
    TickFrames(5);
    EXPECT_EQ(FrameCounter, 0);
    EXPECT_EQ(FrameClockBase, 0);
}

TEST_F(FrameDriverTest, DancerRequestIsConsumedByTheTickThatSeesIt) {
    TickFrames(3);
    RequestedDancer = 3;
    TickFrames(1);
    EXPECT_EQ(RequestedDancer, -1);
    EXPECT_EQ(CurrentDancer, 3);
    EXPECT_EQ(DancerLoaded, Dancer != nullptr ? 1 : 0);
    if (Dancer) {
        EXPECT_EQ(Dancer->GetType(), kTypeOrlaq);
    }
}

// A dancer file that vanished raises a fatal message inside the tick; the shut-down it starts
// must not be followed by the rest of the tick on freed objects.
TEST_F(FrameDriverTest, ShutDownDuringTheDancerChangeEndsTheTick) {
    TickFrames(3);
    const int drawnTicks = FrameCounter;
    SetReportMessageHandler([](const char*, int category) {
        if (category == ReportCategory::Fatal) ShutDownStarted = 1;
    });
    {
        ScopedTempDir noModels;
        RequestedDancer = 1;
        FillWithMarker();
        TickFrames(1);
    }
    SetReportMessageHandler(nullptr);
    EXPECT_EQ(DancerLoaded, 0);
    EXPECT_EQ(FrameCounter, drawnTicks);
    const Image image = m_context->ReadRgba();
    EXPECT_EQ(CountPixels(image, kWidth, 0, 0, kWidth, kHeight, IsMarker), kWidth * kHeight);
}

struct LightingCase {
    const char* name;
    int engine;
    bool spotsAndMainOn;
};
const LightingCase kLightingCases[] = {
    {"SimpleLightingInOpenGl", 0, false},
    {"SimpleLightingIgnoredByRayTracer", 2, true},
};
class SimpleLightingTest : public SceneFixture,
                           public ::testing::WithParamInterface<LightingCase> {};

TEST_P(SimpleLightingTest, SwitchesTheLightsEveryTick) {
    const LightingCase& c = GetParam();
    SimpleLighting = 1;
    RenderEngine = c.engine;
    TickFrames(3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(glIsEnabled(GL_LIGHT0 + i), c.spotsAndMainOn) << i;
    EXPECT_EQ(glIsEnabled(GL_LIGHT3), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_LIGHT6), c.spotsAndMainOn);
    EXPECT_EQ(glIsEnabled(GL_LIGHT7), !c.spotsAndMainOn);
}
INSTANTIATE_TEST_SUITE_P(Cases, SimpleLightingTest, ::testing::ValuesIn(kLightingCases),
                         CaseName());

TEST_F(FrameDriverTest, SpotArraysHoldUnitAimsOfTheSpotsInForce) {
    ActiveSpotCount = 2;
    SpotDirections[4][0] = 7.0f;  // beyond the spots in force: left alone
    TickFrames(3);
    for (int i = 0; i < 2; ++i) {
        const float* d = SpotDirections[i];
        EXPECT_NEAR(d[0] * d[0] + d[1] * d[1] + d[2] * d[2], 1.0f, 1e-5f) << i;
        EXPECT_LT(d[1], 0.0f) << "spots aim down at the dancer: " << i;
        EXPECT_EQ(SpotPositions[i][1], 2900.0f) << i;
    }
    EXPECT_EQ(SpotDirections[4][0], 7.0f);
}

// Records what the frame told the sound system.
struct SoundLog {
    static inline bool channelsPlaying = false;
    static inline int listenerCalls = 0;
    static inline int songEnds = 0;
    static inline float eye[3] = {};
};

struct SoundCase {
    const char* name;
    bool channelsPlaying;
    int listenerCalls;
    int songEnds;
};
const SoundCase kSoundCases[] = {
    {"PlayingSongMovesTheListener", true, 2, 0},
    {"SongWithoutChannelsHasEnded", false, 0, 2},
};
class SoundListenerTest : public SceneFixture, public ::testing::WithParamInterface<SoundCase> {};

TEST_P(SoundListenerTest, FollowsTheCameraOrEndsTheSong) {
    const SoundCase& c = GetParam();
    SoundLog::channelsPlaying = c.channelsPlaying;
    SoundLog::listenerCalls = 0;
    SoundLog::songEnds = 0;
    FrameSound.SongPlaying = [] { return true; };
    FrameSound.ChannelsPlaying = [] { return SoundLog::channelsPlaying; };
    FrameSound.UpdateListener = [](const float* eye, const float*, const float*) {
        ++SoundLog::listenerCalls;
        for (int i = 0; i < 3; ++i) SoundLog::eye[i] = eye[i];
    };
    FrameSound.SongEnded = [] { ++SoundLog::songEnds; };
    CameraMode = 1;
    TickFrames(4);
    EXPECT_EQ(SoundLog::listenerCalls, c.listenerCalls);
    EXPECT_EQ(SoundLog::songEnds, c.songEnds);
    if (c.listenerCalls == 0) return;
    float eye[3], back[3], up[3];
    ManualCamera->ComputeView(eye, back, up, 0);
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(SoundLog::eye[i], eye[i]) << i;
}
INSTANTIATE_TEST_SUITE_P(Cases, SoundListenerTest, ::testing::ValuesIn(kSoundCases), CaseName());

struct BeatCase {
    const char* name;
    int threadStopped;
    int paused;
    float start;
    float want;
};
const BeatCase kBeatCases[] = {
    {"AdvancesFourUnitsPerSecond", 1, 0, 1.0f, 1.2f},
    {"WrapsAboveFour", 1, 0, 3.9f, 0.1f},
    {"HeldWhilePaused", 1, 1, 3.9f, 3.9f},
    {"LeftToTheAnalysisThread", 0, 0, 3.9f, 3.9f},
};
class BeatFallbackTest : public SceneFixture, public ::testing::WithParamInterface<BeatCase> {};

TEST_P(BeatFallbackTest, StepsThePhaseWithoutAnalysis) {
    const BeatCase& c = GetParam();
    const int savedStop = AudioThreadStop.load();
    TickFrames(2);
    AudioThreadStop = c.threadStopped;
    Paused = c.paused;
    BeatPhase = c.start;
    TickFrames(1, 50.0f);
    EXPECT_NEAR(BeatPhase.load(), c.want, 1e-5f);
    AudioThreadStop = savedStop;
    Paused = 0;
}
INSTANTIATE_TEST_SUITE_P(Cases, BeatFallbackTest, ::testing::ValuesIn(kBeatCases), CaseName());

// Frame-rate statistics: UpdateFrameRate on the fake clock, one call per frame.
class FrameRateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFrameDriver();
        FakeFrameClock::now = 1000.0f;
    }
    void Frames(int n, float msPerFrame) {
        for (int i = 0; i < n; ++i) {
            FakeFrameClock::now += msPerFrame;
            UpdateFrameRate();
        }
    }
    FakeFrameClock m_clock;
};

TEST_F(FrameRateTest, FirstRateComesWithTheThirdEvaluation) {
    StatChoice = 2;
    Frames(21, 10.0f);  // evaluations at calls 11 and 21 only start the clock
    EXPECT_EQ(FramesPerSecond, 0.0f);
    Frames(10, 10.0f);
    EXPECT_FLOAT_EQ(FramesPerSecond, 100.0f);  // the first sample replaces the average
}

struct RateCase {
    const char* name;
    int statChoice;
    bool settlesAtOnce;  // the new rate shows as soon as it is sampled
};
const RateCase kRateCases[] = {
    {"NoAveraging", 1, true},
    {"OneMinuteWindow", 7, false},
};
class FrameRateWindowTest : public FrameRateTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(FrameRateWindowTest, AveragesOverTheChosenWindow) {
    const RateCase& c = GetParam();
    StatChoice = c.statChoice;
    Frames(31 + 100, 10.0f);  // one second at 100 fps
    EXPECT_FLOAT_EQ(FramesPerSecond, 100.0f);
    Frames(10, 20.0f);  // one sample at 50 fps
    if (c.settlesAtOnce) {
        EXPECT_FLOAT_EQ(FramesPerSecond, 50.0f);
    } else {
        EXPECT_GT(FramesPerSecond, 80.0f);
        EXPECT_LT(FramesPerSecond, 100.0f);
    }
    // Parenthesised until the window is full; without averaging never.
    EXPECT_EQ(StatsRateLine().front() == '(', !c.settlesAtOnce) << StatsRateLine();
    Frames(10 * 1000, 20.0f);  // 200 s more at 50 fps
    EXPECT_NEAR(FramesPerSecond, 50.0f, 0.5f);
    EXPECT_NE(StatsRateLine().front(), '(') << StatsRateLine();
}
INSTANTIATE_TEST_SUITE_P(Cases, FrameRateWindowTest, ::testing::ValuesIn(kRateCases), CaseName());

TEST_F(FrameRateTest, ClockThatDidNotAdvanceKeepsTheAverage) {
    StatChoice = 3;
    Frames(31, 10.0f);
    const float rate = FramesPerSecond;
    const float averaged = FpsAveragingTime;
    Frames(10, 0.0f);
    EXPECT_EQ(FramesPerSecond, rate);
    EXPECT_EQ(FpsAveragingTime, averaged);
}

// Scene statistics on the generated club without a dancer.
class SceneStatisticsTest : public SceneFixture {
  protected:
    int StartDancer() const override { return -1; }
};

TEST_F(SceneStatisticsTest, CountsWhatTheFrameDraws) {
    ASSERT_NE(ClubModel, nullptr);
    ShowProps = 0;
    CountSceneStatistics();
    EXPECT_EQ(PolygonCount, ClubModel->GetFaceCount());
    EXPECT_EQ(VertexCount, ClubModel->GetVertexCount());

    ShowProps = 1;
    CountSceneStatistics();
    int polygons = ClubModel->GetFaceCount();
    for (const CModelObject* prop : PropModels) {
        if (prop) polygons += prop->GetFaceCount() * prop->GetInstanceCount();
    }
    EXPECT_EQ(PolygonCount, polygons);
    EXPECT_GT(PolygonCount, ClubModel->GetFaceCount()) << "the generated props are missing";

    ShowClub = 0;
    ShowProps = 0;
    CountSceneStatistics();
    EXPECT_EQ(PolygonCount, 1024);  // the floor grid
    EXPECT_EQ(VertexCount, 1089);
}

}  // namespace
