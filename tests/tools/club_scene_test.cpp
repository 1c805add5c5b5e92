// The club as the snapshot tool draws it: coarse facts about what covers the frame.

#include "tools/snapshot/club_scene.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <map>

#include "tests/support/case_name.h"
#include "tests/support/gl_context.h"

namespace {

struct ViewCase {
    const char* name;
    SnapshotCamera camera;
    // Least share of the frame for each layer.
    std::map<SceneLayer, double> atLeast;
};
const ViewCase kViews[] = {
    {"DefaultCamera",
     {},
     {{SceneLayer::kFloor, 0.2}, {SceneLayer::kWall, 0.15}, {SceneLayer::kCeiling, 0.05}}},
    {"OverTheTables",
     {{-4000, 2000, -3000}, {8000, -500, 9000}, 30},
     {{SceneLayer::kFloor, 0.2}, {SceneLayer::kWall, 0.05}, {SceneLayer::kProp, 0.08}}},
    {"TowardTheBar",
     {{2000, 2600, 14000}, {-6000, -500, 2000}, 30},
     {{SceneLayer::kFloor, 0.3}, {SceneLayer::kClubFurniture, 0.03}, {SceneLayer::kProp, 0.02}}},
};

class ClubSceneTest : public GlFixture, public ::testing::WithParamInterface<ViewCase> {
protected:
    GlContextOptions Options() const override { return {320, 180, 24, 8}; }
};

TEST_P(ClubSceneTest, FrameIsCoveredByTheRoomAndItsFurniture) {
    ClubScene scene;
    ASSERT_TRUE(LoadClubScene(&scene));
    for (const auto& prop : scene.props) EXPECT_NE(prop, nullptr);
    const int w = m_context->Width(), h = m_context->Height();
    DrawClubScene(scene, GetParam().camera, w, h);

    std::vector<std::uint8_t> stencil(static_cast<std::size_t>(w) * h);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, stencil.data());
    std::map<SceneLayer, double> share;
    for (std::uint8_t s : stencil) share[static_cast<SceneLayer>(s)] += 1.0 / stencil.size();
    EXPECT_LT(share[SceneLayer::kNothing], 0.01) << "the room encloses the camera";
    for (const auto& [layer, least] : GetParam().atLeast) {
        EXPECT_GE(share[layer], least) << "layer " << static_cast<int>(layer);
    }

    const auto rgba = m_context->ReadRgba();
    int lit = 0;
    for (std::size_t i = 0; i < rgba.size(); i += 4) lit += rgba[i] + rgba[i + 1] + rgba[i + 2] > 30;
    EXPECT_GT(lit, w * h / 2) << "the frame is mostly dark";
}
INSTANTIATE_TEST_SUITE_P(Views, ClubSceneTest, ::testing::ValuesIn(kViews), CaseName());

}  // namespace
