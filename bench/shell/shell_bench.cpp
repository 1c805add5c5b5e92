// The shell's costs on the machine's GL: building the overlay's 255 font lists (part of
// start-up), and the frame pump's ceiling, frames per second with a frame that only clears
// and swaps, at the default window size for a 1920 x 1080 screen (960 x 540).

#include <memory>

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>

#include "platform/gui/gl_view.h"
#include "platform/gui/main_frame.h"
#include "platform/text/bitmap_font.h"
#include "tests/support/gl_context.h"

namespace {

void BM_FontLists(benchmark::State& state) {
    const auto context = GlContext::Create();
    if (!context) {
        state.SkipWithError("no GL context: run under xvfb-run");
        return;
    }
    const GLuint base = glGenLists(256);
    for (auto _ : state) {
        if (ptext::UseFontBitmaps(0, 255, base) != ptext::Result::Ok) {
            state.SkipWithError("font lists failed");
            return;
        }
        glFinish();
    }
    glDeleteLists(base, 256);
}
BENCHMARK(BM_FontLists)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PumpClearAndSwap(benchmark::State& state) {
    constexpr int kFramesPerIteration = 200;
    QEventLoop loop;
    int frames = 0;
    pgui::GlView* view = nullptr;
    pgui::ViewHooks hooks;
    hooks.paint = [&] {
        if (!view->MakeCurrent()) return;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        view->SwapBuffers();
        view->DoneCurrent();
        if (++frames % kFramesPerIteration == 0) {
            loop.quit();
            return;
        }
        view->PostRedraw();
    };
    pgui::MainFrame frame;
    auto owned = std::make_unique<pgui::GlView>(std::move(hooks));
    view = owned.get();
    frame.SetView(std::move(owned));
    frame.resize(960, 540);
    if (view->Create() != pgui::ViewResult::Ok) {
        state.SkipWithError("no GL view");
        return;
    }
    frame.show();
    for (auto _ : state) {
        view->PostRedraw();
        loop.exec();
    }
    state.SetItemsProcessed(state.iterations() * kFramesPerIteration);  // frames per second
}
BENCHMARK(BM_PumpClearAndSwap)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
