#include "animation/vr_camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/case_name.h"

namespace {

double Length(const float* v) {
    return std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]);
}

TEST(VrCamera, StartsAt625UnitsHighLookingDownMinusZTiltedBy10Degrees) {
    const CVRCamera camera;
    float eye[3], forward[3], up[3];
    camera.GetEyeVectors(eye, forward, up);
    EXPECT_EQ(eye[0], 0.0f);
    EXPECT_EQ(eye[1], 625.0f);
    EXPECT_EQ(eye[2], 5000.0f);
    EXPECT_NEAR(Length(forward), 1.0, 1e-6);
    EXPECT_NEAR(Length(up), 1.0, 1e-6);
    EXPECT_NEAR(forward[0], 0.0f, 1e-7f);
    EXPECT_NEAR(std::acos(-forward[2]), 10.0 * 3.14159265358979 / 180.0, 1e-5);
    EXPECT_NEAR(forward[0] * up[0] + forward[1] * up[1] + forward[2] * up[2], 0.0f, 1e-6f);
    EXPECT_EQ(camera.fov, 25.3125f);
}

struct HeightCase {
    const char* name;
    float height;
    float wantY;
};
constexpr HeightCase kHeightCases[] = {
    {"Inside", 1000.0f, 1625.0f},
    {"AboveTheCeilingLimit", 5000.0f, 2900.0f},
    {"BelowTheFloor", -3000.0f, -975.0f},
};

class VrCameraHeight : public ::testing::TestWithParam<HeightCase> {};

TEST_P(VrCameraHeight, EyeHeightIsClampedToTheClub) {
    CVRCamera camera;
    camera.height = GetParam().height;
    float eye[3], forward[3], up[3];
    camera.GetEyeVectors(eye, forward, up);
    EXPECT_EQ(eye[1], GetParam().wantY);
}

INSTANTIATE_TEST_SUITE_P(Cases, VrCameraHeight, ::testing::ValuesIn(kHeightCases), CaseName());

TEST(VrCamera, YawOffsetTurnsTheViewAboutTheVertical) {
    CVRCamera camera;
    camera.pitch = 0.0f;
    camera.yaw = 0.3f;
    camera.yawOffset = 0.2f;
    float eye[3], forward[3], up[3];
    camera.GetEyeVectors(eye, forward, up);
    EXPECT_NEAR(forward[1], 0.0f, 1e-6f);
    EXPECT_NEAR(std::atan2(std::fabs(forward[0]), -forward[2]), 0.5, 1e-5);
    EXPECT_NEAR(up[1], 1.0f, 1e-6f);
}

}  // namespace
