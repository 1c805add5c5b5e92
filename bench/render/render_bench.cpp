// Frames per second of the whole tick on the generated scene (club, props, a dancing dancer,
// spot lights) in a Mesa window configured as the program's own, with a buffer swap after each
// tick, and the time of the tick without its drawing.

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>

#include "animation/view_options.h"
#include "render/demo/demo_scene.h"
#include "render/frame_driver.h"
#include "render/scene_state.h"
#include "tools/offscreen_gl/offscreen_gl.h"

namespace {

constexpr int kFrames = 200;
// The frame run: the first frames (the start camera, caches filling) are reported apart from
// the long run, which passes several camera cuts.
constexpr int kFirstFrames = 200;
constexpr int kRunFrames = 600;
constexpr float kFrameStepMs = 1000.0f / 60.0f;  // the dance moves as at 60 frames per second

// Simulated time, so every tick animates a full step however fast it runs.
float g_simulatedMs = 1000.0f;
float SimulatedClock(std::int32_t* base) {
    if (*base == 0) *base = static_cast<std::int32_t>(g_simulatedMs);
    return g_simulatedMs - static_cast<float>(*base);
}

struct BenchScene {
    std::unique_ptr<GlContext> context;
    std::unique_ptr<DemoScene> scene;

    BenchScene(benchmark::State& state, int width, int height) {
        FrameClock = &SimulatedClock;
        context = GlContext::Create({width, height, 24, 8, true});
        if (context) scene = DemoScene::Create({width, height, 0});
        if (!scene) state.SkipWithError("no GL context or no Models/ in the working directory");
    }
    ~BenchScene() {
        scene.reset();
        context.reset();
    }
    bool Ready() const { return scene != nullptr; }
    // One paint of the program's view: the tick, then the swap.
    void Tick() const {
        g_simulatedMs += kFrameStepMs;
        AnimateAndRenderFrame();
        context->SwapBuffers();
    }
};

void RunTicks(benchmark::State& state, const BenchScene& bench) {
    for (int i = 0; i < 3; ++i) bench.Tick();  // past the clock's start
    glFinish();
    for (auto _ : state) bench.Tick();
    glFinish();
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// The program's frame from its first tick on: frames per second of the first frames and of
// the rest of the run, at a window size, spot count and shadow switch.
void BM_FrameRun(benchmark::State& state) {
    const int height = static_cast<int>(state.range(0));
    BenchScene bench(state, height * 16 / 9, height);
    if (!bench.Ready()) return;
    ActiveSpotCount = static_cast<int>(state.range(1));
    RenderShadows = static_cast<int>(state.range(2));
    double firstSeconds = 0;
    double longSeconds = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kFirstFrames; ++i) bench.Tick();
        const Clock::time_point split = Clock::now();
        for (int i = kFirstFrames; i < kRunFrames; ++i) bench.Tick();
        glFinish();
        const Clock::time_point end = Clock::now();
        firstSeconds += Seconds(start, split);
        longSeconds += Seconds(split, end);
        state.SetIterationTime(Seconds(start, end));
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["fps_first"] = runs * kFirstFrames / firstSeconds;
    state.counters["fps_long"] = runs * (kRunFrames - kFirstFrames) / longSeconds;
    state.counters["fps"] = runs * kRunFrames / (firstSeconds + longSeconds);
}
BENCHMARK(BM_FrameRun)
    ->ArgsProduct({{540, 1080}, {3, 5}, {0, 1}})  // 960 x 540 and 1920 x 1080
    ->ArgNames({"height", "spots", "shadows"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

// The cost of the stencil shadows per spot light: 960 x 540, spots 1 to 5, shadows off and on.
void BM_SpotShadows(benchmark::State& state) {
    BenchScene bench(state, 960, 540);
    if (!bench.Ready()) return;
    ActiveSpotCount = static_cast<int>(state.range(0));
    RenderShadows = static_cast<int>(state.range(1));
    RunTicks(state, bench);
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
    RunTicks(state, bench);
}
BENCHMARK(BM_AnimationOnly)->Iterations(20 * kFrames)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
