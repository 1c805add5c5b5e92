#pragma once
// The ray tracer's part of each eye: the camera, the launch, the display of the output and its
// unmapping, and the output's resize with the window. A failure here is reported, and the ray
// tracer is torn down at once, so nothing stays mapped or running behind the OpenGL engine.
// UI thread only, with the view's OpenGL context current.

#include "animation/camera.h"

namespace raytrace {

void RtUpdateCamera(RtCameraRecord camera);
void RtLaunch();
int RtDisplayOutput();  // the sum of its reported results
int RtUnmapOutput();
void RtResizeOutputBuffer();

}  // namespace raytrace
