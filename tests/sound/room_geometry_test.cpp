#include "platform/sound/room_geometry.h"

#include <gtest/gtest.h>

#include <vector>

#include "audio/club_room.h"
#include "tests/support/case_name.h"

namespace {

using psound::Occlusion;
using psound::RoomGeometry;
using psound::SoundResult;
using psound::Vec3;

// Walls in the plane z = 0, from the floor (y 0) to y 1000, counter-clockwise seen from +z.
std::vector<Vec3> WallPiece(float x0, float x1, float z = 0.0f) {
    return {{x0, 0.0f, z}, {x1, 0.0f, z}, {x1, 1000.0f, z}, {x0, 1000.0f, z}};
}

enum class Room {
    Wall,       // x -1000 to 1000
    Doorway,    // the same wall with an opening from x -100 to 100
    SplitWall,  // the wall as two triangles meeting on the diagonal from (-1000, 0) to (1000, 1000)
    TwoWalls,   // the wall, and another at z 500
    OneSided,   // the wall, blocking only voices on its +z side
    MovedWall,  // the wall moved 3000 along x
};

RoomGeometry Build(Room room) {
    RoomGeometry geometry(8, 32);
    const auto add = [&](const std::vector<Vec3>& v, bool doubleSided = true) {
        EXPECT_EQ(
            geometry.AddPolygon(0.75f, 0.5f, doubleSided, v.data(), static_cast<int>(v.size())),
            SoundResult::Ok);
    };
    switch (room) {
        case Room::Wall:
            add(WallPiece(-1000, 1000));
            break;
        case Room::Doorway:
            add(WallPiece(-1000, -100));
            add(WallPiece(100, 1000));
            break;
        case Room::SplitWall: {
            const std::vector<Vec3> w = WallPiece(-1000, 1000);
            add({w[0], w[1], w[2]});
            add({w[0], w[2], w[3]});
            break;
        }
        case Room::TwoWalls:
            add(WallPiece(-1000, 1000));
            add(WallPiece(-1000, 1000, 500.0f));
            break;
        case Room::OneSided:
            add(WallPiece(-1000, 1000), false);
            break;
        case Room::MovedWall:
            add(WallPiece(-1000, 1000));
            geometry.SetPosition({3000.0f, 0.0f, 0.0f});
            break;
    }
    return geometry;
}

struct OcclusionCase {
    const char* name;
    Room room;
    Vec3 listener, voice;
    Occlusion expected;
};

constexpr Occlusion kOpen{1.0f, 1.0f};
constexpr Occlusion kOneWall{0.25f, 0.5f};

class Occluding : public ::testing::TestWithParam<OcclusionCase> {};

TEST_P(Occluding, GainsOfThePathFromListenerToVoice) {
    const OcclusionCase& c = GetParam();
    const RoomGeometry geometry = Build(c.room);
    const Occlusion got = geometry.Occlude(c.listener, c.voice);
    EXPECT_FLOAT_EQ(got.direct, c.expected.direct);
    EXPECT_FLOAT_EQ(got.reverb, c.expected.reverb);
}

INSTANTIATE_TEST_SUITE_P(
    RoomGeometry, Occluding,
    ::testing::Values(
        OcclusionCase{"ThroughTheWall", Room::Wall, {0, 500, -500}, {0, 500, 500}, kOneWall},
        OcclusionCase{
            "ThroughTheWallTheOtherWay", Room::Wall, {200, 300, 800}, {-300, 600, -900}, kOneWall},
        OcclusionCase{"BothOnOneSide", Room::Wall, {0, 500, -500}, {400, 500, -10}, kOpen},
        OcclusionCase{"PastTheWallsEnd", Room::Wall, {1500, 500, -500}, {1500, 500, 500}, kOpen},
        OcclusionCase{"OverTheWall", Room::Wall, {0, 1500, -500}, {0, 1500, 500}, kOpen},
        OcclusionCase{"AlongTheWall", Room::Wall, {-800, 500, 0}, {800, 500, 0}, kOpen},
        OcclusionCase{"AlongTheWallCloseBy", Room::Wall, {-800, 500, 1}, {800, 500, 1}, kOpen},
        OcclusionCase{"VoiceOnTheWall", Room::Wall, {0, 500, -500}, {0, 500, 0}, kOpen},
        OcclusionCase{"ThroughTheDoorway", Room::Doorway, {0, 500, -500}, {0, 500, 500}, kOpen},
        OcclusionCase{
            "BesideTheDoorway", Room::Doorway, {500, 500, -500}, {500, 500, 500}, kOneWall},
        OcclusionCase{
            "ThroughASharedEdgeOnce", Room::SplitWall, {0, 500, -500}, {0, 500, 500}, kOneWall},
        OcclusionCase{
            "ThroughEachHalf", Room::SplitWall, {500, 200, -500}, {500, 200, 500}, kOneWall},
        OcclusionCase{
            "ThroughTwoWalls", Room::TwoWalls, {0, 500, -500}, {0, 500, 1000}, {0.0625f, 0.25f}},
        OcclusionCase{"BetweenTwoWalls", Room::TwoWalls, {0, 500, -500}, {0, 500, 200}, kOneWall},
        OcclusionCase{
            "OneSidedVoiceInFront", Room::OneSided, {0, 500, -500}, {0, 500, 500}, kOneWall},
        OcclusionCase{"OneSidedVoiceBehind", Room::OneSided, {0, 500, 500}, {0, 500, -500}, kOpen},
        OcclusionCase{"MovedWallMissed", Room::MovedWall, {0, 500, -500}, {0, 500, 500}, kOpen},
        OcclusionCase{
            "MovedWallHit", Room::MovedWall, {3000, 500, -500}, {3000, 500, 500}, kOneWall}),
    CaseName());

struct PolygonCase {
    const char* name;
    float direct, reverb;
    std::vector<Vec3> vertices;
};

class RefusedPolygon : public ::testing::TestWithParam<PolygonCase> {};

TEST_P(RefusedPolygon, LeavesTheGeometryAsItWas) {
    const PolygonCase& c = GetParam();
    RoomGeometry geometry(4, 16);
    EXPECT_EQ(geometry.AddPolygon(c.direct, c.reverb, true, c.vertices.data(),
                                  static_cast<int>(c.vertices.size())),
              SoundResult::InvalidParam);
    EXPECT_EQ(geometry.PolygonCount(), 0);
    EXPECT_EQ(geometry.VertexCount(), 0);
    const Occlusion got = geometry.Occlude({0, 500, -500}, {0, 500, 500});
    EXPECT_EQ(got.direct, 1.0f);
    EXPECT_EQ(got.reverb, 1.0f);
}

INSTANTIATE_TEST_SUITE_P(
    RoomGeometry, RefusedPolygon,
    ::testing::Values(PolygonCase{"TwoVertices", 1, 1, {{0, 0, 0}, {1, 0, 0}}},
                      PolygonCase{"AllInALine", 1, 1, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}},
                      PolygonCase{"DirectAboveOne", 1.5f, 1, WallPiece(-1000, 1000)},
                      PolygonCase{"ReverbBelowZero", 1, -0.5f, WallPiece(-1000, 1000)},
                      PolygonCase{"MoreVerticesThanRoom", 1, 1,
                                  std::vector<Vec3>(17, Vec3{1, 2, 3})}),
    CaseName());

TEST(RoomGeometry, AFullGeometryRefusesTheNextPolygon) {
    RoomGeometry geometry(1, 8);
    const std::vector<Vec3> wall = WallPiece(-1000, 1000);
    EXPECT_EQ(geometry.AddPolygon(1, 1, true, wall.data(), 4), SoundResult::Ok);
    EXPECT_EQ(geometry.AddPolygon(1, 1, true, wall.data(), 4), SoundResult::InvalidParam);
    EXPECT_EQ(geometry.PolygonCount(), 1);
}

TEST(ClubRoom, OutlineToSoundSpace) {
    const Vec3 p = sound::RoomVertex(13, 123.0f);
    EXPECT_EQ(p.x, -10500.0f);
    EXPECT_EQ(p.y, 123.0f);
    EXPECT_EQ(p.z, -11000.0f);
}

TEST(ClubRoom, WallsThenFloorThenTurnedCeiling) {
    const std::vector<sound::RoomPolygon> polygons = sound::ClubRoomPolygons();
    ASSERT_EQ(polygons.size(), 48u);
    int vertices = 0;
    for (const auto& p : polygons) vertices += p.count;
    EXPECT_EQ(vertices, 156);
    // The last wall closes the outline from point 11 back to point 0.
    const sound::RoomPolygon& last = polygons[11];
    ASSERT_EQ(last.count, 4);
    const Vec3 expected[4] = {sound::RoomVertex(11, 2975), sound::RoomVertex(11, -975),
                              sound::RoomVertex(0, -975), sound::RoomVertex(0, 2975)};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(last.vertices[i].x, expected[i].x) << i;
        EXPECT_EQ(last.vertices[i].y, expected[i].y) << i;
        EXPECT_EQ(last.vertices[i].z, expected[i].z) << i;
    }
    // Ceiling triangle k is floor triangle k turned round, 3950 higher.
    for (int k = 0; k < 18; ++k) {
        const sound::RoomPolygon& floor = polygons[12 + k];
        const sound::RoomPolygon& ceiling = polygons[30 + k];
        ASSERT_EQ(floor.count, 3);
        ASSERT_EQ(ceiling.count, 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(floor.vertices[i].y, -975.0f);
            EXPECT_EQ(ceiling.vertices[2 - i].x, floor.vertices[i].x);
            EXPECT_EQ(ceiling.vertices[2 - i].z, floor.vertices[i].z);
            EXPECT_EQ(ceiling.vertices[2 - i].y, 2975.0f);
        }
    }
}

// The room as SoundInit builds it: every polygon fits, and it shuts the club in.
class ClubRoomPaths : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto& p : sound::ClubRoomPolygons())
            ASSERT_EQ(m_room.AddPolygon(1.0f, 1.0f, true, p.vertices.data(), p.count),
                      SoundResult::Ok);
    }
    RoomGeometry m_room{48, 156};
};

TEST_F(ClubRoomPaths, InsideIsOpenAndTheOutsideIsShut) {
    // The speakers in sound space, and the start camera's eye.
    const Vec3 speakers[2] = {{7850, 2425, 6485}, {-6101, 2425, 6485}};
    const struct {
        const char* where;
        Vec3 listener;
        float gain;
    } cases[] = {
        {"start camera", {-314, 200, -2984}, 1.0f},  {"other speaker", speakers[1], 1.0f},
        {"beyond the wall", {0, 1000, 15000}, 0.0f}, {"above the ceiling", {0, 4000, 0}, 0.0f},
        {"below the floor", {0, -2000, 0}, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        const Occlusion got = m_room.Occlude(c.listener, speakers[0]);
        EXPECT_EQ(got.direct, c.gain);
        EXPECT_EQ(got.reverb, c.gain);
    }
}

}  // namespace
