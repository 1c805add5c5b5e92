#pragma once
// Smooth closed or open surfaces for the dancers' bodies, limbs, heads and hair: a surface is
// swept ring by ring along a parameter t, and each ring runs around an angle. Normals come from
// the surface itself, so lighting is smooth along and around it.

#include <functional>
#include <vector>

#include "tools/content/mesh_builder.h"

namespace content {

// A point of the surface at t in [0, 1] (bottom to top) and angle theta in [0, 2 pi).
using Surface = std::function<Vec3(float t, float theta)>;
// The colour of a vertex at its final position.
using Paint = std::function<Rgb(const Vec3& p)>;

// One cross-section of a vertical profile: an ellipse at height y with half-widths rx, rz
// around (cx, cz).
struct ProfileKey {
    float y, rx, rz, cx = 0, cz = 0;
};

struct Sweep {
    Surface surface;
    int rings = 8;              // intervals along t
    int segments = 12;          // around
    bool closedBottom = false;  // rings crowd toward a closed end, which needs them most
    bool closedTop = false;
    bool twoSided = false;  // also seen from inside (skirts, veils)
};

// Appends the swept surface. Rings that shrink to a point become a single pole vertex.
void AddSweep(Mesh* mesh, const Sweep& sweep, const Paint& paint);

// A smooth vertical profile through the keys (ascending y), swept from height y0 to y1; parts
// cut from one profile meet without a seam. A closed end rounds off over about its own radius
// and ends in a pole at y0 or y1.
Surface ProfileSurface(std::vector<ProfileKey> keys, float y0, float y1, bool closedBottom,
                       bool closedTop);

// An ellipsoid with vertical poles.
Surface EllipsoidSurface(const Vec3& centre, const Vec3& radii);

// Turns the vertices from `first` on so that +y points forward (-z) about the pivot: a part
// built upright then lies along the front, as eyes and feet do.
void TurnToFront(Mesh* mesh, std::uint32_t first, const Vec3& pivot);

// Moves every vertex by the offset.
void ShiftMesh(Mesh* mesh, const Vec3& offset);

}  // namespace content
