#include "audio/club_room.h"

namespace sound {

psound::Vec3 RoomVertex(int index, float y) {
    const RoomPoint p = kRoomOutline[static_cast<std::size_t>(index)];
    return {-p.x - 8000.0f, y, p.z - 11000.0f};
}

std::vector<RoomPolygon> ClubRoomPolygons() {
    std::vector<RoomPolygon> polygons;
    for (int i = 0; i < kRoomWallPoints; ++i) {
        const int j = (i + 1) % kRoomWallPoints;
        polygons.push_back({{RoomVertex(i, kRoomCeilingY), RoomVertex(i, kRoomFloorY),
                             RoomVertex(j, kRoomFloorY), RoomVertex(j, kRoomCeilingY)},
                            4});
    }
    for (const auto& t : kRoomFloorTriangles)
        polygons.push_back({{RoomVertex(t[0], kRoomFloorY), RoomVertex(t[1], kRoomFloorY),
                             RoomVertex(t[2], kRoomFloorY)},
                            3});
    for (const auto& t : kRoomFloorTriangles)
        polygons.push_back({{RoomVertex(t[2], kRoomCeilingY), RoomVertex(t[1], kRoomCeilingY),
                             RoomVertex(t[0], kRoomCeilingY)},
                            3});
    return polygons;
}

}  // namespace sound
