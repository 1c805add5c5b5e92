#include "tools/content/mesh_builder.h"

#include <algorithm>
#include <cmath>

namespace content {
namespace {

constexpr float kPi = 3.14159265358979f;

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3 Add(const Vec3& a, const Vec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec3 Scale(const Vec3& a, float s) { return {a[0] * s, a[1] * s, a[2] * s}; }
float Dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec3 Unit(const Vec3& a) {
    const float length = std::sqrt(Dot(a, a));
    return length > 0 ? Scale(a, 1.0f / length) : Vec3{0, 1, 0};
}

std::uint32_t AddVertex(Mesh* mesh, const Vec3& p, const Vec3& n, Rgb c) {
    const std::uint32_t index = mesh->VertexCount();
    mesh->positions.insert(mesh->positions.end(), p.begin(), p.end());
    mesh->normals.insert(mesh->normals.end(), n.begin(), n.end());
    mesh->colors.insert(mesh->colors.end(), {c.r, c.g, c.b});
    return index;
}

Vec3 Position(const Mesh& mesh, std::uint32_t i) {
    return {mesh.positions[3 * i], mesh.positions[3 * i + 1], mesh.positions[3 * i + 2]};
}

// Appends a quad (or a triangle, d == c) of existing vertices, turned so that it winds
// counter-clockwise seen from `front`.
void AddQuadIndices(Mesh* mesh, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                    std::uint32_t d, const Vec3& front) {
    const Vec3 pa = Position(*mesh, a);
    const Vec3 normal = Cross(Sub(Position(*mesh, b), pa), Sub(Position(*mesh, c), pa));
    if (Dot(normal, front) >= 0) {
        mesh->quads.insert(mesh->quads.end(), {a, b, c, d});
    } else if (c == d) {
        mesh->quads.insert(mesh->quads.end(), {c, b, a, a});
    } else {
        mesh->quads.insert(mesh->quads.end(), {d, c, b, a});
    }
}

}  // namespace

void AddFace(Mesh* mesh, const std::vector<Vec3>& corners, const Vec3& front, Rgb colour) {
    const Vec3 n = Unit(front);
    std::uint32_t i[4];
    for (std::size_t k = 0; k < corners.size(); ++k) i[k] = AddVertex(mesh, corners[k], n, colour);
    AddQuadIndices(mesh, i[0], i[1], i[2], corners.size() == 4 ? i[3] : i[2], n);
}

void AddBox(Mesh* mesh, const Vec3& lo, const Vec3& hi, Rgb colour) {
    const float x0 = lo[0], y0 = lo[1], z0 = lo[2], x1 = hi[0], y1 = hi[1], z1 = hi[2];
    AddFace(mesh, {{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}, {1, 0, 0}, colour);
    AddFace(mesh, {{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}}, {-1, 0, 0}, colour);
    AddFace(mesh, {{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}}, {0, 1, 0}, colour);
    AddFace(mesh, {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}, {0, -1, 0}, colour);
    AddFace(mesh, {{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}, {0, 0, 1}, colour);
    AddFace(mesh, {{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}}, {0, 0, -1}, colour);
}

void AddPanel(Mesh* mesh, const Vec3& origin, const Vec3& u, const Vec3& v, int nu, int nv,
              const Vec3& front, Rgb colour) {
    const Vec3 n = Unit(front);
    const std::uint32_t first = mesh->VertexCount();
    for (int j = 0; j <= nv; ++j) {
        for (int i = 0; i <= nu; ++i) {
            const Vec3 p = Add(origin, Add(Scale(u, float(i) / nu), Scale(v, float(j) / nv)));
            AddVertex(mesh, p, n, colour);
        }
    }
    const auto at = [&](int i, int j) { return first + std::uint32_t(j * (nu + 1) + i); };
    for (int j = 0; j < nv; ++j) {
        for (int i = 0; i < nu; ++i) {
            AddQuadIndices(mesh, at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1), n);
        }
    }
}

void AddTriangleGrid(Mesh* mesh, const Vec3& a, const Vec3& b, const Vec3& c, int n,
                     const Vec3& front, Rgb colour) {
    const Vec3 normal = Unit(front);
    const std::uint32_t first = mesh->VertexCount();
    // Row j holds n - j + 1 points from a + j/n (c - a) toward b.
    std::vector<std::uint32_t> rowStart;
    for (int j = 0; j <= n; ++j) {
        rowStart.push_back(mesh->VertexCount() - first);
        for (int i = 0; i <= n - j; ++i) {
            const Vec3 p = Add(a, Add(Scale(Sub(b, a), float(i) / n), Scale(Sub(c, a), float(j) / n)));
            AddVertex(mesh, p, normal, colour);
        }
    }
    const auto at = [&](int i, int j) { return first + rowStart[j] + std::uint32_t(i); };
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n - j; ++i) {
            AddQuadIndices(mesh, at(i, j), at(i + 1, j), at(i, j + 1), at(i, j + 1), normal);
            if (i + 1 < n - j) {
                AddQuadIndices(mesh, at(i + 1, j), at(i + 1, j + 1), at(i, j + 1), at(i, j + 1),
                               normal);
            }
        }
    }
}

void AddLathe(Mesh* mesh, const Vec3& base, const std::vector<Vec2>& profile, int segments,
              Rgb colour) {
    // Each profile segment gets its own rings, smooth around the axis, flat along the profile.
    for (std::size_t k = 0; k + 1 < profile.size(); ++k) {
        const Vec2 p0 = profile[k], p1 = profile[k + 1];
        const float dr = p1[0] - p0[0], dy = p1[1] - p0[1];
        if (p0[0] == 0 && p1[0] == 0) continue;
        const std::uint32_t first = mesh->VertexCount();
        for (int s = 0; s <= segments; ++s) {
            const float phi = 2 * kPi * float(s % segments) / segments;
            const float cx = std::cos(phi), cz = std::sin(phi);
            const Vec3 n = Unit({dy * cx, -dr, dy * cz});
            AddVertex(mesh, Add(base, {p0[0] * cx, p0[1], p0[0] * cz}), n, colour);
            AddVertex(mesh, Add(base, {p1[0] * cx, p1[1], p1[0] * cz}), n, colour);
        }
        for (int s = 0; s < segments; ++s) {
            const std::uint32_t a = first + 2 * s, b = a + 2, c = a + 3, d = a + 1;
            const float mid = 2 * kPi * (s + 0.5f) / segments;
            const Vec3 front = {dy * std::cos(mid), -dr, dy * std::sin(mid)};
            if (p0[0] == 0) {
                AddQuadIndices(mesh, a, c, d, d, front);  // apex at the bottom
            } else if (p1[0] == 0) {
                AddQuadIndices(mesh, a, b, d, d, front);  // apex at the top
            } else {
                AddQuadIndices(mesh, a, b, c, d, front);
            }
        }
    }
}

void AddFrustum(Mesh* mesh, const Vec3& base, float r0, float r1, float height, int segments,
                Rgb colour) {
    AddLathe(mesh, base, {{0, 0}, {r0, 0}, {r1, height}, {0, height}}, segments, colour);
}

void AddEllipsoid(Mesh* mesh, const Vec3& centre, const Vec3& radii, int segments, Rgb colour) {
    const std::uint32_t first = mesh->VertexCount();
    const int rings = segments / 2;
    std::vector<Vec2> profile;
    for (int i = 0; i <= rings; ++i) {
        const float theta = kPi * float(i) / rings - kPi / 2;
        profile.push_back({i == 0 || i == rings ? 0.0f : std::cos(theta), std::sin(theta)});
    }
    AddLathe(mesh, {0, 0, 0}, profile, segments, colour);
    for (std::uint32_t v = first; v < mesh->VertexCount(); ++v) {
        for (int k = 0; k < 3; ++k) {
            mesh->positions[3 * v + k] = centre[k] + mesh->positions[3 * v + k] * radii[k];
        }
        // A normal of the unit sphere scaled by the inverse radii stays perpendicular.
        Vec3 n = {mesh->normals[3 * v] / radii[0], mesh->normals[3 * v + 1] / radii[1],
                  mesh->normals[3 * v + 2] / radii[2]};
        n = Unit(n);
        std::copy(n.begin(), n.end(), mesh->normals.begin() + 3 * v);
    }
}

void AddRod(Mesh* mesh, const Vec3& from, const Vec3& to, float r, int segments, Rgb colour) {
    Mesh rod;
    const Vec3 axis = Sub(to, from);
    const float length = std::sqrt(Dot(axis, axis));
    AddFrustum(&rod, {0, 0, 0}, r, r, length, segments, colour);
    // Basis taking +y onto the axis.
    const Vec3 y = Unit(axis);
    const Vec3 helper = std::fabs(y[1]) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    const Vec3 x = Unit(Cross(helper, y));
    const Vec3 z = Cross(x, y);
    for (std::size_t v = 0; v < rod.VertexCount(); ++v) {
        for (auto* array : {&rod.positions, &rod.normals}) {
            const Vec3 p = {(*array)[3 * v], (*array)[3 * v + 1], (*array)[3 * v + 2]};
            Vec3 q = Add(Add(Scale(x, p[0]), Scale(y, p[1])), Scale(z, p[2]));
            if (array == &rod.positions) q = Add(q, from);
            std::copy(q.begin(), q.end(), array->begin() + 3 * v);
        }
    }
    AppendMesh(mesh, rod);
}

void AddPrism(Mesh* mesh, const std::vector<Vec2>& outline, float y0, float y1, Rgb top,
              Rgb side) {
    std::vector<Vec3> upper, lower;
    for (const Vec2& p : outline) {
        upper.push_back({p[0], y1, p[1]});
        lower.push_back({p[0], y0, p[1]});
    }
    for (std::size_t i = 1; i + 1 < outline.size(); ++i) {
        AddFace(mesh, {upper[0], upper[i], upper[i + 1]}, {0, 1, 0}, top);
        AddFace(mesh, {lower[0], lower[i], lower[i + 1]}, {0, -1, 0}, side);
    }
    // Sides face away from the outline's centre.
    Vec3 centre = {0, 0, 0};
    for (const Vec3& p : lower) centre = Add(centre, Scale(p, 1.0f / lower.size()));
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const std::size_t j = (i + 1) % outline.size();
        const Vec3 mid = Scale(Add(lower[i], lower[j]), 0.5f);
        Vec3 out = Sub(mid, centre);
        out[1] = 0;
        const Vec3 edge = Sub(lower[j], lower[i]);
        Vec3 n = Cross(edge, {0, 1, 0});
        if (Dot(n, out) < 0) n = Scale(n, -1);
        AddFace(mesh, {lower[i], lower[j], upper[j], upper[i]}, n, side);
    }
}

namespace {

float Cross2(const Vec2& o, const Vec2& a, const Vec2& b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

bool InTriangle(const Vec2& p, const Vec2& a, const Vec2& b, const Vec2& c) {
    return Cross2(a, b, p) > 0 && Cross2(b, c, p) > 0 && Cross2(c, a, p) > 0;
}

// Ear clipping of a simple polygon; triangles as index triples.
std::vector<std::array<std::size_t, 3>> Triangulate(std::vector<Vec2> outline) {
    float area = 0;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        area += Cross2({0, 0}, outline[i], outline[(i + 1) % outline.size()]);
    }
    std::vector<std::size_t> ring(outline.size());
    for (std::size_t i = 0; i < ring.size(); ++i) ring[i] = i;
    if (area < 0) std::reverse(ring.begin(), ring.end());  // counter-clockwise in (x, z)
    std::vector<std::array<std::size_t, 3>> triangles;
    while (ring.size() > 3) {
        bool clipped = false;
        for (std::size_t k = 0; k < ring.size() && !clipped; ++k) {
            const std::size_t a = ring[(k + ring.size() - 1) % ring.size()], b = ring[k],
                              c = ring[(k + 1) % ring.size()];
            if (Cross2(outline[a], outline[b], outline[c]) <= 0) continue;
            bool empty = true;
            for (std::size_t q : ring) {
                if (q != a && q != b && q != c &&
                    InTriangle(outline[q], outline[a], outline[b], outline[c])) {
                    empty = false;
                }
            }
            if (!empty) continue;
            triangles.push_back({a, b, c});
            ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(k));
            clipped = true;
        }
        if (!clipped) break;  // not a simple polygon: leave the rest open
    }
    if (ring.size() == 3) triangles.push_back({ring[0], ring[1], ring[2]});
    return triangles;
}

}  // namespace

void AddFloorPolygon(Mesh* mesh, const std::vector<Vec2>& outline, float y, bool up, float cell,
                     Rgb colour) {
    for (const auto& t : Triangulate(outline)) {
        const Vec3 a = {outline[t[0]][0], y, outline[t[0]][1]};
        const Vec3 b = {outline[t[1]][0], y, outline[t[1]][1]};
        const Vec3 c = {outline[t[2]][0], y, outline[t[2]][1]};
        const float longest = std::max({std::sqrt(Dot(Sub(b, a), Sub(b, a))),
                                        std::sqrt(Dot(Sub(c, b), Sub(c, b))),
                                        std::sqrt(Dot(Sub(a, c), Sub(a, c)))});
        const int n = std::max(1, static_cast<int>(std::ceil(longest / cell)));
        AddTriangleGrid(mesh, a, b, c, n, {0, up ? 1.0f : -1.0f, 0}, colour);
    }
}

void AddWall(Mesh* mesh, const Vec2& a, const Vec2& b, float y0, float y1, const Vec3& front,
             float cell, Rgb colour) {
    const Vec3 u = {b[0] - a[0], 0, b[1] - a[1]};
    const Vec3 v = {0, y1 - y0, 0};
    const int nu = std::max(1, static_cast<int>(std::ceil(std::sqrt(Dot(u, u)) / cell)));
    const int nv = std::max(1, static_cast<int>(std::ceil((y1 - y0) / cell)));
    AddPanel(mesh, {a[0], y0, a[1]}, u, v, nu, nv, front, colour);
}

void PlaceMesh(Mesh* mesh, float degrees, const Vec3& offset) {
    const float a = degrees * kPi / 180.0f;
    const float c = std::cos(a), s = std::sin(a);
    for (std::size_t v = 0; v < mesh->VertexCount(); ++v) {
        for (auto* array : {&mesh->positions, &mesh->normals}) {
            float* p = &(*array)[3 * v];
            const float x = p[0] * c + p[2] * s;
            const float z = -p[0] * s + p[2] * c;
            p[0] = x;
            p[2] = z;
            if (array == &mesh->positions) {
                for (int k = 0; k < 3; ++k) p[k] += offset[k];
            }
        }
    }
}

void AppendMesh(Mesh* to, const Mesh& from) {
    const std::uint32_t base = to->VertexCount();
    to->positions.insert(to->positions.end(), from.positions.begin(), from.positions.end());
    to->normals.insert(to->normals.end(), from.normals.begin(), from.normals.end());
    to->colors.insert(to->colors.end(), from.colors.begin(), from.colors.end());
    to->uv.insert(to->uv.end(), from.uv.begin(), from.uv.end());
    for (std::uint32_t i : from.quads) to->quads.push_back(base + i);
}

void PlanarUv(Mesh* mesh, float scale) {
    mesh->uv.clear();
    for (std::size_t v = 0; v < mesh->VertexCount(); ++v) {
        mesh->uv.push_back(mesh->positions[3 * v] / scale);
        mesh->uv.push_back(mesh->positions[3 * v + 2] / scale);
    }
}

}  // namespace content
