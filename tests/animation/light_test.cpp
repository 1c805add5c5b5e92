#include "animation/light_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include <GL/gl.h>

#include "model/vec_math.h"
#include "tests/animation/scene_doubles.h"
#include "tests/support/case_name.h"
#include "tests/support/gl_context.h"

namespace {

constexpr float kFocus[3] = {0.0f, 1100.0f, 0.0f};

std::array<float, 4> LightVector(GLenum light, GLenum name) {
    std::array<float, 4> v{};
    glGetLightfv(light, name, v.data());
    return v;
}

float LightValue(GLenum light, GLenum name) {
    float v = 0.0f;
    glGetLightfv(light, name, &v);
    return v;
}

void ExpectDiffuse(const CLightObject& light) {
    const auto diffuse = LightVector(light.lightId, GL_DIFFUSE);
    EXPECT_FLOAT_EQ(diffuse[0], light.red);
    EXPECT_FLOAT_EQ(diffuse[1], light.green);
    EXPECT_FLOAT_EQ(diffuse[2], light.blue);
    EXPECT_FLOAT_EQ(diffuse[3], 1.0f);
}

// A seed and a frame step whose first RandSigned() moves a hue by exactly `drift` degrees.
float StepForHueDrift(unsigned seed, float drift) {
    std::srand(seed);
    const float r = RandSigned();
    std::srand(seed);
    return drift / (r * 0.025f);
}

class LightGl : public GlFixture {};

TEST_F(LightGl, SetKeepsHsvAndRgbTogetherWithoutTouchingOpenGl) {
    CLightObject light(GL_LIGHT6, 120.0f, 1.0f, 0.5f);
    EXPECT_FLOAT_EQ(light.red, 0.0f);
    EXPECT_FLOAT_EQ(light.green, 0.5f);
    EXPECT_FLOAT_EQ(light.blue, 0.0f);
    EXPECT_EQ(light.position[0], 1.0f);
    EXPECT_EQ(light.position[1], 0.0f);
    EXPECT_EQ(light.IsEnabled(), 1);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT6));
    light.Apply();
    ExpectDiffuse(light);
    light.Enable();
    EXPECT_TRUE(glIsEnabled(GL_LIGHT6));
    light.Disable();
    EXPECT_FALSE(glIsEnabled(GL_LIGHT6));
    EXPECT_EQ(light.IsEnabled(), 0);
}

TEST_F(LightGl, GreyColourAndBackRestoresTheLight) {
    CLightObject light(GL_LIGHT1, 300.0f, 1.0f, 1.0f);
    float saved[3];
    light.GetColor(saved);
    const float grey[3] = {0.3f, 0.3f, 0.3f};
    light.SetColor(grey);
    EXPECT_EQ(light.saturation, 0.0f);
    EXPECT_FLOAT_EQ(light.value, 0.3f);
    ExpectDiffuse(light);
    light.SetColor(saved);
    EXPECT_FLOAT_EQ(light.hue, 300.0f);
    EXPECT_FLOAT_EQ(light.saturation, 1.0f);
    EXPECT_FLOAT_EQ(light.value, 1.0f);
    ExpectDiffuse(light);
}

TEST_F(LightGl, PlainLightIsDirectionalAndSpotIsPositional) {
    PlacedDancer dancer(kFocus);
    CLightObject main(GL_LIGHT6, 0.0f, 0.0f, 0.4f);
    const float direction[3] = {2200.0f, -1000.0f, -3400.0f};
    main.SetPosition(direction);
    main.ApplyPosition();
    const auto mainPosition = LightVector(GL_LIGHT6, GL_POSITION);
    EXPECT_EQ(mainPosition[3], 0.0f);
    EXPECT_FLOAT_EQ(mainPosition[0], 2200.0f);

    CSpotLightObject spot(3050.0f, 2900.0f, 3300.0f, GL_LIGHT1, 0.0f, 1.0f, 1.0f);
    spot.ApplyPosition();
    const auto spotPosition = LightVector(GL_LIGHT1, GL_POSITION);
    EXPECT_EQ(spotPosition[3], 1.0f);
    EXPECT_FLOAT_EQ(spotPosition[0], 3050.0f);
    EXPECT_FLOAT_EQ(spotPosition[2], 3300.0f);
}

TEST_F(LightGl, SpotApplyAimsBelowTheDancerWithANarrowCone) {
    PlacedDancer dancer(kFocus);
    CSpotLightObject spot(-4400.0f, 2900.0f, -9100.0f, GL_LIGHT3, 300.0f, 1.0f, 1.0f);
    spot.Apply();
    EXPECT_FLOAT_EQ(LightValue(GL_LIGHT3, GL_CONSTANT_ATTENUATION), 1.6f);
    EXPECT_EQ(LightValue(GL_LIGHT3, GL_LINEAR_ATTENUATION), 0.0f);
    EXPECT_EQ(LightValue(GL_LIGHT3, GL_QUADRATIC_ATTENUATION), 0.0f);
    EXPECT_EQ(LightValue(GL_LIGHT3, GL_SPOT_CUTOFF), 6.0f);
    EXPECT_EQ(LightValue(GL_LIGHT3, GL_SPOT_EXPONENT), 1.0f);
    EXPECT_EQ(spot.GetCutoff(), 6.0f);
    ExpectDiffuse(spot);
    float aim[3];
    spot.GetDirection(aim);
    EXPECT_FLOAT_EQ(aim[0], 4400.0f);
    EXPECT_FLOAT_EQ(aim[1], 1100.0f - 2900.0f - 1000.0f);
    EXPECT_FLOAT_EQ(aim[2], 9100.0f);

    spot.ApplyDirection();
    float unit[3];
    Vec3Normalize(aim, unit);
    const auto applied = LightVector(GL_LIGHT3, GL_SPOT_DIRECTION);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(applied[i], unit[i], 1e-6f) << i;
    spot.GetDirection(aim);
    EXPECT_FLOAT_EQ(aim[0], 4400.0f);  // the stored aim stays unnormalised
}

struct HueCase {
    const char* name;
    float hue;
    float drift;
    float want;
};
constexpr HueCase kHueCases[] = {
    {"WrapsPast360", 359.99f, 0.02f, 0.01f},
    {"WrapsBelowZero", 0.01f, -0.02f, 359.99f},
    {"DriftsInside", 180.0f, 5.0f, 185.0f},
};

class SpotHue : public LightGl, public ::testing::WithParamInterface<HueCase> {};

TEST_P(SpotHue, HueDriftWrapsIntoTheCircleAndRecolours) {
    const HueCase c = GetParam();
    CSpotLightObject spot(0.0f, 2900.0f, 0.0f, GL_LIGHT2, c.hue, 1.0f, 1.0f);
    const float dt = StepForHueDrift(5, c.drift);
    spot.AnimateColor(dt);
    EXPECT_NEAR(spot.hue, c.want, 2e-3f);
    float hsv[3] = {spot.hue, 1.0f, 1.0f}, rgb[3];
    HSVToRGB(rgb, hsv);
    EXPECT_FLOAT_EQ(spot.red, rgb[0]);
    EXPECT_FLOAT_EQ(spot.green, rgb[1]);
    EXPECT_FLOAT_EQ(spot.blue, rgb[2]);
    ExpectDiffuse(spot);
}

INSTANTIATE_TEST_SUITE_P(Cases, SpotHue, ::testing::ValuesIn(kHueCases), CaseName());

class SpotCutoff : public LightGl, public ::testing::WithParamInterface<float> {};

TEST_P(SpotCutoff, ConeStaysBetween1And10DegreesWhateverTheStep) {
    const float dt = GetParam();
    std::srand(3);
    CSpotLightObject spot(0.0f, 2900.0f, 0.0f, GL_LIGHT2, 0.0f, 1.0f, 1.0f);
    spot.SetCutoff(6.0f);
    for (int i = 0; i < 2000; ++i) {
        spot.AnimateCutoff(dt);
        ASSERT_GE(spot.GetCutoff(), 1.0f) << "step " << i;
        ASSERT_LE(spot.GetCutoff(), 10.0f) << "step " << i;
    }
    EXPECT_EQ(LightValue(GL_LIGHT2, GL_SPOT_CUTOFF), spot.GetCutoff());
}

INSTANTIATE_TEST_SUITE_P(Steps, SpotCutoff, ::testing::Values(0.0f, 16.0f, 1000.0f, 1.0e6f));

struct AimCase {
    const char* name;
    int axis;
    float offset;  // of the aim from the point below the dancer
    float wantSpeed;
};
constexpr AimCase kAimCases[] = {
    // Clamped at the box, the speed is zeroed and then takes one pull back.
    {"XBeyondTheBox", 0, 5000.0f, -20.0f},
    {"XBelowTheBox", 0, -5000.0f, 20.0f},
    {"YBelowTheBox", 1, -5000.0f, 10.0f},
    {"ZBeyondTheBox", 2, 5000.0f, -20.0f},
};

class SpotAim : public LightGl, public ::testing::WithParamInterface<AimCase> {};

TEST_P(SpotAim, AimLeavingItsBoxIsHeldAtTheEdgeAndPulledBack) {
    const AimCase c = GetParam();
    PlacedDancer dancer(kFocus);
    CSpotLightObject spot(2600.0f, 2900.0f, -9370.0f, GL_LIGHT4, 90.0f, 1.0f, 1.0f);
    spot.Apply();
    float aimed[3];
    spot.GetDirection(aimed);
    spot.position[c.axis] += c.offset;
    spot.AnimateAim(16.0f);
    const float edge = aimed[c.axis] + (c.offset > 0 ? 3500.0f : -3500.0f);
    EXPECT_FLOAT_EQ(spot.position[c.axis], edge);
    EXPECT_EQ(spot.aimVelocity[c.axis], c.wantSpeed);
}

INSTANTIATE_TEST_SUITE_P(Cases, SpotAim, ::testing::ValuesIn(kAimCases), CaseName());

TEST_F(LightGl, AimIsDrawnToTheDancerWhenSheMoves) {
    PlacedDancer dancer(kFocus);
    std::srand(9);
    CSpotLightObject spot(6400.0f, 2900.0f, 3300.0f, GL_LIGHT2, 180.0f, 1.0f, 1.0f);
    spot.Apply();
    const float moved[3] = {-3000.0f, 1100.0f, -6000.0f};
    dancer.MoveFocusTo(moved);
    float aimed[3];
    Vec3Sub(moved, spot.spotPosition, aimed);
    aimed[1] -= 1000.0f;
    double meanOffset[3] = {0, 0, 0};
    const int steps = 3750;  // a minute at 16 ms
    for (int i = 0; i < steps; ++i) {
        spot.AnimateAim(16.0f);
        for (int k = 0; k < 3; ++k) meanOffset[k] += std::fabs(spot.position[k] - aimed[k]) / steps;
    }
    // Left alone in its box the aim would wander about half the box away; the pull keeps it
    // close, although it starts up to a box's width off.
    for (int k = 0; k < 3; ++k) EXPECT_LT(meanOffset[k], 1000.0) << k;
}

}  // namespace
