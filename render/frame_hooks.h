#pragma once
// What the frame calls in the sound system, the ray tracer and the application's shut-down.
// Those subsystems install their functions here; an empty entry means that the subsystem is
// not there, so the frame skips the call (no sound, no ray tracer). UI thread only.

#include "animation/camera.h"

// The per-frame light record the ray tracer takes.
struct FrameLightRecord {
    float attenuation;
    float mainColor[3];
    float mainPosition[3];
    float spotColor[5][4];
    float spotDirection[5][3];
    float spotPosition[5][4];
    float spotCosCutoff[5];
    float spotCosOuter[5];
    int spotOn[5];
};

struct FrameSoundHooks {
    bool (*SongPlaying)() = nullptr;      // the sound system is ready and the player plays
    bool (*ChannelsPlaying)() = nullptr;  // a channel of the song still plays
    // The listener at the eye, facing away from back (the orbit cameras' target-to-eye unit
    // vector, the Virtual Reality camera's forward vector).
    void (*UpdateListener)(const float* eye, const float* back, const float* up) = nullptr;
    void (*SongEnded)() = nullptr;  // tells the music player, when it exists
};

struct FrameRtHooks {
    void (*RemoveDancer)() = nullptr;
    void (*AddDancer)() = nullptr;
    void (*UpdateLights)(FrameLightRecord lights) = nullptr;
    void (*UpdateSpotLights)(FrameLightRecord lights) = nullptr;
    void (*UpdateCamera)(RtCameraRecord camera) = nullptr;
    void (*UpdateDancer)() = nullptr;
    void (*Launch)() = nullptr;
    void (*DisplayOutput)() = nullptr;
    void (*UnmapOutput)() = nullptr;
    void (*ResizeOutputBuffer)() = nullptr;
};

extern FrameSoundHooks FrameSound;
extern FrameRtHooks FrameRt;

// Set by the application's shut-down, which a fatal message can start in the middle of a frame
// (a dancer file that vanished); the frame then stops before it touches a freed object.
extern int ShutDownStarted;

// Calls the hook when it is installed.
template <class Fn, class... Args>
void CallHook(Fn* fn, Args... args) {
    if (fn) fn(args...);
}
