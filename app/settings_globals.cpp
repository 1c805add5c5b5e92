#include "app/settings_globals.h"

int DisplayTextures;
int NumRequestedSpots;
int ActiveSpotCount;
int RenderEngine;
int RenderShadows;
int SimpleLighting;
int RenderRt3DShadows;
int RenderRtReflections;
int RenderRt3DTextures;
float ClubAmbient;
float MainLightLevel;
std::atomic<float> MinMusicDetect{20.0f};
int StatChoice;
float Stereo3DScale;
int Stereo3DInvert;
std::array<int, kReportFlagCount> ReportFlags;
int SettingsDirty;
int RequestedRenderEngine = -1;
int RayTracingAvailable;

void SetSettingsStartValues() {
    DisplayTextures = 1;
    NumRequestedSpots = 3;
    ActiveSpotCount = 3;
    RenderEngine = 0;
    RenderShadows = 1;
    SimpleLighting = 0;
    RenderRt3DShadows = 1;
    RenderRtReflections = 1;
    RenderRt3DTextures = 1;
    ClubAmbient = 0.1f;
    MainLightLevel = 0.4f;
    StatChoice = 2;
    Stereo3DScale = 1.0f;
    Stereo3DInvert = 1;
    ReportFlags = {0, 1, 1, 1, 1};
    SettingsDirty = 0;
}

namespace {
// The start values are in force from the program's start, before scene start-up sets them
// again, so code that runs earlier (or alone, in a test) sees them too.
[[maybe_unused]] const bool kStartValuesApplied = (SetSettingsStartValues(), true);
}  // namespace
