#pragma once
// The settings globals: one plain global per key of "Velmoranth.ini", read and written by the
// settings file, the preferences pages and the renderers.
//
// Written on the UI thread by scene start-up, the settings reader, the menu commands and the
// preferences pages; read on the UI thread by the frame driver, the renderers and the ray
// tracer. MinMusicDetect is also read by the audio analysis thread, so it is atomic.
//
// Each line: the key it is saved under, the range the reader accepts, the start value.

#include <array>
#include <atomic>

extern int DisplayTextures;     // "DisplayTextures", 0 to 1, start 1
extern int NumRequestedSpots;   // "NumRequestedSpots", 1 to 5, start 3
extern int ActiveSpotCount;     // read with "NumRequestedSpots", start 3: the spots in use
extern int RenderEngine;        // "RenderEngine" is written from it; 0 OpenGL, 2 ray tracer
extern int RenderShadows;       // "RenderShadows", 0 to 1, start 1
extern int SimpleLighting;      // "SimpleLighting", 0 to 1, start 0
extern int RenderRt3DShadows;   // "RenderRt3DShadows", 0 to 1, start 1; 0 without ray tracing
extern int RenderRtReflections; // "RenderRtReflections", 0 to 1, start 1; 0 without ray tracing
extern int RenderRt3DTextures;  // "RenderRt3DTextures", 0 to 1, start 1; 0 without ray tracing
extern float ClubAmbient;       // "ClubAmbient", 0.0 to 0.5, start 0.1
extern float MainLightLevel;    // read with "ClubAmbient" (4 x ClubAmbient), start 0.4
extern std::atomic<float> MinMusicDetect;  // "MinMusicDetect", 1.0 to 1000.0, start 20.0
extern int StatChoice;          // "StatChoice", 1 to 7, start 2: frame-rate averaging window
extern float Stereo3DScale;     // "Stereo3DScale", 0.5 to 2.0, start 1.0
extern int Stereo3DInvert;      // "Stereo3DInvert", -1 to 1, start 1

// Indexed by ReportCategory: entries 1 to 4 are "ReportNoAudioWarn", "ReportVrWarn",
// "Report3DSoundWarn" and "ReportRtWarn", 0 to 1, start 1. Entry 0 belongs to no key and is 0.
constexpr int kReportFlagCount = 5;
extern std::array<int, kReportFlagCount> ReportFlags;

// Set when a warning's "Don't display this error" box was clicked; never cleared in a run.
extern int SettingsDirty;

// "RenderEngine" is read into this request, which the first frame applies; -1 none pending.
extern int RequestedRenderEngine;

// Found at start-up before the settings are read; the ray-tracing keys read 0 while it is 0.
extern int RayTracingAvailable;

// Gives every global above its start value, except the three that have no start value of
// their own: MinMusicDetect (the analysis thread sets 20.0 when it starts),
// RequestedRenderEngine and RayTracingAvailable. Scene start-up calls it first; the globals
// already hold these values when the program starts.
void SetSettingsStartValues();
