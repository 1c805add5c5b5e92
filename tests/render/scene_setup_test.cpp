#include "render/scene_setup.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "model/mesh_part.h"
#include "render/scene_state.h"
#include "tests/support/gl_context.h"

namespace {

using SceneSetupTest = GlFixture;

TEST_F(SceneSetupTest, FloorGridSpansTheRoomInClockwiseQuads) {
    CMeshPart grid;
    ASSERT_EQ(BuildFloorGrid(&grid), 0);
    ASSERT_EQ(grid.GetQuadCount(), 1024u);
    ASSERT_EQ(grid.GetVertexCount(), 1089u);
    const std::uint32_t* q = grid.GetQuads();
    EXPECT_EQ((std::array<std::uint32_t, 4>{q[0], q[1], q[2], q[3]}),
              (std::array<std::uint32_t, 4>{33, 34, 1, 0}));
    const std::uint32_t* last = q + 4 * 1023;
    EXPECT_EQ((std::array<std::uint32_t, 4>{last[0], last[1], last[2], last[3]}),
              (std::array<std::uint32_t, 4>{1087, 1088, 1055, 1054}));
    float v[3];
    grid.GetBaseVertex(v, 0);
    EXPECT_EQ((std::array<float, 3>{v[0], v[1], v[2]}), (std::array<float, 3>{-9000, 10, 9000}));
    grid.GetBaseVertex(v, 1088);
    EXPECT_EQ((std::array<float, 3>{v[0], v[1], v[2]}), (std::array<float, 3>{9000, 10, -9000}));
    EXPECT_NE(grid.GetDisplayList(), 0u);
    EXPECT_EQ(BuildFloorGrid(nullptr), 1);
}

TEST_F(SceneSetupTest, FontListsPrintWithTheListBase) {
    ASSERT_TRUE(CreateFontDisplayLists());
    EXPECT_NE(FontListBase, 0u);
    EXPECT_TRUE(glIsList(FontListBase + 'A'));
    glDeleteLists(FontListBase, 256);
    FontListBase = 0;
}

}  // namespace
