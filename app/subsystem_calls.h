#pragma once
// What start-up, the render-engine switch and shut-down call in the sound system and the ray
// tracer. Those subsystems install their functions here; an empty entry means the subsystem is
// not there, and the call reports it as not available. UI thread only.

struct SoundSystemCalls {
    int (*SoundInit)() = nullptr;  // 0 when 3D sound started; shows its own warning otherwise
    void (*SoundRelease)() = nullptr;
};

struct RayTracerCalls {
    int (*RtCheckAvailable)() = nullptr;  // 0 when the ray tracer can run here
    int (*RtInitialize)() = nullptr;      // 0 when the ray tracer started
    void (*RtShutdown)() = nullptr;
    void (*CloseRtErrorReport)() = nullptr;
    void (*RtHoldWarning)() = nullptr;    // at the start of a frame
    int (*RtReleaseWarning)() = nullptr;  // at its end: 1 when the ray tracer fell back in it
};

extern SoundSystemCalls SoundSystem;
extern RayTracerCalls RayTracer;

// 1 while the sound system runs: set by start-up, cleared when it is released.
extern int SoundReady;

// The calls; without an installed function the result is "not available" (nonzero).
[[nodiscard]] int SoundInit();
void SoundRelease();
[[nodiscard]] int RtCheckAvailable();
[[nodiscard]] int RtInitialize();
void RtShutdown();
void CloseRtErrorReport();
void RtHoldWarning();
[[nodiscard]] int RtReleaseWarning();  // 0 without a ray tracer
