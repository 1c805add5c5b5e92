// A Dancer-menu switch happens inside one frame: the time to free the shown dancer and load the
// chosen one with her shadow copy, per dancer, from the run folder's Models/; and the time to
// draw her once. Run from the run folder under Xvfb: xvfb-run ./dancer_bench

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include "animation/dancer_selection.h"
#include "tools/offscreen_gl/offscreen_gl.h"

namespace {

void BM_SelectDancer(benchmark::State& state) {
    const auto context = GlContext::Create();
    if (!context) {
        state.SkipWithError("no OpenGL context (run under xvfb-run)");
        return;
    }
    InitMaterialTables();
    const int kind = static_cast<int>(state.range(0));
    for (auto _ : state) {
        if (SelectDancer(0, kind) != 1 || !DancerShadow) {
            state.SkipWithError("dancer or shadow missing: build the content first");
            break;
        }
    }
    state.SetLabel(DancerRecords[kind].name);
    ReleaseDancers();
}
BENCHMARK(BM_SelectDancer)->DenseRange(0, kDancerCount - 1)->Unit(benchmark::kMillisecond);

void BM_DrawDancer(benchmark::State& state) {
    const auto context = GlContext::Create();
    if (!context) {
        state.SkipWithError("no OpenGL context (run under xvfb-run)");
        return;
    }
    InitMaterialTables();
    const int kind = static_cast<int>(state.range(0));
    if (SelectDancer(0, kind) != 1) {
        state.SkipWithError("dancer missing: build the content first");
        return;
    }
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        Dancer->Draw();
        glFinish();
    }
    state.SetLabel(DancerRecords[kind].name);
    state.counters["faces"] = Dancer->GetFaceCount();
    ReleaseDancers();
}
BENCHMARK(BM_DrawDancer)->DenseRange(0, kDancerCount - 1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
