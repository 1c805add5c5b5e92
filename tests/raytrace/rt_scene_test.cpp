// The ray tracer on the generated club and dancer: small pictures drawn headless, compared
// with each other and with the OpenGL engine's frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "animation/human_object.h"
#include "animation/view_options.h"
#include "animation/view_state.h"
#include "model/noise_table.h"
#include "platform/rt/rt_test.h"
#include "raytrace/rt_context.h"
#include "raytrace/rt_frame.h"
#include "raytrace/rt_host.h"
#include "raytrace/rt_install.h"
#include "raytrace/rt_scene.h"
#include "raytrace/rt_update.h"
#include "model/vec_math.h"
#include "render/eye_render.h"
#include "render/planar_shadows.h"
#include "render/scene_state.h"
#include "tests/render/render_fixture.h"
#include "tests/support/case_name.h"

using namespace raytrace;

namespace {

// Where a set of pixels lies; empty when none.
struct Box {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    bool Empty() const { return x1 < x0; }
    void Add(int x, int y) {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    }
};

// The pixels that differ clearly between two pictures of kWidth x kHeight, 4 bytes a pixel.
Box Differences(const Image& a, const Image& b, int width) {
    Box box;
    for (std::size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4) {
        if (ColorDistance(&a[i], &b[i]) > 24) {
            box.Add(static_cast<int>(i / 4) % width, static_cast<int>(i / 4) / width);
        }
    }
    return box;
}

// Distinct colours among the pixels where a differs from b.
std::size_t Distinct(const Image& a, const Image& b) {
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i + 3 < a.size(); i += 4) {
        if (ColorDistance(&a[i], &b[i]) > 24) colours.insert(a[i] | a[i + 1] << 8 | a[i + 2] << 16);
    }
    return colours.size();
}

int Brightness(const std::uint8_t* p) { return p[0] + p[1] + p[2]; }

// The ray tracer started as the engine on the generated scene, its switches at the fixture's.
class RtSceneTest : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        m_noise = NoiseValues(1024);
        RtHost = RtHostState{&RayTracingAvailable, &RenderEngine, &m_noise, nullptr,
                             &m_shadows, &m_reflections, &m_textures3D};
        m_liveBefore = rtTestLiveObjectCount();
        StartEngine();
        TickFrames(3);  // the frame has handed over its camera and lights
    }
    void TearDown() override {
        RtShutdown();
        RenderEngine = kOpenGlEngine;
        RayTracingAvailable = 0;
        RtHost = RtHostState{};
        EXPECT_EQ(rtTestLiveObjectCount(), m_liveBefore) << "the ray tracer left objects alive";
        ShowClub = 1;
        ToonShading = 0;
        SceneFixture::TearDown();
    }
    void StartEngine() {
        RayTracingAvailable = 1;
        ASSERT_EQ(RtStart(), 0) << "see rt_error_report.txt in the run folder";
        RenderEngine = kRayTracerEngine;
        InstallRtFrameHooks();
    }
    // The picture of the current camera with the switches as they are now, bottom row first,
    // blue, green, red, alpha.
    Image Render() {
        RtUpdateLights(FrameLightSet);
        RtUpdateSpotLights(FrameLightSet);
        RtUpdateCamera(RtCameraParams);
        RtUpdateDancer();
        RtLaunch();
        Image out(static_cast<std::size_t>(kWidth) * kHeight * 4);
        void* data = nullptr;
        if (rtBufferMap(RtState.outputBuffer, &data) == RT_SUCCESS && data) {
            std::memcpy(out.data(), data, out.size());
        }
        rtBufferUnmap(RtState.outputBuffer);
        return out;
    }
    // Looks at a point from 2500 units in front of it and 800 above.
    void LookAt(const float* target) {
        RtCameraRecord& c = RtCameraParams;
        const float eye[3] = {target[0], target[1] + 800.0f, target[2] + 2500.0f};
        float d[3] = {target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
        const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        for (int k = 0; k < 3; ++k) {
            c.position[k] = eye[k];
            c.direction[k] = d[k] / len;
        }
        // Up perpendicular to the direction, in the plane of y.
        c.up[0] = 0;
        c.up[1] = d[2] * d[2] / len / len + d[0] * d[0] / len / len;
        c.up[2] = -c.direction[1] * c.direction[2];
        const float upLen = std::sqrt(c.up[1] * c.up[1] + c.up[2] * c.up[2]);
        c.up[1] /= upLen;
        c.up[2] /= upLen;
        c.fovScale = std::tan(30.0f * 3.1415927f / 360.0f);
        c.aspectRatio = static_cast<float>(kWidth) / kHeight;
    }

    std::vector<float> m_noise;
    int m_shadows = 1;
    int m_reflections = 1;
    int m_textures3D = 1;
    long m_liveBefore = 0;
};

TEST_F(RtSceneTest, TheClubFillsThePictureAndHidingItLeavesTheFloorOnWhite) {
    const Image club = Render();
    ShowClub = 0;
    RtShowClub(0);
    const Image floor = Render();
    const int clubWhite = CountPixels(club, kWidth, 0, 0, kWidth, kHeight, IsWhite);
    const int floorWhite = CountPixels(floor, kWidth, 0, 0, kWidth, kHeight, IsWhite);
    // With the club, the room closes the view; without it the white sky shows above the floor.
    EXPECT_LT(clubWhite, kWidth * kHeight / 20);
    EXPECT_GT(floorWhite, kWidth * kHeight / 4);
    EXPECT_GT(DifferingPixels(club, floor), kWidth * kHeight / 4);
    // And back: the same picture as before.
    ShowClub = 1;
    RtShowClub(1);
    EXPECT_EQ(Render(), club);
}

struct PropCase {
    std::string name;
    PropSlot slot;
    RtSceneObject RtSceneRecords::*record;
};

class RtPropTest : public RtSceneTest, public ::testing::WithParamInterface<PropCase> {};

TEST_P(RtPropTest, HiddenThroughItsSelectorItDisappears) {
    const CModelObject* prop = PropModels[GetParam().slot];
    ASSERT_NE(prop, nullptr);
    float at[3];
    prop->GetPosition(at, 0);
    LookAt(at);
    const Image shown = Render();
    RtShowRecord(RtRecords.*GetParam().record, 0);
    const Image hidden = Render();
    const Box gone = Differences(shown, hidden, kWidth);
    ASSERT_FALSE(gone.Empty()) << "hiding the prop changed nothing";
    // What went is around the middle of the view, where the prop stands.
    EXPECT_LE(gone.x0, kWidth / 2);
    EXPECT_GE(gone.x1, kWidth / 2);
    RtShowRecord(RtRecords.*GetParam().record, 1);
    EXPECT_EQ(Render(), shown);
}

INSTANTIATE_TEST_SUITE_P(
    Props, RtPropTest,
    ::testing::Values(PropCase{"TableSet4", kSlotTable4, &RtSceneRecords::tableSet4},
                      PropCase{"Stool", kSlotStool, &RtSceneRecords::stool},
                      PropCase{"Booth", kSlotBooth, &RtSceneRecords::booth},
                      PropCase{"TableGame", kSlotTableGame, &RtSceneRecords::tableGame}),
    CaseName{});

TEST_F(RtSceneTest, ShadowsOnlyDarkenAndDarkenTheFloorUnderTheDancer) {
    ShowClub = 0;
    RtShowClub(0);
    const float feet[3] = {0, 0, 0};
    LookAt(feet);
    m_shadows = 0;
    const Image open = Render();
    m_shadows = 1;
    const Image shadowed = Render();
    int darker = 0;
    int brighter = 0;
    for (std::size_t i = 0; i + 3 < open.size(); i += 4) {
        const int change = Brightness(&shadowed[i]) - Brightness(&open[i]);
        darker += change < -24;
        brighter += change > 0;
    }
    EXPECT_GT(darker, 50) << "no shadow anywhere";
    EXPECT_EQ(brighter, 0) << "a shadow ray made a pixel brighter";
}

// A world point's place in the current camera's picture as the camera program casts its rays:
// the byte offset of its pixel, or -1 when it lies outside the picture.
long PixelOfPoint(const RtCameraRecord& c, const float* p, int width, int height) {
    float side[3];
    Vec3Cross(c.direction, c.up, side);
    float along = 0, across = 0, up = 0;
    for (int k = 0; k < 3; ++k) {
        const float v = p[k] - c.position[k];
        along += v * c.direction[k];
        across += v * side[k];
        up += v * c.up[k];
    }
    if (along <= 0) return -1;
    const int x = static_cast<int>(std::floor((across / along / (c.fovScale * c.aspectRatio) + 1) / 2 * width));
    const int y = static_cast<int>(std::floor((up / along / c.fovScale + 1) / 2 * height));
    if (x < 1 || y < 1 || x >= width - 1 || y >= height - 1) return -1;
    return 4L * (static_cast<long>(y) * width + x);
}

// The summed brightness of the 3 x 3 pixels around a pixel, against texture grain.
int BrightnessAround(const Image& image, long at, int width) {
    int sum = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) sum += Brightness(&image[at + 4L * (dy * width + dx)]);
    }
    return sum;
}

TEST_F(RtSceneTest, WithTheClubShownTheKeySpotLightsItsPoolAndHerShadowFallsInIt) {
    ASSERT_EQ(ShowClub, 1);
    // Spot 0 alone: it stands still, white, and aims below her.
    for (int i = 1; i < 5; ++i) FrameLightSet.spotOn[i] = 0;
    float light[3], focus[3];
    for (int k = 0; k < 3; ++k) {
        light[k] = FrameLightSet.spotPosition[0][k] + 200.0f * FrameLightSet.spotDirection[0][k];
    }
    Dancer->GetFocusPoint(focus);
    // Her chest's shadow on the dance floor, and a floor point beside it, both in the beam.
    const float* floor = FloorShadowPlane;
    float way[3];
    for (int k = 0; k < 3; ++k) way[k] = focus[k] - light[k];
    const float t = -(floor[0] * light[0] + floor[1] * light[1] + floor[2] * light[2] + floor[3]) /
                    (floor[0] * way[0] + floor[1] * way[1] + floor[2] * way[2]);
    const float shadow[3] = {light[0] + t * way[0], light[1] + t * way[1], light[2] + t * way[2]};
    const float across = 600.0f / std::sqrt(way[0] * way[0] + way[2] * way[2]);
    const float beside[3] = {shadow[0] - way[2] * across, shadow[1], shadow[2] + way[0] * across};
    LookAt(shadow);
    const long inShadow = PixelOfPoint(RtCameraParams, shadow, kWidth, kHeight);
    const long inPool = PixelOfPoint(RtCameraParams, beside, kWidth, kHeight);
    ASSERT_GE(inShadow, 0);
    ASSERT_GE(inPool, 0);

    const Image lit = Render();
    m_shadows = 0;
    const Image unshadowed = Render();
    m_shadows = 1;
    FrameLightSet.spotOn[0] = 0;
    const Image dark = Render();

    constexpr int kClearly = 9 * 30;  // 30 levels of the three channels over the 3 x 3 pixels
    EXPECT_GT(BrightnessAround(lit, inPool, kWidth) - BrightnessAround(dark, inPool, kWidth), kClearly)
        << "the spot lights no pool";
    EXPECT_EQ(BrightnessAround(lit, inPool, kWidth), BrightnessAround(unshadowed, inPool, kWidth))
        << "something shadows the spot's own beam";
    EXPECT_GT(BrightnessAround(unshadowed, inShadow, kWidth) - BrightnessAround(dark, inShadow, kWidth), kClearly)
        << "her shadow's place is not in the pool";
    EXPECT_GT(BrightnessAround(lit, inPool, kWidth) - BrightnessAround(lit, inShadow, kWidth), kClearly)
        << "no shadow of her in the pool";
}

TEST_F(RtSceneTest, ToonShadingQuantisesTheDancerOnly) {
    ShowClub = 0;
    RtShowClub(0);
    const Image plain = Render();
    ToonShading = 1;
    const Image toon = Render();
    RtShowRecord(RtRecords.dancer, 0);
    const Image noDancer = Render();
    const Box dancer = Differences(plain, noDancer, kWidth);
    const Box toonChange = Differences(plain, toon, kWidth);
    ASSERT_FALSE(dancer.Empty());
    ASSERT_FALSE(toonChange.Empty());
    EXPECT_GE(toonChange.x0, dancer.x0);
    EXPECT_LE(toonChange.x1, dancer.x1);
    EXPECT_GE(toonChange.y0, dancer.y0);
    EXPECT_LE(toonChange.y1, dancer.y1);
    // Flat bands: far fewer shades on her than smooth shading gives.
    EXPECT_LT(3 * Distinct(toon, noDancer), 2 * Distinct(plain, noDancer));
}

// Run under the race checker as well: the launch's workers and the engine's start-up.
class ThreadedRtScene : public RtSceneTest {};

TEST_F(ThreadedRtScene, ThePictureIsTheSameForOneAndEightThreads) {
    Image byThreads[2];
    const char* counts[2] = {"1", "8"};
    for (int k = 0; k < 2; ++k) {
        RtShutdown();
        setenv("VM_RT_THREADS", counts[k], 1);
        StartEngine();
        byThreads[k] = Render();
    }
    unsetenv("VM_RT_THREADS");
    EXPECT_EQ(byThreads[0], byThreads[1]);
    EXPECT_GT(DifferingPixels(byThreads[0], Image(byThreads[0].size(), 0)), kWidth * kHeight / 2);
}

TEST_F(RtSceneTest, TheDancersOutlineAgreesWithTheOpenGlFrame) {
    // The floor alone on white and no shadows: only the dancer differs when she goes.
    ShowClub = 0;
    RtShowClub(0);
    RenderShadows = 0;
    m_shadows = 0;
    RenderEngine = kOpenGlEngine;
    RenderFrame(0);  // the white clear takes effect from the next frame on
    RenderFrame(0);
    const Image glWith = m_context->ReadRgba();
    DancerLoaded = 0;
    RenderFrame(0);
    const Image glWithout = m_context->ReadRgba();
    DancerLoaded = 1;
    RenderShadows = 1;
    RenderEngine = kRayTracerEngine;
    const Image rtWith = Render();
    RtShowRecord(RtRecords.dancer, 0);
    const Image rtWithout = Render();
    const Box gl = Differences(glWith, glWithout, kWidth);
    const Box rt = Differences(rtWith, rtWithout, kWidth);
    ASSERT_FALSE(gl.Empty());
    ASSERT_FALSE(rt.Empty());
    constexpr int kSlack = 3;  // pixels: edges rasterise and trace a little apart
    EXPECT_NEAR(rt.x0, gl.x0, kSlack);
    EXPECT_NEAR(rt.x1, gl.x1, kSlack);
    EXPECT_NEAR(rt.y0, gl.y0, kSlack);
    EXPECT_NEAR(rt.y1, gl.y1, kSlack);
}

TEST_F(RtSceneTest, ADancerChangeRebuildsOnlyTheDancerAndLeaksNothing) {
    unsigned children = 0;
    rtGroupGetChildCount(RtScene.topGroup, &children);
    const long live = rtTestLiveObjectCount();
    const RTselector club = RtScene.clubSelector;
    const RTgroup tableGroup = RtRecords.tableSet4.modelGroup;
    for (const int dancer : {1, 0}) {
        RequestedDancer = dancer;
        TickFrames(1);
        ASSERT_EQ(DancerLoaded, 1);
        unsigned now = 0;
        rtGroupGetChildCount(RtScene.topGroup, &now);
        EXPECT_EQ(now, children);
        EXPECT_EQ(RtScene.dancerChild, static_cast<int>(children) - 1);
    }
    EXPECT_EQ(rtTestLiveObjectCount(), live);
    EXPECT_EQ(RtScene.clubSelector, club);
    EXPECT_EQ(RtRecords.tableSet4.modelGroup, tableGroup);
    // An add without a remove replaces the dancer rather than adding a second.
    RtAddDancer();
    EXPECT_EQ(rtTestLiveObjectCount(), live);
    // Without a dancer the slot goes and the scene still draws.
    RtRemoveDancer();
    unsigned without = 0;
    rtGroupGetChildCount(RtScene.topGroup, &without);
    EXPECT_EQ(without, children - 1);
    RtLaunch();
    EXPECT_EQ(RayTracingAvailable, 1);
    // A change that left no dancer leaves no empty slot either.
    CHumanObject* const dancer = Dancer;
    Dancer = nullptr;
    RtAddDancer();
    Dancer = dancer;
    rtGroupGetChildCount(RtScene.topGroup, &without);
    EXPECT_EQ(without, children - 1);
    RtAddDancer();
    rtGroupGetChildCount(RtScene.topGroup, &without);
    EXPECT_EQ(without, children);
}

// What the frame hands the ray tracer, counted per tick.
struct EyeCalls {
    int lights = 0, spots = 0, dancer = 0, launches = 0;
    std::vector<float> eyeX;  // the camera's x at each launch
};
EyeCalls g_calls;

TEST_F(RtSceneTest, InStereoEachEyeIsUploadedAndLaunchedFromItsOwnCamera) {
    FrameRt.UpdateLights = [](FrameLightRecord l) { ++g_calls.lights; RtUpdateLights(l); };
    FrameRt.UpdateSpotLights = [](FrameLightRecord l) { ++g_calls.spots; RtUpdateSpotLights(l); };
    FrameRt.UpdateDancer = [] { ++g_calls.dancer; RtUpdateDancer(); };
    FrameRt.Launch = [] {
        ++g_calls.launches;
        g_calls.eyeX.push_back(RtCameraParams.position[0]);
        RtLaunch();
    };
    g_calls = {};
    StereoRendering = 1;
    TickFrames(1);
    StereoRendering = 0;
    EXPECT_EQ(g_calls.lights, 2);
    EXPECT_EQ(g_calls.spots, 2);
    EXPECT_EQ(g_calls.dancer, 2);
    ASSERT_EQ(g_calls.launches, 2);
    EXPECT_NE(g_calls.eyeX[0], g_calls.eyeX[1]) << "both eyes traced from one place";
    EXPECT_EQ(RenderEngine, kRayTracerEngine);
}

TEST_F(RtSceneTest, AWindowResizeResizesTheOutputBeforeTheNextLaunch) {
    ResizeScene(200, 120);
    RTsize w = 0, h = 0;
    rtBufferGetSize2D(RtState.outputBuffer, &w, &h);
    EXPECT_EQ(w, 200u);
    EXPECT_EQ(h, 120u);
    TickFrames(1);
    EXPECT_EQ(RenderEngine, kRayTracerEngine) << "the launch after the resize failed";
    ResizeScene(kWidth, kHeight);
}

}  // namespace
