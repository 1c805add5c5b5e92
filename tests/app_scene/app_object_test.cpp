#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "animation/human_object.h"
#include "app/scene_init.h"
#include "app/settings_globals.h"
#include "app/subsystem_calls.h"
#include "app/velmoranth_app.h"
#include "render/frame_driver.h"
#include "render/frame_hooks.h"
#include "render/scene_state.h"
#include "tests/app_scene/scene_fixture.h"
#include "tests/support/case_name.h"

namespace {

// A ray tracer and a sound system that count their calls.
struct Calls {
    static inline int rtInitialize = 0;
    static inline int rtShutdown = 0;
    static inline int reportClosed = 0;
    static inline int soundReleased = 0;
    static inline int rtInitializeResult = 0;
    static void Reset() { rtInitialize = rtShutdown = reportClosed = soundReleased = 0; }
};

void InstallCountingSubsystems(int rtInitializeResult) {
    Calls::Reset();
    Calls::rtInitializeResult = rtInitializeResult;
    RayTracer.RtCheckAvailable = [] { return 0; };
    RayTracer.RtInitialize = [] {
        ++Calls::rtInitialize;
        return Calls::rtInitializeResult;
    };
    RayTracer.RtShutdown = [] { ++Calls::rtShutdown; };
    RayTracer.CloseRtErrorReport = [] { ++Calls::reportClosed; };
    SoundSystem.SoundInit = [] { return 0; };
    SoundSystem.SoundRelease = [] { ++Calls::soundReleased; };
}

struct EngineCase {
    const char* name;
    int available;
    int engineBefore;
    int request;
    int rtInitializeResult;
    int engineAfter;
    int availableAfter;
    int initializeCalls;
    int shutdownCalls;
    bool averageRestarted;
};

const EngineCase kEngineCases[] = {
    {"RayTracerWhenAvailable", 1, 0, 2, 0, 2, 1, 1, 0, true},
    {"RayTracerUnavailableChangesNothing", 0, 0, 2, 0, 0, 0, 0, 0, false},
    {"RayTracerThatFailsToStartIsGoneForTheRun", 1, 0, 2, 1, 0, 0, 1, 0, true},
    {"RayTracerAgainKeepsTheRunningOne", 1, 2, 2, 0, 2, 1, 0, 0, true},
    {"OpenGlStopsTheRayTracer", 1, 2, 0, 0, 0, 1, 0, 1, true},
    {"OpenGlAgainOnlyRestartsTheAverage", 1, 0, 0, 0, 0, 1, 0, 0, true},
    {"OtherEngineDoesNothing", 1, 0, 1, 0, 0, 1, 0, 0, false},
};

class SetRenderEngineTest : public ::testing::TestWithParam<EngineCase> {
  protected:
    void TearDown() override {
        RayTracer = {};
        SoundSystem = {};
        RayTracingAvailable = 0;
        RenderEngine = 0;
    }
};

TEST_P(SetRenderEngineTest, SwitchesOnlyToAnEngineThatRuns) {
    const EngineCase& c = GetParam();
    InstallCountingSubsystems(c.rtInitializeResult);
    RayTracingAvailable = c.available;
    RenderEngine = c.engineBefore;
    FpsAveragingTime = 3.0f;

    theApp.SetRenderEngine(c.request);
    EXPECT_EQ(RenderEngine, c.engineAfter);
    EXPECT_EQ(RayTracingAvailable, c.availableAfter);
    EXPECT_EQ(Calls::rtInitialize, c.initializeCalls);
    EXPECT_EQ(Calls::rtShutdown, c.shutdownCalls);
    EXPECT_EQ(FpsAveragingTime, c.averageRestarted ? 0.0f : 3.0f);
}

INSTANTIATE_TEST_SUITE_P(Cases, SetRenderEngineTest, ::testing::ValuesIn(kEngineCases), CaseName());

using ShutDownTest = SceneFixture;

TEST_F(ShutDownTest, ReleasesEverythingOnceAndQuitsWithSuccess) {
    LinkAllModelsExcept({});
    InstallCountingSubsystems(0);
    ASSERT_EQ(InitScene(), 0);
    ASSERT_EQ(SoundReady, 1);
    theApp.SetRenderEngine(2);
    ASSERT_EQ(RenderEngine, 2);

    theApp.ShutDown();
    EXPECT_EQ(ShutDownStarted, 1);  // frames stop before anything is freed
    EXPECT_EQ(Dancer, nullptr);
    EXPECT_EQ(DancerShadow, nullptr);
    EXPECT_EQ(ClubModel, nullptr);
    for (CModelObject* prop : PropModels) EXPECT_EQ(prop, nullptr);
    EXPECT_EQ(SoundReady, 0);
    EXPECT_EQ(Calls::soundReleased, 1);
    EXPECT_EQ(Calls::rtShutdown, 1);

    // A second quit request before the loop ends releases nothing again.
    theApp.ShutDown();
    EXPECT_EQ(Calls::soundReleased, 1);
    EXPECT_EQ(Calls::rtShutdown, 1);
    EXPECT_EQ(m_quitStatuses, (std::vector<int>{0, 0}));
    EXPECT_EQ(theApp.ExitStatus(), 0);
}

TEST_F(ShutDownTest, FatalMessageShutsDownWithFailure) {
    LinkAllModelsExcept({});
    ASSERT_EQ(InitScene(), 0);
    theApp.ReportMessage("I couldn't find Orlaq.dat!", -1);
    EXPECT_EQ(m_dialog.shown, (std::vector<ShownMessage>{{"I couldn't find Orlaq.dat!", -1}}));
    EXPECT_EQ(ClubModel, nullptr);
    EXPECT_EQ(m_quitStatuses, std::vector<int>{1});
    EXPECT_EQ(theApp.ExitStatus(), 1);
}

// An analysis worker that ends when asked, or one wedged in a device call that never returns.
class ScriptedWorker final : public AppWorker {
  public:
    static inline int destroyed = 0;
    static inline std::chrono::milliseconds askedLimit{0};
    explicit ScriptedWorker(bool ends) : m_ends(ends) {}
    ~ScriptedWorker() override { ++destroyed; }
    bool StopWithin(std::chrono::milliseconds limit) override {
        askedLimit = limit;
        return m_ends;
    }

  private:
    bool m_ends;
};

struct WorkerCase {
    const char* name;
    bool ends;
    int wantDestroyed;  // a thread left running keeps its worker for good
};
const WorkerCase kWorkerCases[] = {
    {"EndedWorkerIsFreed", true, 1},
    {"WedgedWorkerIsLeftBehind", false, 0},
};
class ShutDownWorkerTest : public SceneFixture, public ::testing::WithParamInterface<WorkerCase> {};

TEST_P(ShutDownWorkerTest, WaitsABoundedTimeThenReleasesTheRestAndQuits) {
    const WorkerCase& c = GetParam();
    LinkAllModelsExcept({});
    InstallCountingSubsystems(0);
    ASSERT_EQ(InitScene(), 0);
    ScriptedWorker::destroyed = 0;
    ScriptedWorker::askedLimit = std::chrono::milliseconds{0};
    theApp.AdoptAnalysis(std::make_unique<ScriptedWorker>(c.ends));

    theApp.ShutDown();
    EXPECT_EQ(ScriptedWorker::askedLimit, kWorkerWaitLimit);
    EXPECT_EQ(ScriptedWorker::destroyed, c.wantDestroyed);
    EXPECT_EQ(Calls::soundReleased, 1);
    EXPECT_EQ(m_quitStatuses, std::vector<int>{0});

    ScriptedWorker::askedLimit = std::chrono::milliseconds{0};
    theApp.ShutDown();  // the worker is asked once
    EXPECT_EQ(ScriptedWorker::askedLimit, std::chrono::milliseconds{0});
    EXPECT_EQ(ScriptedWorker::destroyed, c.wantDestroyed);
}

INSTANTIATE_TEST_SUITE_P(Cases, ShutDownWorkerTest, ::testing::ValuesIn(kWorkerCases), CaseName());

}  // namespace
