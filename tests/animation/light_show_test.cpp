#include "animation/light_show.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>

#include <GL/gl.h>

#include "animation/light_object.h"
#include "animation/view_options.h"
#include "model/vec_math.h"
#include "tests/animation/scene_doubles.h"
#include "tests/support/case_name.h"
#include "tests/support/gl_context.h"

namespace {

constexpr float kFocus[3] = {0.0f, 1100.0f, 0.0f};

struct SpotStart {
    float x, y, z, hue, saturation;
};
// The club's spots as scene start-up places them.
constexpr SpotStart kSpotStarts[kSpotLightCount] = {
    {-2200, 2900, 3400, 0, 0},    {3050, 2900, 3300, 0, 1},   {6400, 2900, 3300, 180, 1},
    {-4400, 2900, -9100, 300, 1}, {2600, 2900, -9370, 90, 1},
};

// The seven lights of the club, made and applied as scene start-up does.
class LightShowScene : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        m_simple = std::make_unique<CLightObject>(GL_LIGHT7, 0.0f, 0.0f, 0.6f);
        m_main = std::make_unique<CLightObject>(GL_LIGHT6, 0.0f, 0.0f, 0.4f);
        m_simple->Apply();
        m_main->Apply();
        for (int i = 0; i < kSpotLightCount; ++i) {
            const SpotStart& s = kSpotStarts[i];
            m_spots[i] = std::make_unique<CSpotLightObject>(s.x, s.y, s.z, GL_LIGHT0 + i, s.hue,
                                                            s.saturation, 1.0f);
            m_spots[i]->Apply();
            SpotLights[i] = m_spots[i].get();
        }
        m_spots[0]->SetCutoff(50.0f);
        m_spots[0]->SetExponent(5.0f);
        SimpleLight = m_simple.get();
        MainLight = m_main.get();
        ActiveSpotCount = 3;
        SimpleLighting = 0;
        RenderEngine = 0;
        Paused = 0;
        AppliedSpotCount = ActiveSpotCount;
        AppliedSimpleLighting = SimpleLighting;
        LightShowTimer = kLightShowTimerStart;
        Spot0Attenuation = kSpot0StartAttenuation;
        DancerAmbient = kDancerStartAmbient;
    }
    void TearDown() override {
        SimpleLight = nullptr;
        MainLight = nullptr;
        SpotLights = {};
        SetViewStartValues();
        LightShowTimer = kLightShowTimerStart;
        GlFixture::TearDown();
    }

    void SetAllEnabled(bool on) {
        for (auto& spot : m_spots) on ? spot->Enable() : spot->Disable();
        on ? m_main->Enable() : m_main->Disable();
        on ? m_simple->Enable() : m_simple->Disable();
    }
    // Whether each light is on, spots 0 to 4, then main, then simple; checked against OpenGL.
    std::array<bool, 7> Switched() const {
        std::array<bool, 7> on{};
        for (int i = 0; i < kSpotLightCount; ++i) on[i] = m_spots[i]->IsEnabled() != 0;
        on[5] = m_main->IsEnabled() != 0;
        on[6] = m_simple->IsEnabled() != 0;
        const GLenum ids[7] = {GL_LIGHT0, GL_LIGHT1, GL_LIGHT2, GL_LIGHT3,
                               GL_LIGHT4, GL_LIGHT6, GL_LIGHT7};
        for (int i = 0; i < 7; ++i) EXPECT_EQ(glIsEnabled(ids[i]) != 0, on[i]) << "light " << i;
        return on;
    }

    PlacedDancer m_dancer{kFocus};
    ViewStateGuard m_view;
    std::unique_ptr<CLightObject> m_simple, m_main;
    std::array<std::unique_ptr<CSpotLightObject>, kSpotLightCount> m_spots;
};

struct SpotSnapshot {
    float hue, cutoff, aim[3];
};
SpotSnapshot Snapshot(const CSpotLightObject& spot) {
    return {spot.hue, spot.cutoff, {spot.position[0], spot.position[1], spot.position[2]}};
}
bool Moved(const SpotSnapshot& a, const SpotSnapshot& b) {
    return a.hue != b.hue && a.cutoff != b.cutoff && a.aim[0] != b.aim[0] && a.aim[1] != b.aim[1] &&
           a.aim[2] != b.aim[2];
}
bool Still(const SpotSnapshot& a, const SpotSnapshot& b) {
    return a.hue == b.hue && a.cutoff == b.cutoff && a.aim[0] == b.aim[0] && a.aim[1] == b.aim[1] &&
           a.aim[2] == b.aim[2];
}

TEST_F(LightShowScene, AllFourMovingSpotsDriftButOnlyTheSpotsInForceAreSwitchedBackOn) {
    ActiveSpotCount = 2;
    SetAllEnabled(false);
    m_spots[0]->SetAttenuation(3.0f);
    LightShowTimer.remaining = 0.0f;  // fires in this tick
    std::array<SpotSnapshot, kSpotLightCount> before;
    for (int i = 0; i < kSpotLightCount; ++i) before[i] = Snapshot(*m_spots[i]);
    std::srand(4);
    LightShowTick(16.0f);

    EXPECT_TRUE(Still(Snapshot(*m_spots[0]), before[0]));
    for (int i = 1; i < kSpotLightCount; ++i)
        EXPECT_TRUE(Moved(Snapshot(*m_spots[i]), before[i])) << i;
    const auto on = Switched();
    EXPECT_EQ(on, (std::array<bool, 7>{false, true, false, false, false, false, false}));
    float attenuation = 0.0f;
    glGetLightfv(GL_LIGHT0, GL_CONSTANT_ATTENUATION, &attenuation);
    EXPECT_FLOAT_EQ(attenuation, 1.6f);
    EXPECT_GE(LightShowTimer.remaining, 2.0f);
    EXPECT_LE(LightShowTimer.remaining, LightShowTimer.index == 0 ? 5.0f : 50.0f);
}

struct HoldCase {
    const char* name;
    int paused;
    int activeSpots;
    int simple;
    int engine;
    bool spotsMove;
};
constexpr HoldCase kHoldCases[] = {
    {"Paused", 1, 3, 0, 0, false},
    {"NoSpotsInForce", 0, 0, 0, 0, true},
    {"SimpleLightingInTheOpenGlEngine", 0, 3, 1, 0, true},
};

class LightShowHold : public LightShowScene, public ::testing::WithParamInterface<HoldCase> {};

TEST_P(LightShowHold, KeyValuesStayAtTheirStartAndTheTimerWaits) {
    const HoldCase c = GetParam();
    Paused = c.paused;
    ActiveSpotCount = c.activeSpots;
    SimpleLighting = c.simple;
    RenderEngine = c.engine;
    const RandomTimer timer = LightShowTimer;
    const SpotSnapshot before = Snapshot(*m_spots[1]);
    std::srand(4);
    for (int i = 0; i < 10; ++i) {
        Spot0Attenuation = 9.0f;
        DancerAmbient = 9.0f;
        LightShowTick(16.0f);
        EXPECT_EQ(Spot0Attenuation, 1.6f);
        EXPECT_EQ(DancerAmbient, 0.6f);
    }
    EXPECT_EQ(LightShowTimer.remaining, timer.remaining);
    EXPECT_EQ(LightShowTimer.index, timer.index);
    const SpotSnapshot after = Snapshot(*m_spots[1]);
    if (c.spotsMove)
        EXPECT_TRUE(Moved(after, before));
    else
        EXPECT_TRUE(Still(after, before));
}

INSTANTIATE_TEST_SUITE_P(Cases, LightShowHold, ::testing::ValuesIn(kHoldCases), CaseName());

using Switches = std::array<bool, 7>;  // spots 0 to 4, main, simple
struct ConfigCase {
    const char* name;
    int appliedSpots, appliedSimple;
    int activeSpots, simple, engine;
    Switches want;
};
constexpr bool T = true, F = false;
constexpr ConfigCase kConfigCases[] = {
    {"UnchangedSwitchesNothing", 3, 0, 3, 0, 0, {F, F, F, F, F, F, F}},
    {"FiveSpotsDownToThree", 5, 0, 3, 0, 0, {T, T, T, F, F, T, F}},
    {"OneSpotLeavesOnlyTheKeySpot", 3, 0, 1, 0, 0, {T, F, F, F, F, T, F}},
    {"SimpleLightingOnInTheOpenGlEngine", 3, 0, 3, 1, 0, {F, F, F, F, F, F, T}},
    // The ray tracer has no simple lighting: the main light and the spots stay.
    {"SimpleLightingOnInTheRayTracer", 3, 0, 3, 1, 2, {T, T, T, F, F, T, F}},
    {"SimpleLightingOff", 3, 1, 4, 0, 0, {T, T, T, T, F, T, F}},
};

class LightConfig : public LightShowScene, public ::testing::WithParamInterface<ConfigCase> {};

TEST_P(LightConfig, SwitchesOnlyAfterAChange) {
    const ConfigCase c = GetParam();
    SetAllEnabled(false);
    AppliedSpotCount = c.appliedSpots;
    AppliedSimpleLighting = c.appliedSimple;
    ActiveSpotCount = c.activeSpots;
    SimpleLighting = c.simple;
    RenderEngine = c.engine;
    ApplyLightConfig();
    EXPECT_EQ(Switched(), c.want);
    EXPECT_EQ(AppliedSpotCount, c.activeSpots);
    EXPECT_EQ(AppliedSimpleLighting, c.simple);
}

INSTANTIATE_TEST_SUITE_P(Cases, LightConfig, ::testing::ValuesIn(kConfigCases), CaseName());

// Ten minutes at random frame steps: the moving spots keep valid colours, cones and aims.
TEST_F(LightShowScene, TenMinutesKeepColoursConesAndAimsAtTheDancer) {
    ActiveSpotCount = 5;
    std::srand(1);
    std::mt19937 steps(3);
    std::uniform_real_distribution<float> step(5.0f, 60.0f);
    double time = 0;
    int firings = 0;
    float hueMin[kSpotLightCount], hueMax[kSpotLightCount];
    for (int i = 0; i < kSpotLightCount; ++i) hueMin[i] = hueMax[i] = m_spots[i]->hue;
    while (time < 600000.0) {
        const float dt = step(steps);
        if (LightShowTimer.remaining <= 0.0f) ++firings;
        LightShowTick(dt);
        time += dt;
        for (int i = 1; i < kSpotLightCount; ++i) {
            const CSpotLightObject& spot = *m_spots[i];
            ASSERT_GE(spot.hue, 0.0f) << "spot " << i << " at " << time;
            ASSERT_LT(spot.hue, 360.0f) << "spot " << i << " at " << time;
            hueMin[i] = std::fmin(hueMin[i], spot.hue);
            hueMax[i] = std::fmax(hueMax[i], spot.hue);
            float rgb[3];
            spot.GetColor(rgb);
            float top = 0.0f, bottom = 1.0f;
            for (float channel : rgb) {
                ASSERT_GE(channel, 0.0f);
                ASSERT_LE(channel, 1.0f);
                top = std::fmax(top, channel);
                bottom = std::fmin(bottom, channel);
            }
            ASSERT_EQ(top, 1.0f);     // full value
            ASSERT_EQ(bottom, 0.0f);  // full saturation
            ASSERT_GE(spot.GetCutoff(), 1.0f);
            ASSERT_LE(spot.GetCutoff(), 10.0f);

            float aim[3], unit[3], aimed[3];
            spot.GetDirection(aim);
            Vec3Normalize(aim, unit);
            float length = 0.0f;
            Vec3Length(unit, &length);
            ASSERT_NEAR(length, 1.0f, 1e-5f);
            Vec3Sub(kFocus, spot.spotPosition, aimed);
            aimed[1] -= 1000.0f;
            for (int k = 0; k < 3; ++k) ASSERT_LE(std::fabs(aim[k] - aimed[k]), 3500.0f);
        }
    }
    for (int i = 1; i < kSpotLightCount; ++i)
        EXPECT_GT(hueMax[i] - hueMin[i], 20.0f) << i;  // the colours keep changing
    // Shots of 2 to 5 or 2 to 50 seconds, each state drawn half the time.
    EXPECT_GE(firings, 600 / 50);
    EXPECT_LE(firings, 600 / 2);
}

}  // namespace
