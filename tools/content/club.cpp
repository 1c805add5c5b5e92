// The club room: seven mesh parts authored in world coordinates (y up, the dance floor at the
// origin) and stored in the club's own frame, which the drawing turns by 180 degrees about y
// and moves by (-8000, -975, 11000).

#include <cmath>

#include "model/model_catalogue.h"
#include "tools/content/club_plan.h"
#include "tools/content/content_registry.h"
#include "tools/content/mesh_builder.h"

namespace content {
namespace {

constexpr float kCell = 1200.0f;  // vertex spacing of big surfaces, for per-vertex lighting

constexpr Rgb kWallColour = {0.30f, 0.12f, 0.36f};
constexpr Rgb kCeilingColour = {0.20f, 0.20f, 0.30f};
constexpr Rgb kTerraceColour = {0.28f, 0.20f, 0.16f};
constexpr Rgb kRiserColour = {0.16f, 0.10f, 0.12f};
constexpr Rgb kChrome = {0.80f, 0.82f, 0.86f};
constexpr Rgb kBarWood = {0.45f, 0.25f, 0.12f};
constexpr Rgb kBarTop = {0.30f, 0.15f, 0.07f};
constexpr Rgb kCarpetTint = {0.45f, 0.25f, 0.55f};
constexpr Rgb kBackWall = {0.10f, 0.22f, 0.40f};

Vec2 Mid(const Vec2& a, const Vec2& b) { return {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2}; }

// The wall facing of an edge a -> b: toward the inside of `region` or away from it.
Vec3 EdgeFront(const std::vector<Vec2>& region, const Vec2& a, const Vec2& b, bool inward) {
    const float dx = b[0] - a[0], dz = b[1] - a[1];
    const float length = std::sqrt(dx * dx + dz * dz);
    const Vec2 n = {dz / length, -dx / length};
    const Vec2 m = Mid(a, b);
    const bool pointsIn = PlanContains(region, {m[0] + 20 * n[0], m[1] + 20 * n[1]});
    const float sign = pointsIn == inward ? 1.0f : -1.0f;
    return {sign * n[0], 0, sign * n[1]};
}

// A box turned about y by `degrees` and moved to `centre` (its base centre).
void AddTurnedBox(Mesh* mesh, const Vec3& half, float degrees, const Vec3& base, Rgb colour) {
    Mesh box;
    AddBox(&box, {-half[0], 0, -half[2]}, {half[0], 2 * half[1], half[2]}, colour);
    PlaceMesh(&box, degrees, base);
    AppendMesh(mesh, box);
}

// Part 0: the lit dance floor, the terraces and their risers.
Mesh Floors() {
    Mesh m;
    constexpr Rgb kTiles[] = {{0.9f, 0.1f, 0.6f}, {0.1f, 0.7f, 0.9f}, {0.95f, 0.8f, 0.1f},
                              {0.3f, 0.2f, 0.9f}, {0.1f, 0.85f, 0.4f}};
    const float half = kDanceFloorHalf, tile = 2 * kDanceFloorHalf / 8;
    for (int row = 0; row < 8; ++row) {
        for (int col = 0; col < 8; ++col) {
            const Vec3 origin = {-half + col * tile, kDanceFloorY, -half + row * tile};
            AddPanel(&m, origin, {tile, 0, 0}, {0, 0, tile}, 2, 2, {0, 1, 0},
                     kTiles[(row * 3 + col * 2) % 5]);
        }
    }
    for (const TerracePlan& t : Terraces()) {
        AddFloorPolygon(&m, t.outline, t.height, true, kCell, kTerraceColour);
        for (std::size_t i : t.risers) {
            const Vec2& a = t.outline[i];
            const Vec2& b = t.outline[(i + 1) % t.outline.size()];
            AddWall(&m, a, b, kLowerFloorY, t.height, EdgeFront(t.outline, a, b, false), kCell,
                    kRiserColour);
        }
    }
    return m;
}

// The whole room's plan at one height: the ceiling (part 1, facing down) and the carpeted
// lower floor (part 5).
Mesh RoomSurface(float y, bool up, Rgb colour) {
    Mesh m;
    AddFloorPolygon(&m, RoomOutline(), y, up, kCell, colour);
    return m;
}

// Part 2: the outer walls, facing into the room.
Mesh Walls() {
    Mesh m;
    const std::vector<Vec2> room = RoomOutline();
    for (std::size_t i = 0; i < room.size(); ++i) {
        const Vec2& a = room[i];
        const Vec2& b = room[(i + 1) % room.size()];
        AddWall(&m, a, b, kLowerFloorY, kCeilingY, EdgeFront(room, a, b, true), kCell,
                kWallColour);
    }
    return m;
}

// Part 3: the bar along the stools, its back bar, and the DJ desk on the back terrace.
Mesh Wood() {
    Mesh m;
    const BarPlan bar = Bar();
    AddTurnedBox(&m, {bar.length / 2, 525, 300}, bar.degrees, bar.counter, kBarWood);
    AddTurnedBox(&m, {bar.length / 2 + 100, 25, 420},
                 bar.degrees, {bar.counter[0], kLowerFloorY + 1050, bar.counter[2]}, kBarTop);
    AddTurnedBox(&m, {2500, 1000, 200}, bar.degrees, bar.backBar, kBarWood);
    for (float shelf : {500.0f, 1000.0f, 1500.0f}) {
        AddTurnedBox(&m, {2550, 20, 260}, bar.degrees,
                     {bar.backBar[0], bar.backBar[1] + shelf, bar.backBar[2]}, kBarTop);
    }
    AddBox(&m, {-1300, kBackTerraceY, -7300}, {1300, kBackTerraceY + 950, -6500}, kBarWood);
    return m;
}

// Part 4: chrome and glass: the dance floor's rim, terrace rails, the bar's foot rail and
// bottles, the DJ decks and the mirror ball.
Mesh Shiny() {
    Mesh m;
    const float h = kDanceFloorHalf;
    AddBox(&m, {-h - 60, kLowerFloorY, -h - 60}, {h + 60, kDanceFloorY - 5, h + 60}, kChrome);
    for (const TerracePlan& t : Terraces()) {
        if (t.height != kTerraceY) continue;
        for (std::size_t i : t.risers) {
            const Vec2& a = t.outline[i];
            const Vec2& b = t.outline[(i + 1) % t.outline.size()];
            const float top = t.height + 900;
            AddRod(&m, {a[0], top, a[1]}, {b[0], top, b[1]}, 25, 8, kChrome);
            AddRod(&m, {a[0], t.height, a[1]}, {a[0], top, a[1]}, 30, 8, kChrome);
        }
    }
    const BarPlan bar = Bar();
    Mesh rail;
    AddRod(&rail, {-bar.length / 2, 200, -360}, {bar.length / 2, 200, -360}, 30, 8, kChrome);
    PlaceMesh(&rail, bar.degrees, {bar.counter[0], bar.counter[1], bar.counter[2]});
    AppendMesh(&m, rail);
    constexpr Rgb kBottles[] = {{0.1f, 0.6f, 0.2f}, {0.7f, 0.5f, 0.1f}, {0.6f, 0.1f, 0.1f},
                                {0.2f, 0.3f, 0.8f}};
    for (int shelf = 0; shelf < 3; ++shelf) {
        for (int i = 0; i < 14; ++i) {
            Mesh bottle;
            AddLathe(&bottle, {-2300.0f + 350 * i + 60 * shelf, 0, 0},
                     {{0, 0}, {45, 0}, {45, 200}, {18, 260}, {18, 320}, {0, 320}}, 8,
                     kBottles[(i + shelf) % 4]);
            PlaceMesh(&bottle, bar.degrees,
                      {bar.backBar[0], bar.backBar[1] + 540 + 500 * shelf, bar.backBar[2]});
            AppendMesh(&m, bottle);
        }
    }
    for (float x : {-700.0f, 700.0f}) {
        AddFrustum(&m, {x, kBackTerraceY + 950, -6900}, 230, 230, 40, 16, {0.15f, 0.15f, 0.15f});
    }
    AddRod(&m, {kMirrorBallX, kMirrorBallY, kMirrorBallZ}, {kMirrorBallX, kCeilingY, kMirrorBallZ},
           12, 6, kChrome);
    AddEllipsoid(&m, {kMirrorBallX, kMirrorBallY - 200, kMirrorBallZ}, {200, 200, 200}, 16,
                 {0.9f, 0.9f, 0.95f});
    return m;
}

// Part 6: the face of the back terrace, on the plane the wall shadows are thrown onto.
Mesh BackWall() {
    Mesh m;
    const Vec3 a = OnBackWallPlane(kBackWallWestX, kLowerFloorY);
    const Vec3 b = OnBackWallPlane(kBackWallEastX, kLowerFloorY);
    const Vec3 c = OnBackWallPlane(kBackWallWestX, kBackTerraceY);
    AddPanel(&m, a, {b[0] - a[0], b[1] - a[1], b[2] - a[2]},
             {c[0] - a[0], c[1] - a[1], c[2] - a[2]}, 16, 1, BackWallNormal(), kBackWall);
    return m;
}

bool WriteClub(const std::filesystem::path& models) {
    Mesh parts[] = {Floors(),
                    RoomSurface(kCeilingY, false, kCeilingColour),
                    Walls(),
                    Wood(),
                    Shiny(),
                    RoomSurface(kLowerFloorY, true, kCarpetTint),
                    BackWall()};
    ModelFile file;
    for (Mesh& part : parts) {
        WorldToClub(&part);
        const float* c = &part.colors[0];
        std::copy(c, c + 3, part.color);
    }
    PlanarUv(&parts[1], 15000.0f);  // what the loader computes for the ceiling anyway
    PlanarUv(&parts[5], 2000.0f);   // carpet tiles of 2 m
    for (Mesh& part : parts) file.AddPart(std::move(part));
    return WriteModelFile(models / "Club.dat", file, ClubRecord.partCount);
}

const bool kRegistered = RegisterFamily("club", WriteClub);

}  // namespace
}  // namespace content
