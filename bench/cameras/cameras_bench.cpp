// Per-frame cost of the scene motion outside the dancer: the camera director with the view
// set-up of the shown camera, and the light show with the light switching.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <memory>

#include <GL/gl.h>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/human_object.h"
#include "animation/light_object.h"
#include "animation/light_show.h"
#include "animation/view_state.h"
#include "animation/view_options.h"
#include "model/vec_math.h"
#include "tools/offscreen_gl/offscreen_gl.h"

namespace {

constexpr float kFrameMs = 16.7f;

// The dancer, the two automatic cameras and the club's spots as start-up places them.
struct Scene {
    Scene() {
        const float origin[3] = {0.0f, 0.0f, 0.0f};
        dancer.SetInstanceCount(1);
        dancer.SetPosition(0, origin);
        dancer.FocusOffset[1] = 1100.0f;
        Dancer = &dancer;
        first.SetAzimuthLimits(DegToRad(45), DegToRad(135));
        AutoCameras = {&first, &second};
        constexpr float kSpots[kSpotLightCount][4] = {{-2200, 2900, 3400, 0},
                                                      {3050, 2900, 3300, 0},
                                                      {6400, 2900, 3300, 180},
                                                      {-4400, 2900, -9100, 300},
                                                      {2600, 2900, -9370, 90}};
        for (int i = 0; i < kSpotLightCount; ++i) {
            const float* s = kSpots[i];
            spots[i] = std::make_unique<CSpotLightObject>(s[0], s[1], s[2], GL_LIGHT0 + i, s[3],
                                                          i == 0 ? 0.0f : 1.0f, 1.0f);
            spots[i]->Apply();
            SpotLights[i] = spots[i].get();
        }
        ViewportWidth = 960;
        ViewportHeight = 540;
        std::srand(1);
    }
    ~Scene() {
        Dancer = nullptr;
        AutoCameras = {nullptr, nullptr};
        SpotLights = {};
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    CHumanObject dancer;
    CCamera first{DegToRad(90), DegToRad(96), 3000, 30};
    CCamera second{DegToRad(100), DegToRad(60), 2000, 10};
    std::array<std::unique_ptr<CSpotLightObject>, kSpotLightCount> spots;
};

void BM_CameraFrame(benchmark::State& state) {
    auto context = GlContext::Create();
    if (!context) {
        state.SkipWithError("no GL context (run under a display)");
        return;
    }
    Scene scene;
    const int eyes = static_cast<int>(state.range(0));
    for (auto _ : state) {
        PollCamAdjustButtons();
        AutoCameraTick(kFrameMs);
        CCamera* shown = AutoCameras[ActiveAutoCamera];
        if (eyes == 1) {
            shown->SetupGLView(0);
        } else {
            shown->SetupGLView(1);
            shown->SetupGLView(2);
        }
    }
    glFinish();
}
BENCHMARK(BM_CameraFrame)->Arg(1)->Arg(2)->ArgName("eyes");

void BM_LightShowFrame(benchmark::State& state) {
    auto context = GlContext::Create();
    if (!context) {
        state.SkipWithError("no GL context (run under a display)");
        return;
    }
    Scene scene;
    ActiveSpotCount = 5;
    for (auto _ : state) {
        LightShowTick(kFrameMs);
        ApplyLightConfig();
    }
    glFinish();
}
BENCHMARK(BM_LightShowFrame);

}  // namespace

BENCHMARK_MAIN();
