// Until the scene is built here, the programs draw the background: the camera's rays trace
// topObject when it is set and otherwise miss.

#include "raytrace/rt_programs.h"

#include <algorithm>
#include <cmath>

#include "platform/rt/rt_device.h"

namespace raytrace {
namespace {

using rtd::Float3;

struct RadiancePayload {
    Float3 result{0, 0, 0};
};

Float3 Add(Float3 a, Float3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Float3 Scale(Float3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
Float3 Normalize(Float3 a) {
    const float len = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return len > 0.0f ? Scale(a, 1.0f / len) : a;
}
std::uint8_t ToByte(float channel) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(channel, 0.0f, 1.0f) * 255.0f));
}

constexpr const char* kCameraVariables[] = {"outputBuffer", "topObject",  "radianceRayType",
                                            "cameraPos",    "cameraSide", "cameraUp",
                                            "cameraDir",    "fovScale",   "aspectRatio"};
constexpr rtd::Requirement kCameraRequirements[] = {{"outputBuffer", RT_FORMAT_UNSIGNED_BYTE4, 2}};

void Camera(rtd::State& s) {
    const rtd::UInt2 index = s.LaunchIndex(), dim = s.LaunchDim();
    const float sx = (static_cast<float>(index.x) + 0.5f) / static_cast<float>(dim.x) * 2.0f - 1.0f;
    const float sy = (static_cast<float>(index.y) + 0.5f) / static_cast<float>(dim.y) * 2.0f - 1.0f;
    const float fov = s.Var(7).Float();
    const Float3 d =
        Normalize(Add(Add(s.Var(6).F3(), Scale(s.Var(4).F3(), sx * fov * s.Var(8).Float())),
                      Scale(s.Var(5).F3(), sy * fov)));
    RadiancePayload payload;
    s.Trace(s.Var(1).node, rtd::Ray{s.Var(3).F3(), d, 0.0f, 1e30f}, s.Var(2).UInt(), &payload);
    if (auto* px = s.Element<rtd::UChar4>(s.Var(0).buffer, index.x, index.y)) {
        // Blue, green, red, alpha: the order the display reads.
        *px = {ToByte(payload.result.z), ToByte(payload.result.y), ToByte(payload.result.x), 255};
    }
}

constexpr const char* kMissVariables[] = {"bgColor"};
void Miss(rtd::State& s) { s.Payload<RadiancePayload>().result = s.Var(0).F3(); }

void Intersect(rtd::State& s) {
    if (s.PotentialIntersection(s.Triangle().t)) s.ReportIntersection(0);
}
void Nothing(rtd::State&) {}

}  // namespace

void RegisterRtPrograms() {
    using rtd::ProgramKind;
    const rtd::ProgramDefinition definitions[] = {
        {"camera", ProgramKind::RayGeneration, kCameraVariables, Camera, kCameraRequirements},
        {"miss", ProgramKind::Miss, kMissVariables, Miss},
        {"meshBounds", ProgramKind::BoundingBox, {}, Nothing},
        {"meshIntersect", ProgramKind::Intersection, {}, Intersect},
        {"visit", ProgramKind::Visit, {}, Nothing},
        {"ClosestHitRadiance", ProgramKind::ClosestHit, {}, Nothing},
        {"AnyHitShadow", ProgramKind::AnyHit, {}, Nothing},
    };
    for (const rtd::ProgramDefinition& d : definitions) rtd::RegisterProgram(d);
}

}  // namespace raytrace
