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

void BM_RayTracedFrame(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int switches = static_cast<int>(state.range(2));
    FrameClock = &SimulatedClock;
    const auto context = GlContext::Create({width, height, 24, 8, true});
    auto scene = context ? DemoScene::Create({width, height, 0}) : nullptr;
    if (!scene) {
        state.SkipWithError("no GL context or no Models/ in the working directory");
        return;
    }
    static const std::vector<float> noise = NoiseValues(1024);
    raytrace::RtHost = raytrace::RtHostState{&RayTracingAvailable, &RenderEngine, &noise, nullptr,
                                             &switches, &switches, &switches};
    raytrace::InstallRtFrameHooks();
    RayTracingAvailable = 1;
    if (raytrace::RtStart() != 0) {
        state.SkipWithError("the ray tracer did not start: run from the run folder");
        return;
    }
    RenderEngine = kRayTracerEngine;
    auto tick = [&] {
        g_simulatedMs += kFrameStepMs;
        AnimateAndRenderFrame();
        context->SwapBuffers();
    };
    for (int i = 0; i < 3; ++i) tick();  // past the clock's start
    for (auto _ : state) tick();
    glFinish();
    if (RenderEngine != kRayTracerEngine) state.SkipWithError("the ray tracer fell back");
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    raytrace::RtShutdown();
    RenderEngine = kOpenGlEngine;
    RayTracingAvailable = 0;
    raytrace::RtHost = raytrace::RtHostState{};
    scene.reset();
}

// Window width, height, and the shadow, reflection and 3D-texture switches (1 all on, 0 all
// off: primary rays and the lighting without shadow rays).
BENCHMARK(BM_RayTracedFrame)
    ->ArgNames({"w", "h", "switches"})
    ->Args({960, 540, 1})
    ->Args({960, 540, 0})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
