// The shortcuts of the frame (geometry outside the view skipped, opaque passes unblended,
// early flushes) change no pixel: each frame is drawn once with them and once the plain way,
// in contexts of its own, and the two must match exactly.

#include <gtest/gtest.h>

#include "render/frame_shortcuts.h"
#include "tests/render/frame_sequence.h"
#include "tests/support/case_name.h"

namespace {

// The textures go off and on again on the way, so recorded chunks must follow the switch.
void ToggleTextures(int k) { DisplayTextures = k % 2 == 0 ? 1 : 0; }
void LinesFromTheSecondSnapshot(int k) { FilledPolygons = k == 0 ? 1 : 0; }
void ToonFromTheSecondSnapshot(int k) { ToonShading = k == 0 ? 0 : 1; }

struct ShortcutCase {
    const char* name;
    SequenceSetup setup;
};
const ShortcutCase kCases[] = {
    {"OneSpotShadows", {320, 180, 0, 1, 1, true}},
    {"ThreeSpotsShadowsVeiled", {320, 180, 2, 3, 1, true}},
    {"ThreeSpotsNoShadows", {320, 180, 1, 3, 0, true}},
    {"FiveSpotsShadows", {320, 180, 4, 5, 1, true}},
    {"FiveSpotsNoShadows", {320, 180, 3, 5, 0, true}},
    {"NoClubThreeSpotsShadows", {320, 180, 2, 3, 1, true, 0}},
    {"WideThreeSpotsShadows", {960, 540, 5, 3, 1, true}},
    {"TexturesSwitched", {320, 180, 0, 3, 1, true, 1, ToggleTextures}},
    {"LineRendering", {320, 180, 6, 3, 1, true, 1, LinesFromTheSecondSnapshot}},
    {"ToonOutline", {320, 180, 1, 2, 1, true, 1, ToonFromTheSecondSnapshot}},
};

// Restores the shortcuts however the test ends.
class PlainDrawing {
  public:
    PlainDrawing() { FrameShortcuts = false; }
    ~PlainDrawing() { FrameShortcuts = true; }
    PlainDrawing(const PlainDrawing&) = delete;
    PlainDrawing& operator=(const PlainDrawing&) = delete;
};

class FrameShortcutsTest : public ::testing::TestWithParam<ShortcutCase> {};

TEST_P(FrameShortcutsTest, DrawTheSameFramesAsThePlainPasses) {
    const SequenceSetup& setup = GetParam().setup;
    const Frames fast = DrawFrameSequence(setup);
    ASSERT_EQ(fast.size(), std::size(kSnapshotTicks)) << "no context or no Models/";
    Frames plain;
    {
        const PlainDrawing off;
        plain = DrawFrameSequence(setup);
    }
    ASSERT_EQ(plain.size(), fast.size());
    for (std::size_t i = 0; i < fast.size(); ++i) {
        EXPECT_TRUE(fast[i] == plain[i]) << DifferingPixels(fast[i], plain[i], 0)
                                         << " pixels differ after " << kSnapshotTicks[i] << " ticks";
    }
}
INSTANTIATE_TEST_SUITE_P(Frames, FrameShortcutsTest, ::testing::ValuesIn(kCases), CaseName());

}  // namespace
