#include "app/velmoranth_app.h"

#include <cstdio>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/dancer_selection.h"
#include "animation/light_object.h"
#include "animation/vr_camera.h"
#include "app/messages.h"
#include "app/settings_globals.h"
#include "app/subsystem_calls.h"
#include "model/mesh_part.h"
#include "model/model_object.h"
#include "render/frame_driver.h"
#include "render/frame_hooks.h"
#include "render/scene_helpers.h"
#include "render/scene_state.h"

CVelmoranthApp theApp;

namespace {

// A worker whose thread never ended: kept (and reachable) until the process ends.
AppWorker* LeftBehindWorker = nullptr;

// Frees an owned object and clears the global that points at it.
template <class Owned, class Global>
void Release(std::unique_ptr<Owned>& owner, Global*& global) {
    global = nullptr;
    owner.reset();
}

}  // namespace

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

void CVelmoranthApp::ReleaseScene() {
    Release(Scene.manualCamera, ManualCamera);
    for (int i = 0; i < 2; ++i) Release(Scene.autoCameras[i], AutoCameras[i]);
    Release(Scene.vrCamera, VRCamera);
    ReleaseDancers();
    Release(Scene.clubModel, ClubModel);
    for (int k = 0; k < kPropCount; ++k) Release(Scene.propModels[k], PropModels[k]);
    Release(Scene.simpleLight, SimpleLight);
    Release(Scene.mainLight, MainLight);
    for (int i = 0; i < kSpotLightCount; ++i) Release(Scene.spotLights[i], SpotLights[i]);
}

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
        LeftBehindWorker = m_analysis.release();  // its thread may still use it
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
