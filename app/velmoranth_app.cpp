#include "app/velmoranth_app.h"

#include <cstdio>

#include "app/messages.h"
#include "app/settings_globals.h"
#include "app/subsystem_calls.h"
#include "render/frame_driver.h"
#include "render/frame_hooks.h"
#include "render/scene_helpers.h"
#include "render/scene_state.h"

CVelmoranthApp theApp;

CVelmoranthApp::CVelmoranthApp() = default;
CVelmoranthApp::~CVelmoranthApp() = default;

void CVelmoranthApp::SetRenderEngine(int engine) {
    if (engine == kOpenGlEngine) {
        if (RayTracingAvailable && RenderEngine == kRayTracerEngine) RtShutdown();
        RenderEngine = kOpenGlEngine;
    } else if (engine == kRayTracerEngine) {
        if (!RayTracingAvailable) return;
        // A second request while the ray tracer runs keeps it: one context at a time.
        if (RenderEngine != kRayTracerEngine) {
            if (RtInitialize() != 0) {
                RayTracingAvailable = 0;
                RenderEngine = kOpenGlEngine;
            } else {
                RenderEngine = kRayTracerEngine;
            }
        }
    } else {
        return;
    }
    FpsAveragingTime = 0.0f;  // the frame-rate average restarts
}

void CVelmoranthApp::ShutDown() {
    // First, so that a frame or handler that is still running stops before it touches what
    // goes now.
    ShutDownStarted = 1;
    ReleaseScene();
    ReleaseSubsystems();
    if (m_quit) m_quit(ExitStatus());
}

void CVelmoranthApp::ReleaseScene() { ReleaseSceneObjects(Scene); }

// Each step clears what it tests, so a second shut-down releases nothing again.
void CVelmoranthApp::ReleaseSubsystems() {
    // The analysis thread reads the sound system's tap: it ends first.
    StopAnalysis();
    if (SoundReady) {
        SoundRelease();
        SoundReady = 0;
    }
    if (RayTracingAvailable && RenderEngine == kRayTracerEngine) {
        RtShutdown();
        RenderEngine = kOpenGlEngine;
    }
    CloseRtErrorReport();  // only closes a report that is open
}

void CVelmoranthApp::StopAnalysis() {
    if (!m_analysis) return;
    if (!m_analysis->StopWithin(kWorkerWaitLimit)) {
        std::fprintf(stderr, "AUDIO: the analysis thread did not end in %lld ms; leaving it\n",
                     static_cast<long long>(kWorkerWaitLimit.count()));
        m_leftBehind = m_analysis.release();  // its thread may still use it
        return;
    }
    m_analysis.reset();
}

void CVelmoranthApp::ReportMessage(const char* text, int category) {
    ::ReportMessage(text, category);
}

void CVelmoranthApp::ConnectFatalMessages() {
    m_fatal = false;
    SetFatalMessageHandler([this] {
        m_fatal = true;
        ShutDown();
    });
}
