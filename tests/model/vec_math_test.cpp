#include "model/vec_math.h"

#include <gtest/gtest.h>

#include "tests/support/case_name.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTolerance = 1e-5f;

void ExpectVec3Near(const float* got, float x, float y, float z, float tol = kTolerance) {
    EXPECT_NEAR(got[0], x, tol);
    EXPECT_NEAR(got[1], y, tol);
    EXPECT_NEAR(got[2], z, tol);
}

// ---- colours ----

struct RgbToHsvCase {
    const char* name;
    float rgb[3];
    float hsv[3];
};
const RgbToHsvCase kRgbToHsvCases[] = {
    {"Red", {1, 0, 0}, {0, 1, 1}},
    {"BlueAboveGreenWrapsHue", {1, 0, 0.5f}, {330, 1, 1}},
    {"Grey", {0.5f, 0.5f, 0.5f}, {0, 0, 0.5f}},
    {"Black", {0, 0, 0}, {0, 0, 0}},
    {"GreenMax", {0, 1, 0}, {120, 1, 1}},
    {"BlueMax", {0.2f, 0.4f, 0.8f}, {220, 0.75f, 0.8f}},
};
class RgbToHsvTest : public ::testing::TestWithParam<RgbToHsvCase> {};
TEST_P(RgbToHsvTest, Converts) {
    const RgbToHsvCase& c = GetParam();
    float hsv[3];
    RGBToHSV(hsv, c.rgb);
    EXPECT_NEAR(hsv[0], c.hsv[0], 1e-3f);
    EXPECT_NEAR(hsv[1], c.hsv[1], kTolerance);
    EXPECT_NEAR(hsv[2], c.hsv[2], kTolerance);
}
INSTANTIATE_TEST_SUITE_P(Cases, RgbToHsvTest, ::testing::ValuesIn(kRgbToHsvCases), CaseName());

struct HsvToRgbCase {
    const char* name;
    float hsv[3];
    float rgb[3];
    float hueAfter;  // the caller's hue once the call has wrapped it
};
const HsvToRgbCase kHsvToRgbCases[] = {
    {"Green", {120, 1, 1}, {0, 1, 0}, 120},
    {"AboveFullTurnWrapsAndWritesBack", {370, 1, 1}, {1, 10.0f / 60.0f, 0}, 10},
    {"FullTurnCountsAsZero", {360, 1, 1}, {1, 0, 0}, 360},
    {"NoSaturationIsGreyAndKeepsHue", {200, 0, 0.3f}, {0.3f, 0.3f, 0.3f}, 200},
    {"NegativeHueWraps", {-60, 1, 1}, {1, 0, 1}, 300},
    {"ValueAboveOneIsClamped", {0, 0, 1.5f}, {1, 1, 1}, 0},
    {"SectorFive", {330, 1, 1}, {1, 0, 0.5f}, 330},
};
class HsvToRgbTest : public ::testing::TestWithParam<HsvToRgbCase> {};
TEST_P(HsvToRgbTest, Converts) {
    const HsvToRgbCase& c = GetParam();
    float hsv[3] = {c.hsv[0], c.hsv[1], c.hsv[2]};
    float rgb[3];
    HSVToRGB(rgb, hsv);
    ExpectVec3Near(rgb, c.rgb[0], c.rgb[1], c.rgb[2]);
    EXPECT_FLOAT_EQ(hsv[0], c.hueAfter);
}
INSTANTIATE_TEST_SUITE_P(Cases, HsvToRgbTest, ::testing::ValuesIn(kHsvToRgbCases), CaseName());

TEST(HsvToRgb, RoundTripsRgbToHsv) {
    std::srand(1);
    for (int i = 0; i < 1000; ++i) {
        const float rgb[3] = {RandSigned() * 0.5f + 0.5f, RandSigned() * 0.5f + 0.5f,
                              RandSigned() * 0.5f + 0.5f};
        float hsv[3], back[3];
        RGBToHSV(hsv, rgb);
        HSVToRGB(back, hsv);
        ExpectVec3Near(back, rgb[0], rgb[1], rgb[2], 1e-4f);
    }
}

// ---- clamp, random, timer, walk ----

struct ClampCase {
    const char* name;
    float v, max, min, want;
    bool clamped;
};
const ClampCase kClampCases[] = {
    {"Inside", 0.5f, 1, 0, 0.5f, false},
    {"AboveMax", 2, 1, 0, 1, true},
    {"BelowMin", -2, 1, 0, 0, true},
    {"EqualToMaxIsInside", 1, 1, 0, 1, false},
    {"MaxBelowMinEndsAtMin", 0.5f, 0, 1, 1, true},
};
class ClampFloatTest : public ::testing::TestWithParam<ClampCase> {};
TEST_P(ClampFloatTest, AppliesMaxThenMin) {
    const ClampCase& c = GetParam();
    float v = c.v;
    EXPECT_EQ(ClampFloat(&v, c.max, c.min), c.clamped);
    EXPECT_EQ(v, c.want);
}
INSTANTIATE_TEST_SUITE_P(Cases, ClampFloatTest, ::testing::ValuesIn(kClampCases), CaseName());

TEST(RandSigned, GivesEvenlySpacedValuesInMinusOneToOne) {
    std::srand(7);
    std::set<float> seen;
    float lowest = 1, highest = -1;
    for (int i = 0; i < 200000; ++i) {
        const float r = RandSigned();
        // Every value is a whole multiple of 1/16384 offset by -1.
        const float steps = (r + 1.0f) * 16384.0f;
        ASSERT_EQ(steps, std::floor(steps)) << r;
        seen.insert(r);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_GE(lowest, -1.0f);
    EXPECT_LE(highest, 32767.0f / 16384.0f - 1.0f);
    EXPECT_LT(lowest, -0.999f);
    EXPECT_GT(highest, 0.999f);
    EXPECT_GT(seen.size(), 30000u);  // nearly all of the 32768 values appear
}

RandomTimer MakeTimer(float remaining) {
    RandomTimer timer;
    timer.index = 1;
    timer.count = 2;
    timer.remaining = remaining;
    timer.min = 2.0f;
    timer.max = {5.0f, 50.0f};
    return timer;
}

TEST(RandomTimer, DoesNotFireOnTheTickThatRunsOut) {
    RandomTimer timer = MakeTimer(0.01f);
    EXPECT_FALSE(timer.Tick(20.0f));
    EXPECT_NEAR(timer.remaining, -0.01f, 1e-6f);
    EXPECT_EQ(timer.index, 1);
    EXPECT_TRUE(timer.Tick(20.0f));
}

TEST(RandomTimer, DrawsEveryStateWithDurationsWithinItsRange) {
    std::srand(3);
    int drawnPerState[2] = {0, 0};
    for (int i = 0; i < 2000; ++i) {
        RandomTimer timer = MakeTimer(0.0f);
        ASSERT_TRUE(timer.Tick(16.0f));
        ASSERT_GE(timer.index, 0);
        ASSERT_LT(timer.index, 2);
        ++drawnPerState[timer.index];
        EXPECT_GE(timer.remaining, timer.min);
        EXPECT_LT(timer.remaining, timer.max[static_cast<std::size_t>(timer.index)]);
    }
    EXPECT_GT(drawnPerState[0], 800);
    EXPECT_GT(drawnPerState[1], 800);
}

TEST(RandomWalkClamped, ValueAtMaximumStopsTheVelocity) {
    float value = 1.0f, velocity = 0.5f;
    RandomWalkClamped(&value, &velocity, 0.0f, -1.0f, 1.0f, -1.0f, 1.0f, 16.0f);
    EXPECT_EQ(value, 1.0f);
    EXPECT_EQ(velocity, 0.0f);
}

TEST(RandomWalkClamped, AdvancesByVelocityPerSecond) {
    float value = 0.0f, velocity = 2.0f;
    RandomWalkClamped(&value, &velocity, 0.0f, -5.0f, 5.0f, -10.0f, 10.0f, 250.0f);
    EXPECT_FLOAT_EQ(value, 0.5f);
    EXPECT_FLOAT_EQ(velocity, 2.0f);
}

TEST(RandomWalkClamped, StaysWithinBoundsOverManySteps) {
    std::srand(11);
    float value = 0.0f, velocity = 0.0f;
    for (int i = 0; i < 10000; ++i) {
        RandomWalkClamped(&value, &velocity, 0.3f, -0.7f, 0.9f, -2.0f, 3.0f, 16.0f);
        ASSERT_GE(value, -2.0f);
        ASSERT_LE(value, 3.0f);
        ASSERT_GE(velocity, -0.7f);
        ASSERT_LE(velocity, 0.9f);
    }
}

// ---- vectors ----

TEST(Vec3, ArithmeticTable) {
    const float a[3] = {1, 2, 3}, b[3] = {-4, 5, 0.5f};
    float out[3];
    Vec3Add(a, b, out);
    ExpectVec3Near(out, -3, 7, 3.5f);
    Vec3Sub(a, b, out);
    ExpectVec3Near(out, 5, -3, 2.5f);
    Vec3Cross(a, b, out);
    ExpectVec3Near(out, 2 * 0.5f - 3 * 5, 3 * -4 - 1 * 0.5f, 1 * 5 - 2 * -4);
    Vec3Scale(a, -2, out);
    ExpectVec3Near(out, -2, -4, -6);
    float length = 0;
    Vec3Length(b, &length);
    EXPECT_NEAR(length, std::sqrt(16 + 25 + 0.25f), kTolerance);
}

TEST(Vec3, OutputMayBeAnInput) {
    float a[3] = {1, 2, 3};
    const float b[3] = {1, 1, 1};
    Vec3Add(a, b, a);
    ExpectVec3Near(a, 2, 3, 4);
    Vec3Scale(a, 0.5f, a);
    ExpectVec3Near(a, 1, 1.5f, 2);
}

TEST(Vec3Normalize, ZeroVectorLeavesOutputUnchanged) {
    const float zero[3] = {0, 0, 0};
    float out[3] = {7, 8, 9};
    Vec3Normalize(zero, out);
    ExpectVec3Near(out, 7, 8, 9);
    const float v[3] = {3, 0, 4};
    Vec3Normalize(v, out);
    ExpectVec3Near(out, 0.6f, 0, 0.8f);
}

TEST(SphericalToCartesian, PolarAnglesTable) {
    struct Case {
        float in[3];
        float out[3];
    };
    const Case cases[] = {
        {{2, 0, kPi / 2}, {2, 0, 0}},
        {{2, kPi / 2, kPi / 2}, {0, 2, 0}},
        {{3, 1.0f, 0}, {0, 0, 3}},
    };
    for (const Case& c : cases) {
        float out[3];
        SphericalToCartesian(c.in, out);
        ExpectVec3Near(out, c.out[0], c.out[1], c.out[2]);
    }
}

// ---- matrices ----

// Double-precision row-vector product, the oracle for the float code.
void ReferenceMultiply(const float* a, const float* b, double* out) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += double(a[4 * r + k]) * b[4 * k + c];
            out[4 * r + c] = sum;
        }
}

TEST(Mat4Multiply, MatchesDoublePrecisionAndMayAliasEitherInput) {
    std::srand(5);
    for (int trial = 0; trial < 100; ++trial) {
        float a[16], b[16], ab[16];
        for (int i = 0; i < 16; ++i) {
            a[i] = RandSigned() * 10;
            b[i] = RandSigned() * 10;
        }
        double want[16];
        ReferenceMultiply(a, b, want);
        Mat4Multiply(a, b, ab);
        float lhs[16], rhs[16];
        std::copy_n(a, 16, lhs);
        Mat4Multiply(lhs, b, lhs);
        std::copy_n(b, 16, rhs);
        Mat4Multiply(a, rhs, rhs);
        for (int i = 0; i < 16; ++i) {
            EXPECT_NEAR(ab[i], want[i], 1e-3) << "trial " << trial << " element " << i;
            EXPECT_EQ(lhs[i], ab[i]) << i;
            EXPECT_EQ(rhs[i], ab[i]) << i;
        }
    }
}

TEST(Mat4RotateXYZ, QuarterTurnAboutYMapsXToMinusZ) {
    float m[16];
    for (float& e : m) e = 99;  // the old content must not matter
    Mat4RotateXYZ(m, 0, kPi / 2, 0);
    const float p[3] = {1, 0, 0};
    float out[3];
    Mat4TransformPoint(p, m, out);
    ExpectVec3Near(out, 0, 0, -1);

    float t[16], tr[16];
    Mat4Translation(t, 1, 0, 0);
    Mat4Multiply(t, m, tr);
    const float origin[3] = {0, 0, 0};
    Mat4TransformPoint(origin, tr, out);
    ExpectVec3Near(out, 0, 0, -1);
}

struct AxisCase {
    const char* name;
    float angles[3];
    float point[3];
    float want[3];
};
// Counter-clockwise quarter turns about each axis, as glRotatef turns them.
const AxisCase kAxisCases[] = {
    {"XTurnsYToZ", {kPi / 2, 0, 0}, {0, 1, 0}, {0, 0, 1}},
    {"YTurnsZToX", {0, kPi / 2, 0}, {0, 0, 1}, {1, 0, 0}},
    {"ZTurnsXToY", {0, 0, kPi / 2}, {1, 0, 0}, {0, 1, 0}},
    // x first, then y about the fixed axes: y -> z -> x
    {"XThenY", {kPi / 2, kPi / 2, 0}, {0, 1, 0}, {1, 0, 0}},
};
class Mat4RotateAxisTest : public ::testing::TestWithParam<AxisCase> {};
TEST_P(Mat4RotateAxisTest, TurnsCounterClockwise) {
    const AxisCase& c = GetParam();
    float m[16], out[3];
    Mat4RotateXYZ(m, c.angles[0], c.angles[1], c.angles[2]);
    Mat4TransformPoint(c.point, m, out);
    ExpectVec3Near(out, c.want[0], c.want[1], c.want[2]);
}
INSTANTIATE_TEST_SUITE_P(Cases, Mat4RotateAxisTest, ::testing::ValuesIn(kAxisCases), CaseName());

TEST(Mat4RotateZXY, AppliesZThenXThenY) {
    // z turns x to y, x turns y to z, y turns z to x.
    float m[16], out[3];
    Mat4RotateZXY(m, kPi / 2, kPi / 2, kPi / 2);
    const float p[3] = {1, 0, 0};
    Mat4TransformPoint(p, m, out);
    ExpectVec3Near(out, 1, 0, 0);
    // Compared with the product of single-axis matrices.
    float rx[16], ry[16], rz[16], want[16];
    Mat4RotateXYZ(rx, 0.3f, 0, 0);
    Mat4RotateXYZ(ry, 0, -0.7f, 0);
    Mat4RotateXYZ(rz, 0, 0, 1.1f);
    Mat4Multiply(rz, rx, want);
    Mat4Multiply(want, ry, want);
    Mat4RotateZXY(m, 0.3f, -0.7f, 1.1f);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], want[i], kTolerance) << i;
}

TEST(Mat4RotateAboutPivot, KeepsThePivotFixed) {
    const float pivot[3] = {10, -20, 5};
    float m[16], out[3];
    Mat4RotateAboutPivot(m, pivot, 0.4f, -1.2f, 2.0f);
    Mat4TransformPoint(pivot, m, out);
    ExpectVec3Near(out, 10, -20, 5, 1e-4f);
    // A point one unit off the pivot turns like the plain rotation does.
    const float offPivot[3] = {11, -20, 5}, unit[3] = {1, 0, 0};
    float r[16], turned[3];
    Mat4RotateXYZ(r, 0.4f, -1.2f, 2.0f);
    Mat4TransformPoint(unit, r, turned);
    Mat4TransformPoint(offPivot, m, out);
    ExpectVec3Near(out, 10 + turned[0], -20 + turned[1], 5 + turned[2], 1e-4f);
}

TEST(Mat4RotateByCross, UsesScaledCrossProductAsAngles) {
    const float a[3] = {0.1f, 0.2f, 0.0f}, b[3] = {0.0f, 0.3f, 0.4f};
    float c[3], m[16], want[16];
    Vec3Cross(a, b, c);
    Mat4RotateXYZ(want, c[0] * 1.6f, c[1] * 1.6f, c[2] * 1.6f);
    Mat4RotateByCross(m, a, b);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[i], want[i]) << i;
}

TEST(Mat4TransformPoint, IgnoresTheFourthColumn) {
    float m[16];
    Mat4Translation(m, 1, 2, 3);
    m[3] = 5;
    m[15] = 7;  // a projective part would divide; this transform does not
    const float p[3] = {1, 1, 1};
    float out[3];
    Mat4TransformPoint(p, m, out);
    ExpectVec3Near(out, 2, 3, 4);
}

TEST(DegToRad, UsesTheSevenDigitPi) {
    EXPECT_FLOAT_EQ(DegToRad(180), 3.1415927f);
    EXPECT_FLOAT_EQ(DegToRad(-90), -3.1415927f / 2);
}

}  // namespace
