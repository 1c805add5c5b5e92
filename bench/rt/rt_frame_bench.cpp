// Frames per second of the program's whole tick with the ray tracer as the engine, on the
// generated scene (club, props, fixtures, a dancing dancer) in a Mesa window configured as the
// program's own: with every ray-traced switch on (shadows, reflections, 3D textures), and with
// primary rays only. Threads: the context's default (VM_RT_THREADS to change it).

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "animation/view_options.h"
#include "animation/view_state.h"
#include "model/noise_table.h"
#include "raytrace/rt_context.h"
#include "raytrace/rt_frame.h"
#include "raytrace/rt_host.h"
#include "raytrace/rt_install.h"
#include "render/demo/demo_scene.h"
#include "render/frame_driver.h"
#include "tools/offscreen_gl/offscreen_gl.h"

namespace {

constexpr float kFrameStepMs = 1000.0f / 60.0f;  // the dance moves as at 60 frames per second

float g_simulatedMs = 1000.0f;
float SimulatedClock(std::int32_t* base) {
    if (*base == 0) *base = static_cast<std::int32_t>(g_simulatedMs);
    return g_simulatedMs - static_cast<float>(*base);
}

// The generated scene with the ray tracer started as the engine; skips the benchmark when
// either is missing.
struct RtBenchScene {
    RtBenchScene(benchmark::State& state, int width, int height, const int* switches) {
        FrameClock = &SimulatedClock;
        context = GlContext::Create({width, height, 24, 8, true});
        if (context) scene = DemoScene::Create({width, height, 0});
        if (!scene) {
            state.SkipWithError("no GL context or no Models/ in the working directory");
            return;
        }
        static const std::vector<float> noise = NoiseValues(1024);
        raytrace::RtHost = raytrace::RtHostState{&RayTracingAvailable, &RenderEngine, &noise, nullptr,
                                                 switches, switches, switches};
        raytrace::InstallRtFrameHooks();
        RayTracingAvailable = 1;
        if (raytrace::RtStart() != 0) {
            state.SkipWithError("the ray tracer did not start: run from the run folder");
            scene.reset();
            return;
        }
        RenderEngine = kRayTracerEngine;
        for (int i = 0; i < 3; ++i) Tick();  // past the clock's start
    }
    ~RtBenchScene() {
        raytrace::RtShutdown();
        RenderEngine = kOpenGlEngine;
        RayTracingAvailable = 0;
        raytrace::RtHost = raytrace::RtHostState{};
        scene.reset();
    }
    bool Ready() const { return scene != nullptr; }
    void Tick() const {
        g_simulatedMs += kFrameStepMs;
        AnimateAndRenderFrame();
        context->SwapBuffers();
    }

    std::unique_ptr<GlContext> context;
    std::unique_ptr<DemoScene> scene;
};

void Report(benchmark::State& state) {
    if (RenderEngine != kRayTracerEngine) state.SkipWithError("the ray tracer fell back");
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The program's whole tick: animation, the ray tracer's uploads and launch, the display.
void BM_RayTracedFrame(benchmark::State& state) {
    const int switches = static_cast<int>(state.range(2));
    RtBenchScene bench(state, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), &switches);
    if (!bench.Ready()) return;
    for (auto _ : state) bench.Tick();
    glFinish();
    Report(state);
}

// The launch alone on a still scene: what the tracing costs without the rest of the tick.
void BM_RayTracedLaunch(benchmark::State& state) {
    const int switches = static_cast<int>(state.range(2));
    RtBenchScene bench(state, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), &switches);
    if (!bench.Ready()) return;
    for (auto _ : state) raytrace::RtLaunch();
    Report(state);
}

// Window width, height, and the shadow, reflection and 3D-texture switches (1 all on, 0 all
// off: primary rays and the lighting without shadow rays).
BENCHMARK(BM_RayTracedFrame)
    ->ArgNames({"w", "h", "switches"})
    ->Args({960, 540, 1})
    ->Args({960, 540, 0})
    ->Args({1920, 1080, 1})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RayTracedLaunch)
    ->ArgNames({"w", "h", "switches"})
    ->Args({960, 540, 1})
    ->Args({960, 540, 0})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
