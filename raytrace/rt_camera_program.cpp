// The camera, miss and selector programs.

#include "raytrace/rt_programs.h"
#include "raytrace/rt_shading.h"

namespace raytrace {

namespace {

// The OpenGL engine's clipping planes, so both engines cut the near and far scene alike.
constexpr float kNearPlane = 200.0f;
constexpr float kFarPlane = 50000.0f;

enum CameraVar { kPos, kSide, kUp, kDir, kFov, kAspect, kOutput, kTop, kRadianceType };
constexpr const char* kCameraVars[] = {"cameraPos",   "cameraSide",   "cameraUp",
                                       "cameraDir",   "fovScale",     "aspectRatio",
                                       "outputBuffer", "topObject",   "radianceRayType"};

// One ray through the centre of each launch index; row 0 is the bottom of the picture.
void Camera(rtd::State& s) {
    const rtd::UInt2 index = s.LaunchIndex();
    const rtd::UInt2 dim = s.LaunchDim();
    rtd::UChar4* out = s.Element<rtd::UChar4>(s.Var(kOutput).buffer, index.x, index.y);
    if (!out) return;
    const float fov = s.Var(kFov).Float();
    const float sx = ((static_cast<float>(index.x) + 0.5f) / static_cast<float>(dim.x) * 2.0f - 1.0f);
    const float sy = ((static_cast<float>(index.y) + 0.5f) / static_cast<float>(dim.y) * 2.0f - 1.0f);
    const Float3 dir = s.Var(kDir).F3();
    const Float3 d = Normalized(dir + s.Var(kSide).F3() * (sx * fov * s.Var(kAspect).Float()) +
                                s.Var(kUp).F3() * (sy * fov));
    const float along = Dot(d, Normalized(dir));
    rtd::Ray ray{s.Var(kPos).F3(), d, 0.0f, 1e30f};
    if (along > 0.0f) {
        ray.tmin = kNearPlane / along;
        ray.tmax = kFarPlane / along;
    }
    RtRadiancePayload payload{{0, 0, 0}, 0, 0};
    s.Trace(s.Var(kTop).node, ray, s.Var(kRadianceType).UInt(), &payload);
    // Blue, green, red, alpha: the order the display reads.
    *out = {ToByte(payload.result.z), ToByte(payload.result.y), ToByte(payload.result.x), 255};
}

constexpr const char* kMissVars[] = {"bgColor"};
void Miss(rtd::State& s) { s.Payload<RtRadiancePayload>().result = s.Var(0).F3(); }

// Child selectorIndex when it lies below maxSelector; otherwise nothing is traced.
constexpr const char* kVisitVars[] = {"selectorIndex", "maxSelector"};
void Visit(rtd::State& s) {
    const int index = s.Var(0).Int();
    if (index >= 0 && index < s.Var(1).Int()) s.VisitChild(static_cast<unsigned>(index));
}

}  // namespace

void RtRegisterCameraPrograms() {
    rtd::RegisterProgram({"camera", rtd::ProgramKind::RayGeneration, kCameraVars, Camera});
    rtd::RegisterProgram({"miss", rtd::ProgramKind::Miss, kMissVars, Miss});
    rtd::RegisterProgram({"visit", rtd::ProgramKind::Visit, kVisitVars, Visit});
}

void RtRegisterPrograms() {
    RtRegisterCameraPrograms();
    RtRegisterMeshPrograms();
    RtRegisterLightingPrograms();
}

}  // namespace raytrace
