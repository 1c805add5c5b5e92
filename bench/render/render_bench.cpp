// Frames per second of the whole tick on the generated scene (club, props, a dancing dancer,
// spot lights) in an off-screen Mesa context, and the time of the tick without its drawing.

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "animation/view_options.h"
#include "render/demo/demo_scene.h"
#include "render/frame_driver.h"
#include "render/scene_state.h"
#include "tools/offscreen_gl/offscreen_gl.h"

namespace {

constexpr int kFrames = 200;
constexpr float kFrameStepMs = 1000.0f / 60.0f;  // the dance moves as at 60 frames per second

// Simulated time, so every tick animates a full step however fast it runs.
float g_simulatedMs = 1000.0f;
float SimulatedClock(std::int32_t* base) {
    if (*base == 0) *base = static_cast<std::int32_t>(g_simulatedMs);
    return g_simulatedMs - static_cast<float>(*base);
}
void Tick() {
    g_simulatedMs += kFrameStepMs;
    AnimateAndRenderFrame();
}

struct BenchScene {
    std::unique_ptr<GlContext> context;
    std::unique_ptr<DemoScene> scene;

    BenchScene(benchmark::State& state, int width, int height) {
        FrameClock = &SimulatedClock;
        context = GlContext::Create({width, height, 24, 8});
        if (context) scene = DemoScene::Create({width, height, 0});
        if (!scene) state.SkipWithError("no GL context or no Models/ in the working directory");
    }
    ~BenchScene() {
        scene.reset();
        context.reset();
    }
    bool Ready() const { return scene != nullptr; }
};

void RunTicks(benchmark::State& state) {
    for (int i = 0; i < 3; ++i) Tick();  // past the clock's start
    glFinish();
    for (auto _ : state) Tick();
    glFinish();
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_AnimateAndRenderFrame(benchmark::State& state) {
    BenchScene bench(state, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    if (!bench.Ready()) return;
    RunTicks(state);
}
BENCHMARK(BM_AnimateAndRenderFrame)
    ->Args({960, 540})
    ->Args({1920, 1080})
    ->Iterations(kFrames)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The cost of the stencil shadows per spot light: 960 x 540, spots 1 to 5, shadows off and on.
void BM_SpotShadows(benchmark::State& state) {
    BenchScene bench(state, 960, 540);
    if (!bench.Ready()) return;
    ActiveSpotCount = static_cast<int>(state.range(0));
    RenderShadows = static_cast<int>(state.range(1));
    RunTicks(state);
}
BENCHMARK(BM_SpotShadows)
    ->ArgsProduct({{1, 2, 3, 4, 5}, {0, 1}})
    ->ArgNames({"spots", "shadows"})
    ->Iterations(kFrames)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Everything a tick does except drawing: the dance, the light show, the lights and cameras.
void BM_AnimationOnly(benchmark::State& state) {
    BenchScene bench(state, 64, 64);
    if (!bench.Ready()) return;
    RenderEnabled = 0;
    RunTicks(state);
}
BENCHMARK(BM_AnimationOnly)->Iterations(20 * kFrames)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
