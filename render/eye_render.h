#pragma once
// One eye of one frame: the camera, the draw buffer, the clear, the OpenGL passes (scene,
// planar shadows, the translucent pass, the toon outline) or the ray tracer's output, then the
// statistics overlay. Also the resize handling and the context checks of start-up.

#include <cstdint>
#include <string>

#include "render/frame_hooks.h"

// Rewritten by every eye while the ray tracer is the engine; spots from ActiveSpotCount up
// keep their last values with their on flags cleared.
extern FrameLightRecord FrameLightSet;
// ViewportWidth x ViewportHeight, written by ResizeScene.
extern std::int32_t PixelCount;

// eye 0 mono, 1 left, 2 right.
void RenderFrame(std::int32_t eye);
// The lit scene from the current camera, OpenGL engine only.
void DrawScene();
void ResizeScene(std::int32_t width, std::int32_t height);
// 1 when the context's version is below 1.1 or the context gives no version.
std::int32_t IsOpenGLVersionTooOld();
// 1 when the context has 8 stencil bits and is not a renderer known to lack them.
std::int32_t CanUseStencilShadows();

// The checks above on the strings and numbers the context gives; null strings are allowed.
bool VersionTooOld(const char* version);
bool StencilShadowsSupported(const char* renderer, int indexBits, int stencilBits);

// The overlay's two lines.
std::string StatsRateLine();
std::string StatsSizeLine();
