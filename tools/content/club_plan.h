#pragma once
// The club's floor plan in world coordinates (x, z; the dance floor at the origin): the room
// outline, floor heights, terraces, the bar and the back terrace's wall plane, where the
// catalogue's placements put the furniture.

#include <vector>

#include "tools/content/mesh_builder.h"

namespace content {

constexpr float kLowerFloorY = -975.0f;
constexpr float kTerraceY = -425.0f;
constexpr float kBackTerraceY = 25.0f;
constexpr float kDanceFloorY = 20.0f;  // where the dancer's floor shadow falls
constexpr float kCeilingY = 2975.0f;
constexpr float kDanceFloorHalf = 2400.0f;
// The mirror ball hangs high and off to the side of the dance floor: the cameras look at the
// dancer from the +z side, so a ball above her would sit on her head in the close shots.
constexpr float kMirrorBallY = 2800.0f;  // its rod's foot; the ball's lowest point is 400 below
constexpr float kMirrorBallX = 3200.0f;
constexpr float kMirrorBallZ = -1600.0f;
constexpr float kBackWallWestX = -10000.0f;
constexpr float kBackWallEastX = 9000.0f;

// The room's wall, in order: the sound system's room outline, widened at one corner so the
// arcade's last cabinet stands inside.
std::vector<Vec2> RoomOutline();
bool PlanContains(const std::vector<Vec2>& outline, const Vec2& p);

struct TerracePlan {
    std::vector<Vec2> outline;
    float height;
    std::vector<std::size_t> risers;  // edges (from corner i to i + 1) that face the lower floor
};
std::vector<TerracePlan> Terraces();

struct BarPlan {
    float length;
    float degrees;  // turn of the counter's long axis, as glRotatef about y
    Vec3 counter;   // base centre
    Vec3 backBar;   // base centre
};
BarPlan Bar();  // along the stools

// The point of the back terrace's wall plane at (x, y), and the plane's unit normal.
Vec3 OnBackWallPlane(float x, float y);
Vec3 BackWallNormal();

// World to the club's own frame (positions and normals).
void WorldToClub(Mesh* mesh);

}  // namespace content
