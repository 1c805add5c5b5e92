#pragma once
// The club room as the sound system's occluding geometry: twelve wall quads along the room's
// outline, and the floor and ceiling as eighteen triangles each, in sound space (the world
// mirrored in z, taken as right-handed).

#include <array>
#include <cstdint>
#include <vector>

#include "platform/sound/vec3.h"

namespace sound {

constexpr float kRoomFloorY = -975.0f;
constexpr float kRoomCeilingY = 2975.0f;
constexpr int kRoomWallPoints = 12;  // outline points 0 to 11 run along the wall in order

struct RoomPoint {
    float x, z;
};
// Points 12 to 15 lie inside the room; the floor triangles use them.
constexpr std::array<RoomPoint, 16> kRoomOutline = {{{210, 21830},
                                                     {2820, 20470},
                                                     {23866, -6291},
                                                     {19168, -12143},
                                                     {2900, -8350},
                                                     {-1995, -7799},
                                                     {-12000, -10500},
                                                     {-14500, -9500},
                                                     {-27000, 3500},
                                                     {-27000, 5300},
                                                     {-14500, 20500},
                                                     {-12500, 21500},
                                                     {1500, 4750},
                                                     {2500, 0},
                                                     {-7980, 1330},
                                                     {-9458, 8582}}};
constexpr std::array<std::array<std::uint16_t, 3>, 18> kRoomFloorTriangles = {{{0, 15, 12},
                                                                               {0, 12, 1},
                                                                               {1, 12, 2},
                                                                               {12, 13, 2},
                                                                               {13, 3, 2},
                                                                               {13, 4, 3},
                                                                               {13, 5, 4},
                                                                               {13, 14, 5},
                                                                               {14, 6, 5},
                                                                               {14, 7, 6},
                                                                               {14, 8, 7},
                                                                               {14, 9, 8},
                                                                               {15, 9, 14},
                                                                               {15, 10, 9},
                                                                               {15, 11, 10},
                                                                               {15, 0, 11},
                                                                               {15, 14, 12},
                                                                               {14, 13, 12}}};

// Outline point `index` at height y, in sound space.
psound::Vec3 RoomVertex(int index, float y);

struct RoomPolygon {
    std::array<psound::Vec3, 4> vertices;
    int count = 0;
};
// The walls, then the floor, then the ceiling (its triangles turned the other way).
std::vector<RoomPolygon> ClubRoomPolygons();

}  // namespace sound
