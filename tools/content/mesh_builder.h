#pragma once
// Shape builders shared by every model family: boxes, panels, frustums, lathe surfaces,
// ellipsoids and extrusions. Every face is wound counter-clockwise seen from its front and
// carries unit normals pointing the same way, so closed shapes wind outward.

#include <array>
#include <utility>
#include <vector>

#include "tools/content/model_file.h"

namespace content {

using Vec3 = std::array<float, 3>;
using Vec2 = std::array<float, 2>;  // (x, z) on the floor plan
struct Rgb {
    float r, g, b;
};

// A flat triangle or quad facing `front` (corners in any order around the face).
void AddFace(Mesh* mesh, const std::vector<Vec3>& corners, const Vec3& front, Rgb colour);
// An axis-aligned box, six outward faces.
void AddBox(Mesh* mesh, const Vec3& min, const Vec3& max, Rgb colour);
// A flat parallelogram origin + s u + t v (s, t in [0, 1]) cut into nu x nv quads facing
// `front`, so vertex lighting has points to work with.
void AddPanel(Mesh* mesh, const Vec3& origin, const Vec3& u, const Vec3& v, int nu, int nv,
              const Vec3& front, Rgb colour);
// A triangle cut into n x n smaller ones, facing `front`.
void AddTriangleGrid(Mesh* mesh, const Vec3& a, const Vec3& b, const Vec3& c, int n,
                     const Vec3& front, Rgb colour);
// A surface of revolution about the vertical axis through `base`: profile points (radius,
// height) from the bottom up; a radius of 0 closes the surface there.
void AddLathe(Mesh* mesh, const Vec3& base, const std::vector<Vec2>& profile, int segments,
              Rgb colour);
// A closed frustum along +y: radius r0 at the bottom, r1 at the top.
void AddFrustum(Mesh* mesh, const Vec3& base, float r0, float r1, float height, int segments,
                Rgb colour);
// An ellipsoid with the given radii.
void AddEllipsoid(Mesh* mesh, const Vec3& centre, const Vec3& radii, int segments, Rgb colour);
// A cylinder of radius r between two points.
void AddRod(Mesh* mesh, const Vec3& from, const Vec3& to, float r, int segments, Rgb colour);
// A prism: a convex floor-plan outline extruded from y0 to y1, closed.
void AddPrism(Mesh* mesh, const std::vector<Vec2>& outline, float y0, float y1, Rgb top,
              Rgb side);

// A horizontal polygon at height y (floor-plan outline, convex or not, either order), cut into
// triangles of about `cell` units, facing up or down.
void AddFloorPolygon(Mesh* mesh, const std::vector<Vec2>& outline, float y, bool up, float cell,
                     Rgb colour);
// A vertical wall along the plan from a to b between heights y0 and y1, facing `front`, cut
// into pieces of about `cell` units.
void AddWall(Mesh* mesh, const Vec2& a, const Vec2& b, float y0, float y1, const Vec3& front,
             float cell, Rgb colour);

// Turns the mesh about the vertical axis by `degrees` (as glRotatef does), then moves it.
void PlaceMesh(Mesh* mesh, float degrees, const Vec3& offset);
void AppendMesh(Mesh* to, const Mesh& from);
// Texture coordinates from the floor plan: (x, z) / scale.
void PlanarUv(Mesh* mesh, float scale);

}  // namespace content
