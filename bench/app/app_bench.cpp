// Start-up and frame rate of the whole program on the display's OpenGL (llvmpipe under Xvfb):
// scene start-up alone, start-up to the first frame that shows the scene, frames per second at
// the frame's first size, and the process's peak memory.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QCoreApplication>
#include <chrono>
#include <cstdlib>

#include "app/scene_init.h"
#include "app/velmoranth_app.h"
#include "app/velmoranth_shell.h"
#include "app/velmoranth_view.h"
#include "platform/gui/gl_view.h"
#include "platform/gui/main_frame.h"
#include "render/frame_driver.h"
#include "render/frame_hooks.h"
#include "tools/offscreen_gl/offscreen_gl.h"

namespace {

using Clock = std::chrono::steady_clock;

// The frame driver's first two ticks only start its clock; the third draws the scene.
constexpr int kFirstSceneFrame = 3;

double PeakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

bool DrawUntil(const CVelmoranthView& view, int frames) {
    while (view.FramesDrawn() < frames) {
        if (ShutDownStarted) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

void Close(VelmoranthShell& shell) {
    shell.Frame()->close();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    ShutDownStarted = 0;  // the next iteration is a new run
}

void BM_InitScene(benchmark::State& state) {
    auto context = GlContext::Create({960, 540, 24, 8});
    if (!context) {
        state.SkipWithError("no GL context");
        return;
    }
    for (auto _ : state) {
        const auto start = Clock::now();
        const int result = InitScene();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        theApp.ShutDown();
        ShutDownStarted = 0;
        if (result != 0) state.SkipWithError("start-up failed");
    }
}
BENCHMARK(BM_InitScene)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_StartUpToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = Clock::now();
        VelmoranthShell shell;
        if (!shell.InitInstance() || !DrawUntil(*shell.View(), kFirstSceneFrame)) {
            state.SkipWithError("start-up failed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        Close(shell);
    }
}
BENCHMARK(BM_StartUpToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FramesAtFirstWindowSize(benchmark::State& state) {
    VelmoranthShell shell;
    if (!shell.InitInstance() || !DrawUntil(*shell.View(), kFirstSceneFrame)) {
        state.SkipWithError("start-up failed");
        return;
    }
    const CVelmoranthView& view = *shell.View();
    for (auto _ : state) {
        if (!DrawUntil(view, view.FramesDrawn() + 1)) break;
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["width"] = view.Window()->width();
    state.counters["height"] = view.Window()->height();
    state.counters["peak_MiB"] = PeakResidentMiB();
    Close(shell);
}
BENCHMARK(BM_FramesAtFirstWindowSize)->Unit(benchmark::kMillisecond)->MinTime(5.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    setenv("VELMORANTH_NONINTERACTIVE", "1", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication qt(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
