#include "render/frame_driver.h"

#include <algorithm>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/dancer_selection.h"
#include "animation/light_object.h"
#include "animation/view_state.h"
#include "animation/vr_camera.h"
#include "animation/view_options.h"
#include "render/render_options.h"
#include "audio/analysis_thread.h"
#include "audio/beat_tracker.h"
#include "model/vec_math.h"
#include "platform/clock/elapsed_clock.h"
#include "render/eye_render.h"
#include "render/frame_hooks.h"
#include "render/scene_helpers.h"
#include "render/scene_state.h"

std::int32_t FrameClockBase = 0;
std::int32_t LastFrameTime = 0;
float FrameStepMs = 0.0f;
std::int32_t FrameCounter = 0;
float SpotDirections[kSpotLightCount][3] = {};
float SpotPositions[kSpotLightCount][3] = {};
float SpotColors[kSpotLightCount][3] = {};
float FramesPerSecond = 0.0f;
float FpsAveragingTime = 0.0f;
std::int32_t StatTickCounter = 0;
std::int32_t StatClockBase = 0;
std::int32_t LastStatTime = 0;
std::int32_t PolygonCount = 0;
std::int32_t VertexCount = 0;
FrameClockFn FrameClock = &GetElapsedMilliseconds;

namespace {

constexpr int kTicksPerRateSample = 10;
// Drawn in place of the hidden club: 32 x 32 quads on 33 x 33 vertices.
constexpr std::int32_t kFloorGridPolygons = 1024;
constexpr std::int32_t kFloorGridVertices = 1089;

void ApplyDancerRequest() {
    if (RequestedDancer < 0) return;
    if (RayTracerInForce()) CallHook(FrameRt.RemoveDancer);
    DancerLoaded = SelectDancer(ModelVariant, RequestedDancer);
    RequestedDancer = -1;
    if (RayTracerInForce()) CallHook(FrameRt.AddDancer);
}

void AnimateDancer() {
    if (!DancerLoaded || !Dancer) return;
    Dancer->AnimatorCall(FrameStepMs);
    // The shadow caster takes the new pose; only the OpenGL engine draws it.
    if (RenderEngine == kOpenGlEngine && DancerShadow) CopyPartTransforms(Dancer, DancerShadow);
}

void AimSpots() {
    for (int i = 0; i < SpotsInForce(); ++i) {
        CSpotLightObject* spot = SpotLights[i];
        if (!spot) continue;
        spot->ApplyPosition();
        spot->GetDirection(SpotDirections[i]);
        Vec3Normalize(SpotDirections[i], SpotDirections[i]);
        spot->ApplyDirection();
    }
    CLightObject* key = SimpleLightingInForce() ? SimpleLight : MainLight;
    if (key) key->ApplyPosition();
    for (int i = 0; i < SpotsInForce(); ++i) {
        const CSpotLightObject* spot = SpotLights[i];
        if (!spot) continue;
        spot->GetPosition(SpotPositions[i]);
        spot->GetColor(SpotColors[i]);
    }
}

// The centre view of the camera in force: eye, the second view vector and up.
bool CentreViewVectors(float* eye, float* back, float* up) {
    if (CameraMode == 2) {
        if (!VRCamera) return false;
        VRCamera->GetEyeVectors(eye, back, up);
        return true;
    }
    CCamera* camera = ManualCamera;
    if (CameraMode == 0) camera = AutoCameras[std::clamp<int>(AutoCameraTimer.index, 0, 1)];
    if (!camera) return false;
    camera->ComputeView(eye, back, up, 0);
    return true;
}

void UpdateSoundListener() {
    if (!FrameSound.SongPlaying || !FrameSound.SongPlaying()) return;
    if (FrameSound.ChannelsPlaying && FrameSound.ChannelsPlaying()) {
        float eye[3], back[3], up[3];
        if (CentreViewVectors(eye, back, up)) CallHook(FrameSound.UpdateListener, eye, back, up);
    } else {
        CallHook(FrameSound.SongEnded);
    }
}

void RenderEyes() {
    if (!RenderEnabled) return;
    if (StereoRendering) {
        RenderFrame(1);
        RenderFrame(2);
    } else {
        RenderFrame(0);
    }
}

// Without the analysis thread the dance keeps a steady four units per second.
void AdvanceBeatWithoutAnalysis() {
    if (!AudioThreadStop.load(std::memory_order_relaxed) || Paused) return;
    float phase =
        static_cast<float>(BeatPhase.load(std::memory_order_relaxed) + FrameStepMs / 1000.0 * 4.0);
    while (phase > 4.0f) phase -= 4.0f;
    BeatPhase.store(phase, std::memory_order_relaxed);
}

// Everything after the first two ticks; false when a shut-down started during the tick.
bool RunWorkingTick(float now) {
    FrameStepMs = now - static_cast<float>(static_cast<std::uint32_t>(LastFrameTime));
    UpdateFrameRate();
    // Before this tick's dancer change.
    CountSceneStatistics();
    ApplyDancerRequest();
    if (ShutDownStarted) return false;
    AnimateDancer();
    LightShowTick(FrameStepMs);
    ApplyLightConfig();
    // In the ray tracer the spots and the main light stay on whatever SimpleLighting says.
    SwitchLights(SimpleLightingInForce());
    AimSpots();
    PollCamAdjustButtons();
    AutoCameraTick(FrameStepMs);
    UpdateSoundListener();
    RenderEyes();
    AdvanceBeatWithoutAnalysis();
    return true;
}

void AddModelCounts(const CModelObject* model, std::int32_t copies) {
    PolygonCount += model->GetFaceCount() * copies;
    VertexCount += model->GetVertexCount() * copies;
}

}  // namespace

float FpsWindow() {
    if (StatChoice < 1 || StatChoice >= static_cast<int>(FpsWindowSeconds.size())) return 0.0f;
    return FpsWindowSeconds[StatChoice];
}

void ResetFrameDriver() {
    FrameClockBase = 0;
    LastFrameTime = 0;
    FrameStepMs = 0.0f;
    FrameCounter = 0;
    FramesPerSecond = 0.0f;
    FpsAveragingTime = 0.0f;
    StatTickCounter = 0;
    StatClockBase = 0;
    LastStatTime = 0;
    PolygonCount = 0;
    VertexCount = 0;
}

std::int32_t AnimateAndRenderFrame() {
    if (!GLReady) return 0;
    const float now = FrameClock(&FrameClockBase);
    if (LastFrameTime != 0 && !RunWorkingTick(now)) return 0;
    ++FrameCounter;
    LastFrameTime = static_cast<std::int32_t>(now);
    return 0;
}

void UpdateFrameRate() {
    if (StatTickCounter < kTicksPerRateSample) {
        ++StatTickCounter;
        return;
    }
    StatTickCounter = 0;
    const float now = FrameClock(&StatClockBase);
    const float delta = now - static_cast<float>(static_cast<std::uint32_t>(LastStatTime));
    if (LastStatTime != 0 && delta > 0.0f) {
        const float t = delta / 1000.0f;
        FpsAveragingTime = std::min(FpsAveragingTime + t, FpsWindow());
        const float w = FpsAveragingTime == 0.0f ? 1.0f : std::min(t / FpsAveragingTime, 1.0f);
        // delta is the time of the last ten frames.
        const float rate = 1000.0f / delta * kTicksPerRateSample;
        FramesPerSecond = static_cast<float>((1.0 - w) * FramesPerSecond + double(w) * rate);
    }
    ++StatTickCounter;
    LastStatTime = static_cast<std::int32_t>(now);
}

void CountSceneStatistics() {
    PolygonCount = 0;
    VertexCount = 0;
    if (Dancer) AddModelCounts(Dancer, 1);
    // Counted whether or not the context can draw the shadows.
    if (RenderEngine == kOpenGlEngine && RenderShadows && DancerShadow)
        AddModelCounts(DancerShadow, 1);
    if (ShowClub && ClubModel) {
        AddModelCounts(ClubModel, 1);
    } else {
        PolygonCount += kFloorGridPolygons;
        VertexCount += kFloorGridVertices;
    }
    if (!ShowProps) return;
    for (const CModelObject* prop : PropModels) {
        if (prop && prop->IsVisible()) AddModelCounts(prop, prop->GetInstanceCount());
    }
}
