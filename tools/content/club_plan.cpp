#include "tools/content/club_plan.h"

#include <cmath>

#include "model/model_catalogue.h"

namespace content {
namespace {

// The wall plane's coefficients (a x + b y + c z + d = 0) through (-15360, -975, -7065),
// (-15360, 25, -6800) and (-26200, 25, -7580); the dancer's shadow falls on it.
constexpr double kPlane[4] = {-780000.0, -2872600.0, 10840000.0, 61803015000.0};
// The club's placement: turned 180 degrees about y, then moved by this.
constexpr float kClubOffset[3] = {-8000, -975, 11000};

}  // namespace

std::vector<Vec2> RoomOutline() {
    return {{-8210, -10830}, {-10820, -9470}, {-31866, 17291}, {-30800, 22400},
            {-27168, 23143}, {-10900, 19350}, {-6005, 18799},  {4000, 21500},
            {6500, 20500},   {19000, 7500},   {19000, 5700},   {6500, -9500},
            {4500, -10500}};
}

bool PlanContains(const std::vector<Vec2>& outline, const Vec2& p) {
    bool inside = false;
    for (std::size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++) {
        const Vec2& a = outline[i];
        const Vec2& b = outline[j];
        if ((a[1] > p[1]) != (b[1] > p[1]) &&
            p[0] < a[0] + (p[1] - a[1]) * (b[0] - a[0]) / (b[1] - a[1])) {
            inside = !inside;
        }
    }
    return inside;
}

std::vector<TerracePlan> Terraces() {
    const Vec3 west = OnBackWallPlane(kBackWallWestX, kBackTerraceY);
    const Vec3 east = OnBackWallPlane(kBackWallEastX, kBackTerraceY);
    return {
        // East: booths along the walls, the small tables and one large one.
        {{{13650, -806}, {10700, 2000}, {8400, 9500}, {8800, 11200}, {6300, 13800},
          {4700, 15300}, {0, 15300}, {-6005, 18799}, {4000, 21500}, {6500, 20500},
          {19000, 7500}, {19000, 5700}},
         kTerraceY,
         {0, 1, 2, 3, 4, 5, 6}},
        // West: the arcade.
        {{{-20700, 3093}, {-19700, 6000}, {-14000, 12500}, {-12500, 19000}, {-10900, 19350},
          {-27168, 23143}, {-30800, 22400}, {-31866, 17291}},
         kTerraceY,
         {0, 1, 2, 3}},
        // Back: the DJ's terrace behind the dance floor; its face is the shadow wall.
        {{{west[0], west[2]}, {east[0], east[2]}, {9000, -6460}, {6500, -9500}, {4500, -10500},
          {-8210, -10830}, {-10820, -9470}},
         kBackTerraceY,
         {1, 6}},
    };
}

BarPlan Bar() {
    const ModelRecord& stools = PropRecords[kPropStool];
    const float* first = stools.positions[0];
    const float* last = stools.positions[stools.instanceCount - 1];
    float dx = last[0] - first[0], dz = last[2] - first[2];
    const float span = std::sqrt(dx * dx + dz * dz);
    dx /= span;
    dz /= span;
    const float nx = -dz, nz = dx;  // toward the wall behind the stools
    const float mx = (first[0] + last[0]) / 2, mz = (first[2] + last[2]) / 2;
    const float* third = stools.positions[2];
    BarPlan bar;
    bar.length = span + 1000;
    bar.degrees = std::atan2(-dz, dx) * 180.0f / 3.14159265f;
    bar.counter = {mx + 650 * nx, kLowerFloorY, mz + 650 * nz};
    bar.backBar = {third[0] + 1500 * nx, kLowerFloorY, third[2] + 1500 * nz};
    return bar;
}

Vec3 OnBackWallPlane(float x, float y) {
    const double z = -(kPlane[0] * x + kPlane[1] * y + kPlane[3]) / kPlane[2];
    return {x, y, static_cast<float>(z)};
}

Vec3 BackWallNormal() {
    const double length =
        std::sqrt(kPlane[0] * kPlane[0] + kPlane[1] * kPlane[1] + kPlane[2] * kPlane[2]);
    return {static_cast<float>(kPlane[0] / length), static_cast<float>(kPlane[1] / length),
            static_cast<float>(kPlane[2] / length)};
}

void WorldToClub(Mesh* mesh) {
    for (std::size_t v = 0; v < mesh->VertexCount(); ++v) {
        float* p = &mesh->positions[3 * v];
        float* n = &mesh->normals[3 * v];
        p[0] = -p[0] + kClubOffset[0];
        p[1] = p[1] - kClubOffset[1];
        p[2] = -p[2] + kClubOffset[2];
        n[0] = -n[0];
        n[2] = -n[2];
    }
}

}  // namespace content
