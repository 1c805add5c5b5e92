#pragma once
// The ray tracer's context and what hangs on it: the seven programs, the context variables,
// the output, lights and turbulence buffers, the camera and miss programs. UI thread only.

#include <memory>

#include "model/matrix_stack.h"
#include "platform/rt/rt_api.h"
#include "platform/rt/rt_lights_record.h"

namespace raytrace {

struct RtModuleState {
    RTcontext context = nullptr;
    RTprogram closestHitRadiance = nullptr;
    RTprogram anyHitShadow = nullptr;
    RTprogram meshBounds = nullptr;
    RTprogram meshIntersect = nullptr;
    RTprogram visit = nullptr;
    RTprogram camera = nullptr;
    RTprogram miss = nullptr;
    RTbuffer outputBuffer = nullptr;
    RTbuffer lightsBuffer = nullptr;
    RTbuffer turbulenceBuffer = nullptr;
    RTtexturesampler turbulenceSampler = nullptr;
    // Context variables set again every frame.
    RTvariable toonShading = nullptr;
    RTvariable fillLightOn = nullptr;
    RTvariable renderShadows = nullptr;
    RTvariable renderReflections = nullptr;
    RTvariable renderTextures = nullptr;
    RTvariable render3DTextures = nullptr;
    // Camera and miss program variables.
    RTvariable cameraPos = nullptr;
    RTvariable cameraSide = nullptr;
    RTvariable cameraUp = nullptr;
    RTvariable cameraDir = nullptr;
    RTvariable fovScale = nullptr;
    RTvariable aspectRatio = nullptr;
    RTvariable bgColor = nullptr;
    // How the output buffer is drawn; zero until RtGetOutputPixelFormat.
    int glPixelFormat = 0;
    int glPixelType = 0;
    RtLightsRecord lightsStaging{};
    std::unique_ptr<MatrixStack> matrixStack;
};

extern RtModuleState RtState;

// 0 when every step succeeded, else the number of failed steps (1 when the context failed).
int RtInitialize();
int RtCreateContext();
int RtCreateTurbulenceTexture();
int RtCreateLightsBuffer();
int RtCreateCameraAndMiss();
int RtGetOutputPixelFormat();
// A sampler over buffer in both dimensions, without mip-maps, read as normalized floats at
// normalized coordinates; returns its id.
int RtCreateSampler(RTtexturesampler& sampler, RTwrapmode wrap, RTfiltermode filter, RTbuffer buffer);
void RtShutdown();
// What the engine switch calls: RtInitialize, and after any failure RtShutdown, so a failed
// start leaves nothing alive; 0 only when the ray tracer runs.
int RtStart();

}  // namespace raytrace
