// The arithmetic of the scene build, the per-frame updates and the lighting program.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "model/vec_math.h"
#include "raytrace/rt_shading.h"
#include "raytrace/rt_triangles.h"
#include "raytrace/rt_update.h"
#include "tests/support/case_name.h"

using namespace raytrace;

namespace {

struct QuadCase {
    std::string name;
    std::vector<std::uint32_t> quads;
    std::uint32_t vertexCount;
    std::vector<std::int32_t> triangles;
    int skipped;
};

class Triangulate : public ::testing::TestWithParam<QuadCase> {};

TEST_P(Triangulate, GivesTheTrianglesAndCountsThoseOutsideThePart) {
    const QuadCase& c = GetParam();
    const RtTriangles t = RtTriangulateQuads(c.quads.data(), static_cast<std::uint32_t>(c.quads.size() / 4),
                                             c.vertexCount);
    EXPECT_EQ(t.indices, c.triangles);
    EXPECT_EQ(t.skipped, c.skipped);
}

INSTANTIATE_TEST_SUITE_P(
    Quads, Triangulate,
    ::testing::Values(
        QuadCase{"PlainQuadIsTwoTriangles", {0, 1, 2, 3}, 4, {0, 1, 2, 2, 3, 0}, 0},
        QuadCase{"TriangleWithRepeatedLastCorner", {0, 1, 2, 2}, 3, {0, 1, 2}, 0},
        QuadCase{"LastCornerOnTheFirst", {0, 1, 2, 0}, 3, {0, 1, 2}, 0},
        QuadCase{"ThirdCornerOnTheFirst", {0, 1, 0, 3}, 4, {0, 1, 0}, 0},
        QuadCase{"CornerPastTheVerticesDropsItsTriangle", {0, 1, 2, 9}, 4, {0, 1, 2}, 1},
        QuadCase{"WholeQuadPastTheVertices", {0, 1, 7, 8}, 4, {}, 2},
        QuadCase{"SecondQuadKeptAfterABadOne", {5, 1, 2, 3, 0, 1, 2, 3}, 4, {0, 1, 2, 2, 3, 0}, 2},
        QuadCase{"HugeIndexIsNeverNegative", {0, 1, 2, 0xFFFFFFFFu}, 4, {0, 1, 2}, 1}),
    CaseName{});

TEST(Triangulate, NoQuadsGiveNoTriangles) {
    const RtTriangles t = RtTriangulateQuads(nullptr, 3, 4);
    EXPECT_TRUE(t.indices.empty());
    EXPECT_EQ(t.skipped, 0);
}

FrameLightRecord LightsWithSpots(int on, float base) {
    FrameLightRecord set{};
    set.attenuation = 1.6f;
    for (int c = 0; c < 3; ++c) {
        set.mainColor[c] = 0.4f;
        set.mainPosition[c] = base + static_cast<float>(c);
    }
    for (int i = 0; i < 5; ++i) {
        set.spotOn[i] = i < on ? 1 : 0;
        for (int c = 0; c < 3; ++c) {
            set.spotColor[i][c] = base + 0.1f * static_cast<float>(i);
            set.spotPosition[i][c] = base * 100.0f + static_cast<float>(i);
        }
        set.spotDirection[i][0] = 0;
        set.spotDirection[i][1] = -1;
        set.spotDirection[i][2] = 0;
        set.spotCosCutoff[i] = base;
        set.spotCosOuter[i] = base - 0.01f;
    }
    return set;
}

TEST(LightsRecord, SpotsOutOfForceKeepTheirLastValuesAndAreOff) {
    RtLightsRecord record{};
    RtFillLightsRecord(record, LightsWithSpots(5, 0.5f), 5);
    RtFillLightsRecord(record, LightsWithSpots(3, 0.9f), 3);
    EXPECT_FLOAT_EQ(record.attenuation, 1.6f);
    EXPECT_FLOAT_EQ(record.mainPosition[2], 2.9f);
    for (int i = 0; i < 5; ++i) {
        const bool active = i < 3;
        SCOPED_TRACE(i);
        EXPECT_EQ(record.spotOn[i], active ? 1 : 0);
        EXPECT_FLOAT_EQ(record.spotColor[i][0], (active ? 0.9f : 0.5f) + 0.1f * static_cast<float>(i));
        EXPECT_FLOAT_EQ(record.spotCosCutoff[i], active ? 0.9f : 0.5f);
        EXPECT_FLOAT_EQ(record.spotCosCutoffOuter[i], active ? 0.89f : 0.49f);
        // The light sits 200 units along the aim from the fixture.
        EXPECT_FLOAT_EQ(record.spotPosition[i][1], (active ? 90.0f : 50.0f) + static_cast<float>(i) - 200.0f);
    }
    EXPECT_EQ(record.reserved6[0], 0);
    EXPECT_EQ(record.reserved1, 0.0f);
}

void ExpectMatrix(const float* got, const float* want) {
    for (int k = 0; k < 16; ++k) EXPECT_NEAR(got[k], want[k], 1e-5f) << "element " << k;
}

TEST(FixtureMatrix, StraightDownTurnsAboutYBy270Degrees) {
    const float position[3] = {100, 2950, -40};
    const float down[3] = {0, -1, 0};
    float m[16];
    RtFixtureMatrix(position, down, m);
    float r[16], t[16], want[16];
    Mat4RotateXYZ(r, 0.0f, DegToRad(270.0f), 0.0f);
    Mat4Translation(t, 100, 2950, -40);
    Mat4Multiply(r, t, want);
    ExpectMatrix(m, want);
}

struct AimCase {
    std::string name;
    float direction[3];
};
class FixtureAimedWithoutAValidPitch : public ::testing::TestWithParam<AimCase> {};

TEST_P(FixtureAimedWithoutAValidPitch, KeepsTheModelsOrientation) {
    const float position[3] = {-2200, 2950, 3400};
    float m[16];
    RtFixtureMatrix(position, GetParam().direction, m);
    float want[16];
    Mat4Translation(want, -2200, 2950, 3400);
    ExpectMatrix(m, want);
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
INSTANTIATE_TEST_SUITE_P(Aims, FixtureAimedWithoutAValidPitch,
                         ::testing::Values(AimCase{"StraightUp", {0, 1, 0}},
                                           AimCase{"PastStraightUp", {0, 1.5f, 0}},
                                           AimCase{"NotANumber", {kNaN, kNaN, kNaN}}),
                         CaseName{});

TEST(FixtureMatrix, AimedSidewaysPointsTheFixtureAxisAlongTheAim) {
    // The model hangs along -y; after the turn its axis must follow the aim.
    const float position[3] = {0, 0, 0};
    const float aim[3] = {std::sqrt(0.5f), -std::sqrt(0.5f), 0};
    float m[16];
    RtFixtureMatrix(position, aim, m);
    const float axis[3] = {0, -1, 0};
    float turned[3];
    for (int c = 0; c < 3; ++c) turned[c] = axis[0] * m[c] + axis[1] * m[4 + c] + axis[2] * m[8 + c];
    const float along = turned[0] * aim[0] + turned[1] * aim[1] + turned[2] * aim[2];
    EXPECT_NEAR(std::fabs(along), 1.0f, 1e-4f);
}

struct SpotCase {
    std::string name;
    float cosAngle;
    float exponent;
    float want;
};
class Spot : public ::testing::TestWithParam<SpotCase> {};

TEST_P(Spot, LightsInsideItsConeAndFadesOverTheLastDegree) {
    const float cutoff = std::cos(DegToRad(10.0f));
    const float outer = std::cos(DegToRad(11.0f));
    EXPECT_NEAR(SpotFactor(GetParam().cosAngle, cutoff, outer, GetParam().exponent), GetParam().want, 1e-4f);
}

INSTANTIATE_TEST_SUITE_P(
    Cones, Spot,
    ::testing::Values(SpotCase{"OnTheAxis", 1.0f, 1.0f, 1.0f},
                      SpotCase{"OnTheAxisWithExponent", 1.0f, 5.0f, 1.0f},
                      SpotCase{"AtTheCutoff", std::cos(DegToRad(10.0f)), 1.0f, std::cos(DegToRad(10.0f))},
                      SpotCase{"ExponentFallsOff", std::cos(DegToRad(5.0f)), 5.0f, std::pow(std::cos(DegToRad(5.0f)), 5.0f)},
                      SpotCase{"HalfwayThroughTheEdge", 0.5f * (std::cos(DegToRad(10.0f)) + std::cos(DegToRad(11.0f))), 0.0f, 0.5f},
                      SpotCase{"PastTheOuterCone", std::cos(DegToRad(12.0f)), 1.0f, 0.0f},
                      SpotCase{"Behind", -1.0f, 1.0f, 0.0f},
                      SpotCase{"NotANumber", kNaN, 1.0f, 0.0f}),
    CaseName{});

TEST(Toon, QuantisesEveryAngleToThreeBands) {
    for (int k = -10; k <= 100; ++k) {
        const float band = ToonBand(static_cast<float>(k) / 100.0f);
        const bool known = band == 0.0f || band == kToonBands[0] || band == kToonBands[1] || band == kToonBands[2];
        EXPECT_TRUE(known) << "n.l " << k << "% gave " << band;
    }
    EXPECT_LT(ToonBand(0.1f), ToonBand(0.4f));
    EXPECT_LT(ToonBand(0.4f), ToonBand(0.9f));
}

TEST(Output, BytesClampAndNotANumberIsBlack) {
    EXPECT_EQ(ToByte(-0.5f), 0);
    EXPECT_EQ(ToByte(0.5f), 128);
    EXPECT_EQ(ToByte(7.0f), 255);
    EXPECT_EQ(ToByte(kNaN), 0);
}

TEST(Shading, FacesForwardAndHighlightsOnlyTheLitSide) {
    const Float3 up{0, 1, 0};
    EXPECT_EQ(FaceForward(up, {0, 1, 0}).y, -1.0f);
    EXPECT_EQ(FaceForward(up, {0, -1, 0}).y, 1.0f);
    EXPECT_NEAR(Highlight(up, up, up), 1.0f, 1e-6f);
    EXPECT_EQ(Highlight(up, {0, -1, 0}, up), 0.0f);
    const float grain = WoodGrain({123, 4, 567}, 0.3f);
    EXPECT_GE(grain, 0.55f);
    EXPECT_LE(grain, 1.0f);
}

}  // namespace
