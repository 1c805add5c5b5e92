#pragma once
// The frames one fresh GL context draws of the generated scene from the start of the run: the
// same clock from the same start, the same random draws, snapshots at fixed ticks.

#include <cstdlib>
#include <iterator>
#include <vector>

#include "animation/view_options.h"
#include "model/mesh_part.h"
#include "render/scene_state.h"
#include "tests/render/render_fixture.h"

struct SequenceSetup {
    int width;
    int height;
    int dancer;
    int spots;
    int shadows;
    bool windowConfig;  // the program's 8-bit double-buffered configuration
    int showClub = 1;   // 0: the floor grid on white
    // Called before the ticks that lead to snapshot k: switches the view settings on the way.
    void (*beforeSnapshot)(int k) = nullptr;
};

// Ticks before each snapshot: the first frame, then dance poses and camera positions further
// on, past automatic camera cuts.
inline constexpr int kSnapshotTicks[] = {3, 40, 160, 400, 800};
// Ticks in between only animate; the last ones before each snapshot draw, so that what a
// frame keeps for the next one is drawn from as well as filled.
inline constexpr int kDrawnTicksBeforeSnapshot = 3;

using Frames = std::vector<Image>;

// The settings a sequence may switch, back at their start values.
inline void ResetViewSettings() {
    DisplayTextures = 1;
    FilledPolygons = 1;
    ToonShading = 0;
    SimpleLighting = 0;
}

// One snapshot per entry of kSnapshotTicks; empty without a context or Models/.
inline Frames DrawFrameSequence(const SequenceSetup& s) {
    Frames frames;
    const auto context = GlContext::Create({s.width, s.height, 24, 8, s.windowConfig});
    if (!context) return frames;
    FakeFrameClock clock;
    FakeFrameClock::now = 1000.0f;
    std::srand(24);  // the dance and the light show draw from rand()
    auto scene = DemoScene::Create({s.width, s.height, s.dancer});
    if (!scene) return frames;
    ActiveSpotCount = s.spots;
    RenderShadows = s.shadows;
    ShowClub = s.showClub;
    int ticked = 0;
    for (int k = 0; k < static_cast<int>(std::size(kSnapshotTicks)); ++k) {
        const int ticks = kSnapshotTicks[k];
        if (s.beforeSnapshot) s.beforeSnapshot(k);
        for (; ticked < ticks; ++ticked) {
            RenderEnabled = ticked >= ticks - kDrawnTicksBeforeSnapshot ? 1 : 0;
            FakeFrameClock::now += 1000.0f / 60.0f;
            AnimateAndRenderFrame();
        }
        frames.push_back(context->ReadRgba());
        context->SwapBuffers();
    }
    scene.reset();
    ResetViewSettings();
    FrameSound = {};
    FrameRt = {};
    return frames;
}
