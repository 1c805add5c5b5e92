#pragma once
// Hands the frame the ray tracer's per-eye, resize and dancer-swap functions.

namespace raytrace {

void InstallRtFrameHooks();

}  // namespace raytrace
