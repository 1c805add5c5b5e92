#include "tests/rt/rt_test_programs.h"

#include <algorithm>
#include <cmath>

namespace rttest {
namespace {

using rtd::Float3;

Float3 Add(Float3 a, Float3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Float3 Sub(Float3 a, Float3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Float3 Scale(Float3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Dot(Float3 a, Float3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Float3 Cross(Float3 a, Float3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Float3 Normalize(Float3 a) {
    const float len = std::sqrt(Dot(a, a));
    return len > 0.0f ? Scale(a, 1.0f / len) : a;
}
std::uint8_t ToByte(float c) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(c, 0.0f, 1.0f) * 255.0f));
}

struct Radiance {
    Float3 color{0, 0, 0};
    int depth = 0;
};

struct Attributes {
    int prim;
    float geometryValue;
    Float3 normal;
};

constexpr const char* kCameraVars[] = {"outputBuffer", "topObject", "cameraPos", "cameraDir",
                                       "cameraSide",   "cameraUp",  "fovScale"};
constexpr rtd::Requirement kCameraNeeds[] = {{"outputBuffer", RT_FORMAT_UNSIGNED_BYTE4, 2}};

void Camera(rtd::State& s) {
    const rtd::UInt2 i = s.LaunchIndex(), n = s.LaunchDim();
    const float sx = (static_cast<float>(i.x) + 0.5f) / static_cast<float>(n.x) * 2.0f - 1.0f;
    const float sy = (static_cast<float>(i.y) + 0.5f) / static_cast<float>(n.y) * 2.0f - 1.0f;
    const float fov = s.Var(6).Float();
    const Float3 d = Normalize(
        Add(s.Var(3).F3(), Add(Scale(s.Var(4).F3(), sx * fov), Scale(s.Var(5).F3(), sy * fov))));
    Radiance r;
    s.Trace(s.Var(1).node, {s.Var(2).F3(), d, 0.0f, 1e30f}, 0, &r);
    if (auto* px = s.Element<rtd::UChar4>(s.Var(0).buffer, i.x, i.y)) {
        *px = {ToByte(r.color.z), ToByte(r.color.y), ToByte(r.color.x), 255};
    }
}

constexpr const char* kMissVars[] = {"bgColor"};
void Miss(rtd::State& s) { s.Payload<Radiance>().color = s.Var(0).F3(); }

void Nothing(rtd::State&) {}

constexpr const char* kIntersectVars[] = {"vertexBuffer", "vertIndexBuffer", "value"};
void Intersect(rtd::State& s) {
    const auto* tri =
        s.Element<rtd::Int3>(s.Var(1).buffer, static_cast<std::size_t>(s.PrimitiveIndex()));
    if (!tri || !s.PotentialIntersection(s.Triangle().t)) return;
    const auto* a = s.Element<Float3>(s.Var(0).buffer, static_cast<std::size_t>(tri->x));
    const auto* b = s.Element<Float3>(s.Var(0).buffer, static_cast<std::size_t>(tri->y));
    const auto* c = s.Element<Float3>(s.Var(0).buffer, static_cast<std::size_t>(tri->z));
    if (!a || !b || !c) return;
    auto& attributes = s.CandidateAttributes<Attributes>();
    attributes = {s.PrimitiveIndex(), s.Var(2).Float(), Cross(Sub(*b, *a), Sub(*c, *a))};
    s.ReportIntersection(0);
}

constexpr const char* kShadeVars[] = {"color", "mirror", "lightPos", "topObject", "topShadower"};
void Shade(rtd::State& s) {
    auto& r = s.Payload<Radiance>();
    const rtd::Ray& ray = s.CurrentRay();
    const Float3 p = Add(ray.origin, Scale(ray.direction, s.HitT()));
    Float3 n = Normalize(s.ObjectToWorldNormal(s.Attributes<Attributes>().normal));
    if (Dot(n, ray.direction) > 0.0f) n = Scale(n, -1.0f);
    const Float3 start = Add(p, Scale(n, 1e-3f));
    Float3 color = s.Var(0).F3();
    Probe shadow;
    const Float3 toLight = Sub(s.Var(2).F3(), start);
    s.Trace(s.Var(4).node, {start, toLight, 0.0f, 1.0f}, 1, &shadow);
    if (shadow.attenuation == 0.0f) color = Scale(color, 0.5f);
    if (s.Var(1).Int() && r.depth < 3) {
        Radiance reflected;
        reflected.depth = r.depth + 1;
        const Float3 d = Sub(ray.direction, Scale(n, 2.0f * Dot(n, ray.direction)));
        s.Trace(s.Var(3).node, {start, d, 0.0f, 1e30f}, 0, &reflected);
        color = Add(Scale(color, 0.5f), Scale(reflected.color, 0.5f));
    }
    r.color = color;
}

constexpr const char* kShadowVars[] = {"isLuminous"};
void Shadow(rtd::State& s) {
    if (s.Var(0).Int()) return s.IgnoreIntersection();
    s.Payload<Probe>().attenuation = 0.0f;
    s.TerminateRay();
}

constexpr const char* kVisitVars[] = {"selectorIndex", "maxSelector"};
void Visit(rtd::State& s) {
    const int index = s.Var(0).Int();
    if (index >= 0 && index < s.Var(1).Int()) s.VisitChild(static_cast<unsigned>(index));
}

constexpr const char* kProbeVars[] = {"rays", "results", "topObject", "rayType"};
void ProbeRays(rtd::State& s) {
    const unsigned i = s.LaunchIndex().x;
    const auto* ray = s.Element<ProbeRay>(s.Var(0).buffer, i);
    auto* result = s.Element<Probe>(s.Var(1).buffer, i);
    if (!ray || !result) return;
    Probe probe;
    s.Trace(s.Var(2).node, {ray->origin, ray->direction, 0.0f, 1e30f}, s.Var(3).UInt(), &probe);
    *result = probe;
}

constexpr const char* kProbeHitVars[] = {"id", "value"};
void ProbeHit(rtd::State& s) {
    auto& probe = s.Payload<Probe>();
    const auto& a = s.Attributes<Attributes>();
    probe.hit = 1;
    probe.id = s.Var(0).Int();
    probe.prim = a.prim;
    probe.t = s.HitT();
    probe.origin = s.ObjectToWorldPoint({0, 0, 0});
    probe.value = s.Var(1).Float();
    probe.geometryValue = a.geometryValue;
    probe.normal = a.normal;
}

constexpr const char* kSampleVars[] = {"texId", "coords", "texels", "oneD"};
void Sample(rtd::State& s) {
    const unsigned i = s.LaunchIndex().x;
    const auto* uv = s.Element<rtd::Float2>(s.Var(1).buffer, i);
    auto* texel = s.Element<rtd::Float4>(s.Var(2).buffer, i);
    if (!uv || !texel) return;
    const int id = s.Var(0).Int();
    *texel = s.Var(3).Int() ? s.Tex1D(id, uv->x) : s.Tex2D(id, uv->x, uv->y);
}

}  // namespace

void RegisterTestPrograms() {
    using rtd::ProgramKind;
    const rtd::ProgramDefinition definitions[] = {
        {"camera", ProgramKind::RayGeneration, kCameraVars, Camera, kCameraNeeds},
        {"miss", ProgramKind::Miss, kMissVars, Miss},
        {"meshBounds", ProgramKind::BoundingBox, {}, Nothing},
        {"meshIntersect", ProgramKind::Intersection, kIntersectVars, Intersect},
        {"radiance", ProgramKind::ClosestHit, kShadeVars, Shade},
        {"blocker", ProgramKind::AnyHit, kShadowVars, Shadow},
        {"visit", ProgramKind::Visit, kVisitVars, Visit},
        {"probe", ProgramKind::RayGeneration, kProbeVars, ProbeRays},
        {"probeHit", ProgramKind::ClosestHit, kProbeHitVars, ProbeHit},
        {"sample", ProgramKind::RayGeneration, kSampleVars, Sample},
    };
    for (const rtd::ProgramDefinition& d : definitions) rtd::RegisterProgram(d);
}

}  // namespace rttest
