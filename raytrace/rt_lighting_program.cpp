// The lighting programs: what a radiance ray sees at a hit, and what stops a shadow ray.

#include <algorithm>
#include <cmath>

#include "platform/rt/rt_lights_record.h"
#include "raytrace/rt_programs.h"
#include "raytrace/rt_shading.h"

namespace raytrace {

namespace {

constexpr float kToonAmbientBoost = 0.2f;  // as the OpenGL engine brightens toon dancers
constexpr float kKeySpotExponent = 5.0f;   // spot 0; the coloured spots fall off with 1
constexpr float kTurbulenceScale = 1.0f / 4000.0f;
constexpr float kBumpDepth = 0.35f;
constexpr float kFaintest = 0.5f / 255.0f;

enum LightingVar {
    kReflectivity, kAmbient, kLuminous, kShiny, kWood, kReflective, kToon, kBump, kTextured,
    kTexId, kLights, kToonShading, kFillLightOn, kRenderShadows, kRenderReflections,
    kRenderTextures, kRender3D, kTurbTexId, kTopObject, kTopShadower, kRadianceType,
    kShadowType, kSceneEpsilon, kMaxReflectionDepth, kMaxTransparencyDepth,
};
constexpr const char* kLightingVars[] = {
    "reflectivity", "ambientLightColor", "isLuminous", "isShiny", "isWood", "isReflective",
    "isToon", "isBumpMapped", "isTextured", "texId", "lights", "toonShading", "fillLightOn",
    "renderShadows", "renderReflections", "renderTextures", "render3DTextures", "turbTexId",
    "topObject", "topShadower", "radianceRayType", "shadowRayType", "sceneEpsilon",
    "maxReflectionDepth", "maxTransparencyDepth",
};

struct Surface {
    Float3 point;   // world space
    Float3 offset;  // along the geometric normal on the viewer's side: where new rays start
    Float3 normal;  // shading normal on the viewer's side
    Float3 toEye;
    Float3 base;
    float alpha;
    bool toon;
};

float Turbulence(const rtd::State& s, float at) {
    return s.Tex1D(s.Var(kTurbTexId).Int(), at * kTurbulenceScale).x;
}

Float3 Bumped(const rtd::State& s, Float3 n, Float3 p) {
    const Float3 wobble = {Turbulence(s, p.x + 0.37f * p.y), Turbulence(s, p.y + 0.53f * p.z + 1300.0f),
                           Turbulence(s, p.z + 0.71f * p.x + 2600.0f)};
    return Normalized(n + wobble * kBumpDepth);
}

Surface Describe(rtd::State& s) {
    const auto& a = s.Attributes<RtMeshAttributes>();
    const rtd::Ray& ray = s.CurrentRay();
    Surface f{};
    f.point = ray.origin + ray.direction * s.HitT();
    f.toEye = Normalized(-ray.direction);
    const Float3 ng = FaceForward(Normalized(s.ObjectToWorldNormal(a.geometricNormal)), ray.direction);
    Float3 n = Normalized(s.ObjectToWorldNormal(a.shadingNormal));
    if (Dot(n, ng) < 0.0f) n = -n;
    const bool textures3D = s.Var(kRender3D).Int() != 0;
    if (textures3D && s.Var(kBump).Int()) n = Bumped(s, n, a.objectPoint);
    f.normal = n;
    const float scale = std::max({std::fabs(f.point.x), std::fabs(f.point.y), std::fabs(f.point.z), 1.0f});
    f.offset = f.point + ng * std::max(s.Var(kSceneEpsilon).Float(), 1e-4f * scale);
    f.base = {a.color.x, a.color.y, a.color.z};
    f.alpha = a.color.w;
    // Textured parts show the texel itself, as OpenGL modulates white by it.
    if (s.Var(kRenderTextures).Int() && s.Var(kTextured).Int()) {
        const rtd::Float4 t = s.Tex2D(s.Var(kTexId).Int(), a.uv.x, a.uv.y);
        f.base = {t.x, t.y, t.z};
    }
    if (textures3D && s.Var(kWood).Int()) {
        const Float3 p = a.objectPoint;
        f.base = f.base * WoodGrain(p, Turbulence(s, p.x + p.y + p.z));
    }
    f.toon = s.Var(kToonShading).Int() && s.Var(kToon).Int();
    return f;
}

// 1 when nothing blocks the way from the surface toward the light, less behind translucence.
Float3 Visibility(rtd::State& s, const Surface& f, Float3 toLight, float distance) {
    if (!s.Var(kRenderShadows).Int()) return {1, 1, 1};
    RtShadowPayload shadow{{1, 1, 1}};
    const rtd::Ray ray{f.offset, toLight, 0.0f, distance};
    s.Trace(s.Var(kTopShadower).node, ray, s.Var(kShadowType).UInt(), &shadow);
    return shadow.attenuation;
}

// One light's diffuse and highlight at the surface in its colour, less what blocks it when it
// casts shadows.
Float3 Light(rtd::State& s, const Surface& f, Float3 toLight, float distance, Float3 colour,
             bool castsShadows) {
    const float nl = Dot(f.normal, toLight);
    if (nl <= 0.0f) return {0, 0, 0};
    const float diffuse = f.toon ? ToonBand(nl) : nl;
    Float3 lit = f.base * diffuse;
    if (s.Var(kShiny).Int() && !f.toon) {
        const float h = Highlight(f.normal, toLight, f.toEye);
        lit = lit + Float3{h, h, h};
    }
    lit = lit * colour;
    // Light too faint to change an output byte needs no shadow ray.
    if (!castsShadows || std::max({lit.x, lit.y, lit.z}) < kFaintest) return lit;
    return lit * Visibility(s, f, toLight, distance);
}

// A point light without falloff: near the dancer it shines as the OpenGL engine's distant
// light does. As there, only the spots cast shadows.
Float3 FillLight(rtd::State& s, const Surface& f, const RtLightsRecord& lights) {
    const Float3 way = Float3{lights.mainPosition[0], lights.mainPosition[1], lights.mainPosition[2]} - f.offset;
    const float distance = Length(way);
    if (distance <= 0.0f) return {0, 0, 0};
    const Float3 colour = {lights.mainColor[0], lights.mainColor[1], lights.mainColor[2]};
    return Light(s, f, way * (1.0f / distance), distance, colour, false);
}

Float3 Spots(rtd::State& s, const Surface& f, const RtLightsRecord& lights) {
    Float3 sum{0, 0, 0};
    const float attenuation = lights.attenuation > 0.0f ? lights.attenuation : 1.0f;
    for (int i = 0; i < 5; ++i) {
        if (!lights.spotOn[i]) continue;
        const Float3 at = {lights.spotPosition[i][0], lights.spotPosition[i][1], lights.spotPosition[i][2]};
        const Float3 axis = Normalized({lights.spotDirection[i][0], lights.spotDirection[i][1],
                                        lights.spotDirection[i][2]});
        const Float3 way = at - f.offset;
        const float distance = Length(way);
        if (distance <= 0.0f) continue;
        const Float3 toLight = way * (1.0f / distance);
        const float cone = SpotFactor(Dot(-toLight, axis), lights.spotCosCutoff[i],
                                      lights.spotCosCutoffOuter[i], i == 0 ? kKeySpotExponent : 1.0f);
        if (cone <= 0.0f) continue;
        const Float3 colour = Float3{lights.spotColor[i][0], lights.spotColor[i][1], lights.spotColor[i][2]} *
                              (cone / attenuation);
        sum = sum + Light(s, f, toLight, distance, colour, true);
    }
    return sum;
}

Float3 Reflection(rtd::State& s, const Surface& f, const RtRadiancePayload& in) {
    if (!s.Var(kRenderReflections).Int() || !s.Var(kReflective).Int() ||
        in.depth >= s.Var(kMaxReflectionDepth).Int()) {
        return {0, 0, 0};
    }
    RtRadiancePayload bounce{{0, 0, 0}, in.depth + 1, in.transparencyDepth};
    const rtd::Ray ray{f.offset, Reflect(-f.toEye, f.normal), 0.0f, 1e30f};
    s.Trace(s.Var(kTopObject).node, ray, s.Var(kRadianceType).UInt(), &bounce);
    return bounce.result * s.Var(kReflectivity).F3();
}

// What lies behind a translucent surface, seen through it.
Float3 Behind(rtd::State& s, const Surface& f, const RtRadiancePayload& in) {
    if (in.transparencyDepth + 1 >= s.Var(kMaxTransparencyDepth).Int()) return {0, 0, 0};
    const rtd::Ray& ray = s.CurrentRay();
    const float scale = std::max({std::fabs(f.point.x), std::fabs(f.point.y), std::fabs(f.point.z), 1.0f});
    const rtd::Ray through{f.point + Normalized(ray.direction) * (1e-4f * scale), ray.direction, 0.0f, 1e30f};
    RtRadiancePayload next{{0, 0, 0}, in.depth, in.transparencyDepth + 1};
    s.Trace(s.Var(kTopObject).node, through, s.Var(kRadianceType).UInt(), &next);
    return next.result;
}

void ClosestHitRadiance(rtd::State& s) {
    auto& payload = s.Payload<RtRadiancePayload>();
    const Surface f = Describe(s);
    Float3 result;
    if (s.Var(kLuminous).Int()) {
        result = f.base;  // glows in its own colour, unlit
    } else if (f.toon && std::fabs(Dot(f.normal, f.toEye)) < kToonOutline) {
        result = {kToonOutlineGrey, kToonOutlineGrey, kToonOutlineGrey};
    } else {
        const rtd::Value& lightsVar = s.Var(kLights);
        const RtLightsRecord* lights = s.Element<RtLightsRecord>(lightsVar.buffer, 0);
        const float boost = f.toon ? kToonAmbientBoost : 0.0f;
        result = f.base * (s.Var(kAmbient).F3() + Float3{boost, boost, boost});
        if (lights) {
            if (s.Var(kFillLightOn).Int()) {
                result = result + FillLight(s, f, *lights);
            }
            result = result + Spots(s, f, *lights);
        }
        result = result + Reflection(s, f, payload);
    }
    if (f.alpha < 1.0f) result = result * f.alpha + Behind(s, f, payload) * (1.0f - f.alpha);
    payload.result = result;
}

// The glowing cones never cast shadows; translucent parts let some light through.
constexpr const char* kShadowVars[] = {"isLuminous"};
void AnyHitShadow(rtd::State& s) {
    if (s.Var(0).Int()) {
        s.IgnoreIntersection();
        return;
    }
    auto& shadow = s.Payload<RtShadowPayload>();
    const float alpha = s.Attributes<RtMeshAttributes>().color.w;
    if (alpha < 1.0f) {
        shadow.attenuation = shadow.attenuation * (1.0f - alpha);
        s.IgnoreIntersection();
        return;
    }
    shadow.attenuation = {0, 0, 0};
    s.TerminateRay();
}

}  // namespace

void RtRegisterLightingPrograms() {
    rtd::RegisterProgram({"ClosestHitRadiance", rtd::ProgramKind::ClosestHit, kLightingVars, ClosestHitRadiance});
    rtd::RegisterProgram({"AnyHitShadow", rtd::ProgramKind::AnyHit, kShadowVars, AnyHitShadow});
}

}  // namespace raytrace
