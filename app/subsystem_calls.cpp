#include "app/subsystem_calls.h"

SoundSystemCalls SoundSystem;
RayTracerCalls RayTracer;
int SoundReady = 0;

namespace {
constexpr int kNotAvailable = 1;

int CallOrUnavailable(int (*fn)()) { return fn ? fn() : kNotAvailable; }
void CallIfInstalled(void (*fn)()) {
    if (fn) fn();
}
}  // namespace

int SoundInit() { return CallOrUnavailable(SoundSystem.SoundInit); }
void SoundRelease() { CallIfInstalled(SoundSystem.SoundRelease); }
int RtCheckAvailable() { return CallOrUnavailable(RayTracer.RtCheckAvailable); }
int RtInitialize() { return CallOrUnavailable(RayTracer.RtInitialize); }
void RtShutdown() { CallIfInstalled(RayTracer.RtShutdown); }
void CloseRtErrorReport() { CallIfInstalled(RayTracer.CloseRtErrorReport); }
void RtHoldWarning() { CallIfInstalled(RayTracer.RtHoldWarning); }
int RtReleaseWarning() { return RayTracer.RtReleaseWarning ? RayTracer.RtReleaseWarning() : 0; }
