#include "app/velmoranth_view.h"

#include <QOpenGLContext>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/analysis_service.h"
#include "app/gl_driver_pin.h"
#include "app/messages.h"
#include "app/scene_init.h"
#include "app/settings_globals.h"
#include "app/shell_state.h"
#include "app/subsystem_calls.h"
#include "app/velmoranth_app.h"
#include "audio/music_player.h"
#include "platform/gui/gl_view.h"
#include "render/eye_render.h"
#include "render/frame_driver.h"
#include "render/frame_hooks.h"
#include "render/scene_helpers.h"
#include "render/scene_state.h"

namespace {

constexpr const char kOpenGlTooOld[] = "Sorry, I need at least OpenGL version 1.1";

// How long start-up waits for the analysis thread to try the recording device.
constexpr auto kAnalysisStartLimit = std::chrono::seconds(5);

// The player's position slider follows the song at most this often.
constexpr auto kPositionRefreshPeriod = std::chrono::milliseconds(2);

int ExitAfterFramesSetting() {
    const char* value = std::getenv("VELMORANTH_EXIT_AFTER_FRAMES");
    if (!value) return 0;
    char* end = nullptr;
    const long n = std::strtol(value, &end, 10);
    return end != value && *end == '\0' && n > 0 && n < 1'000'000'000 ? static_cast<int>(n) : 0;
}

}  // namespace

void ReportGrantedFormat(const pgui::GrantedFormat& g) {
    std::fprintf(stderr,
                 "GL: granted double buffer %d, stereo %d, red %d, green %d, blue %d, depth %d, "
                 "stencil %d\n",
                 g.doubleBuffer ? 1 : 0, g.stereo ? 1 : 0, g.redBits, g.greenBits, g.blueBits,
                 g.depthBits, g.stencilBits);
}

CVelmoranthView::CVelmoranthView() : m_exitAfterFrames(ExitAfterFramesSetting()) {
    auto analysis = std::make_unique<AnalysisService>();
    (void)analysis->Start(kAnalysisStartLimit);  // a late thread goes on by itself
    theApp.AdoptAnalysis(std::move(analysis));
    pgui::ViewHooks hooks;
    hooks.create = [this] { return OnCreate(); };
    hooks.resize = [this](int width, int height) { OnSize(width, height); };
    hooks.paint = [this] { OnDraw(); };
    hooks.keyPress = [this](const pgui::ViewKey& key) {
        if (OnKey) OnKey(key);
    };
    hooks.contextMenu = [this](int x, int y) {
        if (OnContextMenu) OnContextMenu(x, y);
    };
    m_owned = std::make_unique<pgui::GlView>(std::move(hooks));
    m_window = m_owned.get();
}

std::unique_ptr<pgui::GlView> CVelmoranthView::TakeWindow() { return std::move(m_owned); }

bool CVelmoranthView::Create() {
    const pgui::ViewResult result = m_window->Create();
    if (result == pgui::ViewResult::Ok) return true;
    // A refused creation has shown its own message; a context that cannot be made gives no
    // version at all.
    if (result != pgui::ViewResult::CreateRefused) {
        std::fprintf(stderr, "GL: %s\n", pgui::ViewResultText(result));
        theApp.ReportMessage(kOpenGlTooOld, ReportCategory::Fatal);
    }
    return false;
}

void CVelmoranthView::ShutDownApp() {
    m_window->StopFrames();
    const bool wasCurrent = QOpenGLContext::currentContext() != nullptr;
    const bool current = wasCurrent || m_window->MakeCurrent();
    theApp.ShutDown();
    if (current && !wasCurrent) m_window->DoneCurrent();
}

bool CVelmoranthView::OnCreate() {
    PinGlDriver();
    const pgui::GrantedFormat& granted = m_window->Granted();
    ReportGrantedFormat(granted);
    // Stereo only where the display granted it; stencil shadows check their bits themselves.
    StereoAvailable = granted.stereo ? 1 : 0;
    if (IsOpenGLVersionTooOld()) {
        theApp.ReportMessage(kOpenGlTooOld, ReportCategory::Fatal);
        return false;
    }
    if (InitScene() != 0) return false;
    RenderEnabled = 1;
    GLReady = 1;
    return true;
}

void CVelmoranthView::OnSize(int width, int height) { ResizeScene(width, height); }

void CVelmoranthView::RefreshPlayerPosition() {
    if (!theApp.MusicPlayerOpen) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastPositionRefresh < kPositionRefreshPeriod) return;
    m_lastPositionRefresh = now;
    player::RefreshPosition();
}

void CVelmoranthView::OnDraw() {
    if (!GLReady || ShutDownStarted) return;
    // The engine the settings file named is applied by the first frame.
    if (RequestedRenderEngine >= 0) {
        const int request = RequestedRenderEngine;
        RequestedRenderEngine = -1;
        theApp.SetRenderEngine(request == kRayTracerEngine && RayTracingAvailable ? kRayTracerEngine
                                                                                  : kOpenGlEngine);
    }
    if (!m_window->MakeCurrent()) return;
    RtHoldWarning();
    AnimateAndRenderFrame();
    RefreshPlayerPosition();
    // A fatal message during the frame has shut the program down: nothing more to show.
    if (!ShutDownStarted) {
        m_window->SwapBuffers();
        ++m_framesDrawn;
        if (m_exitAfterFrames > 0 && m_framesDrawn >= m_exitAfterFrames) ShutDownApp();
    }
    m_window->DoneCurrent();
    // The ray tracer's warning comes after the frame, and a fallback in it switches engines
    // the way the menu does (the frame-rate average restarts; the Render Options popup is
    // refilled for the engine when it next opens).
    if (RtReleaseWarning() && !ShutDownStarted) theApp.SetRenderEngine(kOpenGlEngine);
    if (!ShutDownStarted) m_window->PostRedraw();
}
