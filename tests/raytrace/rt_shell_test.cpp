// The program's shell in-process with the ray tracer as its engine: the window shows the
// ray-traced club, and the Render Engine menu's OpenGL item takes the program back.

#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "animation/view_options.h"
#include "animation/view_state.h"
#include "app/commands.h"
#include "app/raytracer_install.h"
#include "app/velmoranth_shell.h"
#include "app/velmoranth_view.h"
#include "platform/gui/gl_view.h"
#include "platform/gui/main_frame.h"
#include "platform/rt/rt_api.h"
#include "raytrace/rt_context.h"
#include "tests/app_shell/in_process.h"
#include "tests/app_shell/x_screen.h"
#include "tests/gui/qt_app.h"
#include "tests/gui/x11_probe.h"

namespace {

constexpr int kWaitMs = 60000;  // a bound for a stuck program, not a speed measure

std::size_t LitPixels(const ScreenGrab& grab) {
    return static_cast<std::size_t>(std::count_if(grab.pixels.begin(), grab.pixels.end(),
                                                  [](std::uint32_t p) { return p != 0; }));
}

// The window as the screen shows it once a tenth of it is lit; another test's window may
// cover it for a while.
ScreenGrab LitWindow(unsigned long window) {
    ScreenGrab grab;
    ProcessEventsUntil(
        [&] {
            grab = GrabWindow(window);
            return grab.width > 0 && LitPixels(grab) >= grab.pixels.size() / 10;
        },
        kWaitMs);
    return grab;
}

// Pixels of the ray tracer's last picture that are not black; read between two frames.
std::size_t LitOutputPixels() {
    RTsize w = 0, h = 0;
    rtBufferGetSize2D(raytrace::RtState.outputBuffer, &w, &h);
    void* data = nullptr;
    if (rtBufferMap(raytrace::RtState.outputBuffer, &data) != RT_SUCCESS || !data) return 0;
    const auto* bgra = static_cast<const std::uint8_t*>(data);
    std::size_t lit = 0;
    for (std::size_t i = 0; i < w * h; ++i) lit += (bgra[4 * i] | bgra[4 * i + 1] | bgra[4 * i + 2]) != 0;
    rtBufferUnmap(raytrace::RtState.outputBuffer);
    return lit;
}

TEST(RtShell, DrawsTheRayTracedClubAndSwitchesBackToOpenGl) {
    const std::filesystem::path runFolder = std::filesystem::current_path();
    InProcessShell inRunFolder;
    for (const char* file : {"VMCamera.ptx", "VMSky.ptx", "VMMesh.ptx", "VMLighting.ptx",
                             "VMSelector.ptx"}) {
        std::filesystem::copy_file(runFolder / file, file);
    }
    HoldGlDriverForTheProcess();
    InstallRayTracer();  // as the program's start does
    ShellQtApp qt;
    VelmoranthShell shell;
    ASSERT_TRUE(shell.InitInstance());
    // Small, in a corner the program's own first placement leaves free, so that it covers no
    // other test's window on the shared screen.
    shell.Frame()->setGeometry(0, 740, 400, 300);
    CVelmoranthView& view = *shell.View();
    ASSERT_TRUE(ProcessEventsUntil([&] { return view.FramesDrawn() >= 20; }, kWaitMs));
    EXPECT_EQ(RenderEngine, kRayTracerEngine);
    EXPECT_EQ(RayTracingAvailable, 1);
    ASSERT_NE(raytrace::RtState.context, nullptr);
    const std::size_t pixels = static_cast<std::size_t>(std::max(ViewportWidth, 0) * std::max(ViewportHeight, 0));
    ASSERT_GT(pixels, 0u);
    EXPECT_GE(LitOutputPixels(), pixels / 2) << "the ray tracer draws a dark picture";
    const ScreenGrab rayTraced = LitWindow(shell.Frame()->winId());
    ASSERT_GT(rayTraced.width, 0);
    EXPECT_GE(LitPixels(rayTraced), rayTraced.pixels.size() / 10) << "the ray-traced window stays dark";
    EXPECT_FALSE(std::filesystem::exists("rt_error_report.txt"));

    cmd::Run(cmd::kEngineCpu, shell.Seams());
    const int framesAtSwitch = view.FramesDrawn();
    ASSERT_TRUE(ProcessEventsUntil([&] { return view.FramesDrawn() >= framesAtSwitch + 20; }, kWaitMs));
    EXPECT_EQ(RenderEngine, kOpenGlEngine);
    EXPECT_EQ(raytrace::RtState.context, nullptr) << "the ray tracer stays alive behind OpenGL";
    const ScreenGrab openGl = LitWindow(shell.Frame()->winId());
    EXPECT_GE(LitPixels(openGl), openGl.pixels.size() / 10) << "the OpenGL window stays dark";
    shell.View()->ShutDownApp();
}

}  // namespace
