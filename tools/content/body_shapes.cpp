#include "tools/content/body_shapes.h"

#include <algorithm>
#include <cmath>

namespace content {
namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kPoleSize = 1e-3f;  // a ring smaller than this is one point

Vec3 Minus(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3 CrossOf(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
float DotOf(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec3 UnitOf(const Vec3& a, const Vec3& fallback) {
    const float length = std::sqrt(DotOf(a, a));
    if (length <= 1e-12f) return fallback;
    return {a[0] / length, a[1] / length, a[2] / length};
}

// Where ring i of n sits along t: crowded toward the closed ends.
float RingT(int i, int n, bool closedBottom, bool closedTop) {
    const float s = float(i) / float(n);
    if (closedBottom && closedTop) return 0.5f * (1 - std::cos(kPi * s));
    if (closedBottom) return 1 - std::cos(0.5f * kPi * s);
    if (closedTop) return std::sin(0.5f * kPi * s);
    return s;
}

struct Ring {
    std::vector<std::uint32_t> vertices;  // one for a pole
    Vec3 centre;
};

// Newell's normal of a polygon: sound even when two corners coincide.
Vec3 FaceNormal(const Mesh& mesh, const std::uint32_t* q, int n) {
    Vec3 normal = {0, 0, 0};
    for (int k = 0; k < n; ++k) {
        const float* a = &mesh.positions[3 * q[k]];
        const float* b = &mesh.positions[3 * q[(k + 1) % n]];
        normal[0] += (a[1] - b[1]) * (a[2] + b[2]);
        normal[1] += (a[2] - b[2]) * (a[0] + b[0]);
        normal[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    return normal;
}

// Appends the face so that it winds counter-clockwise seen from where its normals point.
void AddOrientedFace(Mesh* mesh, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                     std::uint32_t d) {
    const bool triangle = c == d;
    std::uint32_t q[4] = {a, b, c, d};
    Vec3 average = {0, 0, 0};
    for (std::uint32_t v : q) {
        for (int k = 0; k < 3; ++k) average[k] += mesh->normals[3 * v + k];
    }
    if (DotOf(FaceNormal(*mesh, q, triangle ? 3 : 4), average) < 0) {
        if (triangle) {
            q[0] = c, q[2] = a, q[3] = a;
        } else {
            std::swap(q[0], q[3]);
            std::swap(q[1], q[2]);
        }
    }
    mesh->quads.insert(mesh->quads.end(), q, q + 4);
}

Ring MakeRing(Mesh* mesh, const Sweep& sweep, float t, bool bottomEnd, const Paint& paint) {
    const int n = sweep.segments;
    std::vector<Vec3> points;
    Ring ring{{}, {0, 0, 0}};
    for (int j = 0; j < n; ++j) {
        points.push_back(sweep.surface(t, 2 * kPi * float(j) / float(n)));
        for (int k = 0; k < 3; ++k) ring.centre[k] += points.back()[k] / float(n);
    }
    float size = 0;
    for (const Vec3& p : points)
        size = std::max(size, std::sqrt(DotOf(Minus(p, ring.centre), Minus(p, ring.centre))));
    const auto add = [&](const Vec3& p, const Vec3& normal) {
        ring.vertices.push_back(mesh->VertexCount());
        mesh->positions.insert(mesh->positions.end(), p.begin(), p.end());
        mesh->normals.insert(mesh->normals.end(), normal.begin(), normal.end());
        const Rgb c = paint(p);
        mesh->colors.insert(mesh->colors.end(), {c.r, c.g, c.b});
    };
    if (size < kPoleSize) {
        // The pole's normal points away from the rest of the surface.
        const float inward = bottomEnd ? 0.01f : -0.01f;
        Vec3 next = {0, 0, 0};
        for (int j = 0; j < n; ++j) {
            const Vec3 p = sweep.surface(std::clamp(t + inward, 0.0f, 1.0f), 2 * kPi * j / n);
            for (int k = 0; k < 3; ++k) next[k] += p[k] / float(n);
        }
        add(ring.centre, UnitOf(Minus(ring.centre, next), {0, bottomEnd ? -1.0f : 1.0f, 0}));
        return ring;
    }
    constexpr float kStep = 1e-3f;
    for (int j = 0; j < n; ++j) {
        const float theta = 2 * kPi * float(j) / float(n);
        const Vec3 along = Minus(sweep.surface(std::min(t + kStep, 1.0f), theta),
                                 sweep.surface(std::max(t - kStep, 0.0f), theta));
        const Vec3 around = Minus(sweep.surface(t, theta + kStep), sweep.surface(t, theta - kStep));
        Vec3 normal = UnitOf(CrossOf(along, around), Minus(points[j], ring.centre));
        if (DotOf(normal, Minus(points[j], ring.centre)) < 0) {
            normal = {-normal[0], -normal[1], -normal[2]};
        }
        add(points[j], normal);
    }
    return ring;
}

void JoinRings(Mesh* mesh, const Ring& lower, const Ring& upper) {
    const std::size_t n = std::max(lower.vertices.size(), upper.vertices.size());
    const auto at = [](const Ring& r, std::size_t j) {
        return r.vertices.size() == 1 ? r.vertices[0] : r.vertices[j % r.vertices.size()];
    };
    if (lower.vertices.size() == 1 && upper.vertices.size() == 1) return;
    for (std::size_t j = 0; j < n; ++j) {
        const std::uint32_t a = at(lower, j), b = at(lower, j + 1), c = at(upper, j + 1),
                            d = at(upper, j);
        if (lower.vertices.size() == 1) {
            AddOrientedFace(mesh, a, c, d, d);
        } else if (upper.vertices.size() == 1) {
            AddOrientedFace(mesh, a, b, d, d);
        } else {
            AddOrientedFace(mesh, a, b, c, d);
        }
    }
}

// Adds the inner side: the same vertices with reversed normals and windings.
void AddInside(Mesh* mesh, std::uint32_t firstVertex, std::size_t firstQuad) {
    const std::uint32_t count = mesh->VertexCount() - firstVertex;
    for (std::uint32_t v = firstVertex; v < firstVertex + count; ++v) {
        for (int k = 0; k < 3; ++k) mesh->positions.push_back(mesh->positions[3 * v + k]);
        for (int k = 0; k < 3; ++k) mesh->normals.push_back(-mesh->normals[3 * v + k]);
        for (int k = 0; k < 3; ++k) mesh->colors.push_back(mesh->colors[3 * v + k]);
    }
    const std::size_t quadEnd = mesh->quads.size();
    for (std::size_t q = firstQuad; q < quadEnd; q += 4) {
        const std::uint32_t* f = &mesh->quads[q];
        const std::uint32_t a = f[0] + count, b = f[1] + count, c = f[2] + count, d = f[3] + count;
        if (c == d) {
            mesh->quads.insert(mesh->quads.end(), {c, b, a, a});
        } else {
            mesh->quads.insert(mesh->quads.end(), {d, c, b, a});
        }
    }
}

// Catmull-Rom through four values.
float Spline(float p0, float p1, float p2, float p3, float s) {
    return 0.5f * (2 * p1 + (p2 - p0) * s + (2 * p0 - 5 * p1 + 4 * p2 - p3) * s * s +
                   (3 * p1 - p0 - 3 * p2 + p3) * s * s * s);
}

ProfileKey Interpolate(const std::vector<ProfileKey>& keys, float y) {
    std::size_t i = 0;
    while (i + 2 < keys.size() && y > keys[i + 1].y) ++i;
    const ProfileKey& k1 = keys[i];
    const ProfileKey& k2 = keys[i + 1];
    const ProfileKey& k0 = i > 0 ? keys[i - 1] : k1;
    const ProfileKey& k3 = i + 2 < keys.size() ? keys[i + 2] : k2;
    const float s = std::clamp((y - k1.y) / (k2.y - k1.y), 0.0f, 1.0f);
    const auto f = [&](float ProfileKey::*m) { return Spline(k0.*m, k1.*m, k2.*m, k3.*m, s); };
    return {y, std::max(f(&ProfileKey::rx), 0.0f), std::max(f(&ProfileKey::rz), 0.0f),
            f(&ProfileKey::cx), f(&ProfileKey::cz)};
}

// 0 at a closed end, rising like a quarter circle to 1 over the end's own radius; 1 throughout
// for an open end (radius 0).
float Rounding(float distance, float radius) {
    if (radius <= 0 || distance >= radius) return 1;
    const float u = 1 - std::max(distance, 0.0f) / radius;
    return std::sqrt(std::max(0.0f, 1 - u * u));
}

}  // namespace

void AddSweep(Mesh* mesh, const Sweep& sweep, const Paint& paint) {
    const std::uint32_t firstVertex = mesh->VertexCount();
    const std::size_t firstQuad = mesh->quads.size();
    Ring lower = MakeRing(mesh, sweep, 0, true, paint);
    for (int i = 1; i <= sweep.rings; ++i) {
        const float t = RingT(i, sweep.rings, sweep.closedBottom, sweep.closedTop);
        Ring upper = MakeRing(mesh, sweep, t, false, paint);
        JoinRings(mesh, lower, upper);
        lower = std::move(upper);
    }
    if (sweep.twoSided) AddInside(mesh, firstVertex, firstQuad);
}

Surface ProfileSurface(std::vector<ProfileKey> keys, float y0, float y1, bool closedBottom,
                       bool closedTop) {
    const ProfileKey bottom = Interpolate(keys, y0), top = Interpolate(keys, y1);
    const float bottomRadius = closedBottom ? std::min(bottom.rx, bottom.rz) : 0;
    const float topRadius = closedTop ? std::min(top.rx, top.rz) : 0;
    return [keys = std::move(keys), y0, y1, bottomRadius, topRadius](float t, float theta) {
        const float y = y0 + t * (y1 - y0);
        const ProfileKey k = Interpolate(keys, y);
        const float scale = Rounding(y - y0, bottomRadius) * Rounding(y1 - y, topRadius);
        return Vec3{k.cx + scale * k.rx * std::cos(theta), y,
                    k.cz + scale * k.rz * std::sin(theta)};
    };
}

Surface EllipsoidSurface(const Vec3& centre, const Vec3& radii) {
    return [centre, radii](float t, float theta) {
        const float lat = kPi * t;
        const float r = std::sin(lat);
        // The poles are exact, so they are recognised as single points.
        const float ring = t <= 0 || t >= 1 ? 0.0f : r;
        return Vec3{centre[0] + radii[0] * ring * std::cos(theta),
                    centre[1] - radii[1] * std::cos(lat),
                    centre[2] + radii[2] * ring * std::sin(theta)};
    };
}

void TurnToFront(Mesh* mesh, std::uint32_t first, const Vec3& pivot) {
    for (std::uint32_t v = first; v < mesh->VertexCount(); ++v) {
        float* p = &mesh->positions[3 * v];
        float* n = &mesh->normals[3 * v];
        const float y = p[1] - pivot[1], z = p[2] - pivot[2];
        p[1] = pivot[1] + z;
        p[2] = pivot[2] - y;
        const float ny = n[1];
        n[1] = n[2];
        n[2] = -ny;
    }
}

void ShiftMesh(Mesh* mesh, const Vec3& offset) {
    for (std::size_t i = 0; i < mesh->positions.size(); ++i) mesh->positions[i] += offset[i % 3];
}

}  // namespace content
