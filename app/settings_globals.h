#pragma once
// The settings globals: one plain global per key of "Velmoranth.ini", read and written by the
// settings file and the preferences pages. Those the lower layers read live beside them, in
// the headers included here; this file holds the rest.
//
// Written on the UI thread by scene start-up, the settings reader, the menu commands and the
// preferences pages; read on the UI thread by the frame driver, the renderers and the ray
// tracer. MinMusicDetect is also read by the audio analysis thread, so it is atomic.
//
// Each line: the key it is saved under, the range the reader accepts, the start value.

#include <array>

#include "animation/view_options.h"
#include "audio/music_detect.h"
#include "model/display_options.h"
#include "render/render_options.h"

extern int NumRequestedSpots;   // "NumRequestedSpots", 1 to 5, start 3
extern int RenderRt3DShadows;   // "RenderRt3DShadows", 0 to 1, start 1; 0 without ray tracing
extern int RenderRtReflections; // "RenderRtReflections", 0 to 1, start 1; 0 without ray tracing
extern int RenderRt3DTextures;  // "RenderRt3DTextures", 0 to 1, start 1; 0 without ray tracing

// Indexed by ReportCategory: entries 1 to 4 are "ReportNoAudioWarn", "ReportVrWarn",
// "Report3DSoundWarn" and "ReportRtWarn", 0 to 1, start 1. Entry 0 belongs to no key and is 0.
constexpr int kReportFlagCount = 5;
extern std::array<int, kReportFlagCount> ReportFlags;

// Set when a warning's "Don't display this error" box was clicked; never cleared in a run.
extern int SettingsDirty;

// "RenderEngine" is read into this request, which the first frame applies; -1 none pending.
extern int RequestedRenderEngine;

// Gives every settings global its start value, except the three that have no start value of
// their own: MinMusicDetect (the analysis thread sets 20.0 when it starts),
// RequestedRenderEngine and RayTracingAvailable. Scene start-up calls it first; the globals
// already hold these values when the program starts.
void SetSettingsStartValues();
