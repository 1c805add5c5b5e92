#include "model/texture_upload.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/model/gif_test_writer.h"
#include "tests/support/case_name.h"
#include "tests/support/gl_context.h"

namespace {

using namespace gif_test;

// A 2 x 2 image: top row dark orange, green; bottom row blue, white. The first file row is the
// texture's t = 0 row.
constexpr std::array<std::uint8_t, 12> kPalette = {200, 100, 50,  0,   255, 0,
                                                   0,   0,   255, 255, 255, 255};
using Rgb = std::array<int, 3>;
constexpr Rgb kOrange = {200, 100, 50};
constexpr Rgb kGreen = {0, 255, 0};
constexpr Rgb kBlue = {0, 0, 255};

std::vector<std::uint8_t> TwoByTwoGif() {
    GifImageSpec layout;
    layout.screenFlags = 0xF1;
    layout.palette.assign(kPalette.begin(), kPalette.end());
    layout.width = 2;
    layout.height = 2;
    layout.minCodeSize = 2;
    layout.codes = LiteralCodes({0, 1, 2, 3}, 2);
    return BuildGif(layout);
}

class TextureUploadTest : public GlFixture {
  protected:
    // Fills the 256 x 256 view with a quad whose texture coordinates run from 0 to 2, so
    // each texel covers 64 x 64 pixels and the right and top halves lie outside [0, 1].
    std::vector<std::uint8_t> DrawQuad(GLuint list) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        glCallList(list);
        glColor3f(1, 1, 1);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2f(-1, -1);
        glTexCoord2f(2, 0);
        glVertex2f(1, -1);
        glTexCoord2f(2, 2);
        glVertex2f(1, 1);
        glTexCoord2f(0, 2);
        glVertex2f(-1, 1);
        glEnd();
        glDisable(GL_TEXTURE_2D);
        return m_context->ReadRgba();
    }
};

struct DrawCase {
    const char* name;
    bool smooth;
    int x;
    int y;
    Rgb want;
    int tolerance;
};
// clang-format off
const DrawCase kDrawCases[] = {
    {"ClampedTexelCentre", false, 32, 32, kOrange, 1},
    {"ClampedSecondRow", false, 32, 96, kBlue, 1},
    {"ClampedNearestAtTexelBorder", false, 64, 32, kGreen, 1},
    {"ClampedPastTheEdgeKeepsTheEdgeTexel", false, 160, 32, kGreen, 1},
    {"SmoothTexelCentre", true, 32, 32, kOrange, 5},
    {"SmoothBlendsAtTexelBorder", true, 64, 32, {100, 177, 25}, 6},
    {"SmoothPastTheEdgeRepeats", true, 160, 32, kOrange, 5},
};
// clang-format on

class TextureDrawTest : public TextureUploadTest, public ::testing::WithParamInterface<DrawCase> {};

TEST_P(TextureDrawTest, DrawsThePaletteColours) {
    const DrawCase& c = GetParam();
    TempFile file(TwoByTwoGif());
    const GLuint id = LoadGifTexture(file.Path(), c.smooth);
    ASSERT_NE(id, 0u);
    const auto pixel = PixelAt(DrawQuad(id), c.x, c.y);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(pixel[i], c.want[i], c.tolerance) << "channel " << i;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
INSTANTIATE_TEST_SUITE_P(Cases, TextureDrawTest, ::testing::ValuesIn(kDrawCases), CaseName());

TEST_F(TextureUploadTest, IdNamesAListAndATextureNoOneElseGets) {
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);  // a texture made elsewhere, outside any list
    TempFile file(TwoByTwoGif());
    const GLuint id = LoadGifTexture(file.Path(), false);
    ASSERT_NE(id, 0u);
    EXPECT_NE(id, other);
    EXPECT_TRUE(glIsList(id));
    EXPECT_TRUE(glIsTexture(id));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), other) << "loading changed the bound texture";

    const GLuint nextList = glGenLists(1);
    GLuint nextTexture = 0;
    glGenTextures(1, &nextTexture);
    EXPECT_NE(nextList, id);
    EXPECT_NE(nextTexture, id);
}

TEST_F(TextureUploadTest, BadFilesGiveNoTextureAndNoList) {
    const std::vector<std::uint8_t> whole = TwoByTwoGif();
    TempFile file({whole.begin(), whole.end() - 6});  // the code data and what follows cut off
    EXPECT_EQ(LoadGifTexture(file.Path(), true), 0u);
    EXPECT_EQ(LoadGifTexture("no-such-folder/none.gif", true), 0u);
    EXPECT_EQ(glGenLists(1), 1u) << "a failed load reserved a list name";
}

}  // namespace
