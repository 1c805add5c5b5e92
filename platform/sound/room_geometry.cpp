#include "platform/sound/room_geometry.h"

#include <cmath>
#include <utility>

namespace psound {

namespace {

float Axis(Vec3 v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// Newell's normal: the sum over the edges, robust for any flat polygon.
Vec3 NewellNormal(const Vec3* v, int count) {
    Vec3 n;
    for (int i = 0; i < count; ++i) {
        const Vec3 a = v[i], b = v[(i + 1) % count];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return n;
}

}  // namespace

RoomGeometry::RoomGeometry(int maxPolygons, int maxVertices)
    : m_maxPolygons(maxPolygons), m_maxVertices(maxVertices) {
    if (maxPolygons > 0) m_polygons.reserve(static_cast<std::size_t>(maxPolygons));
    if (maxVertices > 0) m_vertices.reserve(static_cast<std::size_t>(maxVertices));
}

SoundResult RoomGeometry::AddPolygon(float directOcclusion, float reverbOcclusion, bool doubleSided,
                                     const Vec3* vertices, int count) {
    const auto inRange = [](float occlusion) { return occlusion >= 0.0f && occlusion <= 1.0f; };
    if (!vertices || count < 3 || !inRange(directOcclusion) || !inRange(reverbOcclusion) ||
        PolygonCount() >= m_maxPolygons || VertexCount() + count > m_maxVertices)
        return SoundResult::InvalidParam;
    const Vec3 n = NewellNormal(vertices, count);
    const float length = std::sqrt(Dot(n, n));
    if (!(length > 0.0f)) return SoundResult::InvalidParam;  // no area: no side to block
    Polygon p;
    p.first = VertexCount();
    p.count = count;
    p.normal = n * (1.0f / length);
    p.offset = Dot(p.normal, vertices[0]);
    const float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    p.dropAxis = ax >= ay && ax >= az ? 0 : ay >= az ? 1 : 2;
    p.directPass = 1.0f - directOcclusion;
    p.reverbPass = 1.0f - reverbOcclusion;
    p.doubleSided = doubleSided;
    m_vertices.insert(m_vertices.end(), vertices, vertices + count);
    m_polygons.push_back(p);
    return SoundResult::Ok;
}

// The segment must pass from one side of the plane to the other, and the point where it does
// must lie inside the polygon. A path that only touches the plane, or runs in it, is open.
bool RoomGeometry::Crosses(const Polygon& polygon, Vec3 from, Vec3 to) const {
    const float d0 = Dot(polygon.normal, from) - polygon.offset;
    const float d1 = Dot(polygon.normal, to) - polygon.offset;
    if (!(d0 * d1 < 0.0f)) return false;
    if (!polygon.doubleSided && !(d1 > 0.0f)) return false;  // the voice is behind it
    const Vec3 hit = from + (to - from) * (d0 / (d0 - d1));
    const int u = polygon.dropAxis == 0 ? 1 : 0;
    const int v = polygon.dropAxis == 2 ? 1 : 2;
    const float pu = Axis(hit, u), pv = Axis(hit, v);
    // Crossings of a ray towards +u. Each edge is taken lower end first, so two polygons that
    // share an edge compute it alike and a hit on that edge belongs to exactly one of them.
    bool inside = false;
    const Vec3* vertex = m_vertices.data() + polygon.first;
    for (int i = 0; i < polygon.count; ++i) {
        float au = Axis(vertex[i], u), av = Axis(vertex[i], v);
        float bu = Axis(vertex[(i + 1) % polygon.count], u);
        float bv = Axis(vertex[(i + 1) % polygon.count], v);
        if (av > bv) {
            std::swap(au, bu);
            std::swap(av, bv);
        }
        if (pv < av || pv >= bv) continue;
        if (pu < au + (bu - au) * (pv - av) / (bv - av)) inside = !inside;
    }
    return inside;
}

Occlusion RoomGeometry::Occlude(Vec3 listener, Vec3 voice) const {
    Occlusion gains;
    const Vec3 from = listener - m_position, to = voice - m_position;
    for (const Polygon& polygon : m_polygons) {
        if (!Crosses(polygon, from, to)) continue;
        gains.direct *= polygon.directPass;
        gains.reverb *= polygon.reverbPass;
    }
    return gains;
}

}  // namespace psound
