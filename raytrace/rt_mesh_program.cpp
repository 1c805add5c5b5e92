// The triangle-mesh programs: the runtime finds the triangles itself; the intersection
// program turns a found triangle into the attributes the lighting reads.

#include "raytrace/rt_programs.h"
#include "raytrace/rt_shading.h"

namespace raytrace {

namespace {

enum MeshVar {
    kVertices, kNormals, kColors, kTexCoords, kIndices, kHasNormals, kHasColors, kHasUV, kMeshColor,
    kShadowType,
};
constexpr const char* kMeshVars[] = {"vertexBuffer", "normalBuffer", "colorBuffer",
                                     "textBuffer",   "vertIndexBuffer", "hasVertexNormals",
                                     "hasVertexColors", "hasVertexUV", "meshColor",
                                     "shadowRayType"};

// The corners' values weighted by the hit's barycentric coordinates.
Float3 Blend(const Float3& a, const Float3& b, const Float3& c, float u, float v) {
    return a * (1.0f - u - v) + b * u + c * v;
}
rtd::Float4 Blend(const rtd::Float4& a, const rtd::Float4& b, const rtd::Float4& c, float u, float v) {
    const float w = 1.0f - u - v;
    return {a.x * w + b.x * u + c.x * v, a.y * w + b.y * u + c.y * v, a.z * w + b.z * u + c.z * v,
            a.w * w + b.w * u + c.w * v};
}
rtd::Float2 Blend(const rtd::Float2& a, const rtd::Float2& b, const rtd::Float2& c, float u, float v) {
    const float w = 1.0f - u - v;
    return {a.x * w + b.x * u + c.x * v, a.y * w + b.y * u + c.y * v};
}

// The per-vertex value of the triangle's corners, blended; false when a corner is missing.
template <class T>
bool Interpolate(rtd::State& s, const rtd::BufferView& b, const rtd::Int3& tri, float u, float v, T& out) {
    const T* a = s.Element<T>(b, static_cast<std::size_t>(tri.x));
    const T* bb = s.Element<T>(b, static_cast<std::size_t>(tri.y));
    const T* c = s.Element<T>(b, static_cast<std::size_t>(tri.z));
    if (!a || !bb || !c) return false;
    out = Blend(*a, *bb, *c, u, v);
    return true;
}

// Bounds come from the runtime's own triangle structure; the program is bound for its name.
void MeshBounds(rtd::State&) {}

void MeshIntersect(rtd::State& s) {
    const rtd::Int3* tri = s.Element<rtd::Int3>(s.Var(kIndices).buffer,
                                                static_cast<std::size_t>(s.PrimitiveIndex()));
    if (!tri || !s.PotentialIntersection(s.Triangle().t)) return;
    const rtd::BufferView& positions = s.Var(kVertices).buffer;
    const Float3* p0 = s.Element<Float3>(positions, static_cast<std::size_t>(tri->x));
    const Float3* p1 = s.Element<Float3>(positions, static_cast<std::size_t>(tri->y));
    const Float3* p2 = s.Element<Float3>(positions, static_cast<std::size_t>(tri->z));
    if (!p0 || !p1 || !p2) return;
    const float u = s.Triangle().u, v = s.Triangle().v;
    auto& a = s.CandidateAttributes<RtMeshAttributes>();
    a.color = s.Var(kMeshColor).F4();
    if (s.Var(kHasColors).Int()) Interpolate(s, s.Var(kColors).buffer, *tri, u, v, a.color);
    // A shadow ray asks only how much the surface lets through.
    if (s.RayType() == s.Var(kShadowType).UInt()) {
        s.ReportIntersection(0);
        return;
    }
    const Float3 e1 = *p1 - *p0, e2 = *p2 - *p0;
    a.geometricNormal = {e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    a.objectPoint = Blend(*p0, *p1, *p2, u, v);
    a.shadingNormal = a.geometricNormal;
    if (s.Var(kHasNormals).Int()) Interpolate(s, s.Var(kNormals).buffer, *tri, u, v, a.shadingNormal);
    a.uv = {0, 0};
    if (s.Var(kHasUV).Int()) Interpolate(s, s.Var(kTexCoords).buffer, *tri, u, v, a.uv);
    s.ReportIntersection(0);
}

}  // namespace

void RtRegisterMeshPrograms() {
    rtd::RegisterProgram({"meshBounds", rtd::ProgramKind::BoundingBox, {}, MeshBounds});
    rtd::RegisterProgram({"meshIntersect", rtd::ProgramKind::Intersection, kMeshVars, MeshIntersect});
}

}  // namespace raytrace
