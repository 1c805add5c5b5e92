#include "platform/text/bitmap_font.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "tests/support/case_name.h"
#include "tests/support/gl_context.h"

namespace {

using ptext::FontSpec;
using ptext::GlyphBitmap;
using ptext::Result;

GlyphBitmap GlyphOf(char c) {
    std::vector<GlyphBitmap> glyphs;
    EXPECT_EQ(ptext::RasterizeGlyphs({}, static_cast<unsigned char>(c), 1, glyphs), Result::Ok);
    return glyphs.empty() ? GlyphBitmap{} : glyphs[0];
}

bool AnyBitSet(const GlyphBitmap& g) {
    return std::any_of(g.bits.begin(), g.bits.end(), [](std::uint8_t b) { return b != 0; });
}

TEST(RasterizeGlyphs, SpaceOnlyAdvancesAndLettersSitOnTheBaseline) {
    const GlyphBitmap space = GlyphOf(' ');
    EXPECT_FALSE(AnyBitSet(space));
    EXPECT_GT(space.xmove, 0.0f);

    const GlyphBitmap h = GlyphOf('H');
    EXPECT_TRUE(AnyBitSet(h));
    EXPECT_EQ(h.yorig, 0.0f);  // no part below the baseline
    EXPECT_EQ(h.bits.size(), static_cast<std::size_t>((h.width + 7) / 8 * h.rows));
    EXPECT_EQ(h.xmove, static_cast<float>(static_cast<int>(h.xmove)));  // whole pixels

    EXPECT_GT(GlyphOf('g').yorig, 0.0f);  // the descender hangs below the baseline
}

TEST(RasterizeGlyphs, GivesOneGlyphPerCodeUpTo255) {
    std::vector<GlyphBitmap> glyphs;
    ASSERT_EQ(ptext::RasterizeGlyphs({}, 0, 256, glyphs), Result::Ok);
    ASSERT_EQ(glyphs.size(), 256u);
    EXPECT_TRUE(AnyBitSet(glyphs[0x80]));  // the euro sign of Windows-1252, not a C1 control
    EXPECT_TRUE(AnyBitSet(glyphs[0xE9]));  // e acute
}

struct FailureCase {
    const char* name;
    const char* file;  // nullptr: a file of text that is no font
    int pixelSize;
    unsigned first, count;
    Result want;
};
constexpr FailureCase kFailureCases[] = {
    {"MissingFile", "Models/no-such-font.ttf", 13, 0, 255, Result::FontNotFound},
    {"NotAFont", nullptr, 13, 0, 255, Result::FontError},
    {"ZeroPixelSize", FontSpec{}.file, 0, 0, 255, Result::FontError},
    {"PastCode255", FontSpec{}.file, 13, 200, 57, Result::BadRange},
    {"FirstPast256", FontSpec{}.file, 13, 300, 0, Result::BadRange},
};

class RasterizeFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(RasterizeFailure, ReportsAndLeavesTheOutputAlone) {
    const FailureCase& c = GetParam();
    const std::filesystem::path notAFont =
        std::filesystem::temp_directory_path() / ("velmoranth-not-a-font-" + std::string(c.name));
    std::ofstream(notAFont) << "Version 1\nShowStats 1\n";
    FontSpec font;
    font.file = c.file ? c.file : notAFont.c_str();
    font.pixelSize = c.pixelSize;

    std::vector<GlyphBitmap> out(1);
    out[0].width = 7;
    EXPECT_EQ(ptext::RasterizeGlyphs(font, c.first, c.count, out), c.want);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].width, 7);
    std::filesystem::remove(notAFont);
}
INSTANTIATE_TEST_SUITE_P(Cases, RasterizeFailure, ::testing::ValuesIn(kFailureCases), CaseName());

// 256 lists as the overlay reserves them, glyphs for codes 0 .. 254, and a window-sized
// orthographic projection, so raster positions are pixels.
class FontLists : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        if (HasFatalFailure()) return;
        m_base = glGenLists(256);
        ASSERT_NE(m_base, 0u);
        ASSERT_EQ(ptext::UseFontBitmaps(0, 255, m_base), Result::Ok);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, m_context->Width(), 0, m_context->Height(), -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    void Print(int x, int y, const char* text, unsigned base = 0) {
        glRasterPos2i(x, y);
        glListBase(base ? base : m_base);
        glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
    }

    struct Box {
        int left = 1 << 30, bottom = 1 << 30, right = -1, top = -1, lit = 0;
    };
    // The box around every pixel that is not the black clear colour.
    Box LitBox(const std::vector<std::uint8_t>& rgba) const {
        Box box;
        for (int y = 0; y < m_context->Height(); ++y) {
            for (int x = 0; x < m_context->Width(); ++x) {
                const auto p = PixelAt(rgba, x, y);
                if (p[0] == 0 && p[1] == 0 && p[2] == 0) continue;
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.bottom = std::min(box.bottom, y);
                box.top = std::max(box.top, y);
                ++box.lit;
            }
        }
        return box;
    }
    int LitInRow(const std::vector<std::uint8_t>& rgba, int y, int left, int right) const {
        int lit = 0;
        for (int x = left; x <= right; ++x) lit += PixelAt(rgba, x, y)[0] != 0;
        return lit;
    }

    GLuint m_base = 0;
};

struct PrintCase {
    const char* name;
    const char* text;
    int x, y;
    float r, g, b;
};
constexpr PrintCase kPrintCases[] = {
    {"OverlayFirstLine", "(59.5) fps 1200 polygons 806 verticies", 10, 20, 1.0f, 0.5f, 0.0f},
    {"OverlaySecondLine", "256x256 65536 pixels", 10, 5, 1.0f, 0.5f, 0.0f},
    {"ElsewhereInWhite", "HELLO", 100, 180, 1.0f, 1.0f, 1.0f},
};

class FontListsPrint : public FontLists, public ::testing::WithParamInterface<PrintCase> {};

TEST_P(FontListsPrint, TextAppearsAtTheRasterPositionInTheCurrentColour) {
    const PrintCase& c = GetParam();
    glColor3f(c.r, c.g, c.b);  // the raster colour is taken when the position is set
    Print(c.x, c.y, c.text);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const auto rgba = m_context->ReadRgba();

    // The glyphs' own metrics place the box: baseline at the raster position, the first
    // glyph's bearing on the left, the tallest ascender and deepest descender.
    int below = 0, above = 0;
    for (const char* t = c.text; *t; ++t) {
        const GlyphBitmap g = GlyphOf(*t);
        below = std::max(below, static_cast<int>(g.yorig));
        above = std::max(above, g.rows - static_cast<int>(g.yorig));
    }
    const Box box = LitBox(rgba);
    EXPECT_EQ(box.bottom, c.y - below);
    EXPECT_EQ(box.top, c.y + above - 1);
    EXPECT_EQ(box.left, c.x - static_cast<int>(GlyphOf(c.text[0]).xorig));
    EXPECT_GT(box.right - box.left, 5 * static_cast<int>(std::strlen(c.text)) / 2);

    const std::uint8_t want[3] = {static_cast<std::uint8_t>(c.r * 255.0f + 0.5f),
                                  static_cast<std::uint8_t>(c.g * 255.0f + 0.5f),
                                  static_cast<std::uint8_t>(c.b * 255.0f + 0.5f)};
    for (int y = box.bottom; y <= box.top; ++y) {
        for (int x = box.left; x <= box.right; ++x) {
            const auto p = PixelAt(rgba, x, y);
            if (p[0] == 0 && p[1] == 0 && p[2] == 0) continue;
            for (int k = 0; k < 3; ++k) ASSERT_NEAR(p[k], want[k], 1) << x << "," << y;
        }
    }
}
INSTANTIATE_TEST_SUITE_P(Cases, FontListsPrint, ::testing::ValuesIn(kPrintCases), CaseName());

// F has its bar on top and its stem on the left, L its bar at the bottom: a glyph drawn
// upside down or mirrored shows at once.
struct ShapeCase {
    const char* name;
    char letter;
    bool widerOnTop;
};
constexpr ShapeCase kShapeCases[] = {{"F", 'F', true}, {"L", 'L', false}};

class FontListsShape : public FontLists, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(FontListsShape, GlyphIsUprightAndNotMirrored) {
    const ShapeCase& c = GetParam();
    glColor3f(1, 1, 1);
    const char text[2] = {c.letter, 0};
    Print(50, 50, text);
    const auto rgba = m_context->ReadRgba();
    const Box box = LitBox(rgba);
    ASSERT_GT(box.lit, 0);
    const int top = LitInRow(rgba, box.top, box.left, box.right);
    const int bottom = LitInRow(rgba, box.bottom, box.left, box.right);
    EXPECT_EQ(top > bottom, c.widerOnTop) << "top " << top << " bottom " << bottom;
    for (int y = box.bottom; y <= box.top; ++y) {
        EXPECT_NE(PixelAt(rgba, box.left, y)[0], 0) << "stem missing at row " << y;
    }
}
INSTANTIATE_TEST_SUITE_P(Cases, FontListsShape, ::testing::ValuesIn(kShapeCases), CaseName());

TEST_F(FontLists, EachCallAdvancesTheRasterPositionByItsGlyphs) {
    glColor3f(1, 1, 1);
    Print(10, 20, "60.0 ");
    glCallLists(3, GL_UNSIGNED_BYTE, "fps");  // carries on where the first call stopped
    GLfloat position[4] = {};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);

    float advance = 0;
    for (char c : std::string("60.0 fps")) advance += GlyphOf(c).xmove;
    EXPECT_EQ(position[0], 10.0f + advance);
    EXPECT_EQ(position[1], 20.0f);
}

TEST_F(FontLists, FailureLeavesTheListsAsTheyWere) {
    const GLuint other = glGenLists(256);
    ASSERT_NE(other, 0u);
    // A 3 x 3 block stands for 'A'; rows padded to the default unpack alignment of 4.
    const std::uint8_t block[12] = {0xE0, 0, 0, 0, 0xE0, 0, 0, 0, 0xE0, 0, 0, 0};
    glNewList(other + 'A', GL_COMPILE);
    glBitmap(3, 3, 0, 0, 3, 0, block);
    glEndList();

    FontSpec missing;
    missing.file = "Models/no-such-font.ttf";
    EXPECT_EQ(ptext::UseFontBitmaps(0, 255, other, missing), Result::FontNotFound);
    EXPECT_EQ(ptext::UseFontBitmaps(0, 255, 0), Result::BadListBase);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    glColor3f(1, 1, 1);
    Print(30, 30, "A", other);
    const Box box = LitBox(m_context->ReadRgba());
    EXPECT_EQ(box.lit, 9);
    EXPECT_EQ(box.left, 30);
    EXPECT_EQ(box.bottom, 30);
}

TEST_F(FontLists, LeavesThePixelUnpackStateAsItWas) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_TRUE);
    const GLuint other = glGenLists(256);
    ASSERT_EQ(ptext::UseFontBitmaps(0, 255, other), Result::Ok);
    GLint alignment = 0, lsbFirst = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_UNPACK_LSB_FIRST, &lsbFirst);
    EXPECT_EQ(alignment, 8);
    EXPECT_EQ(lsbFirst, GL_TRUE);

    // The lists were compiled with the tight settings regardless.
    glColor3f(1, 1, 1);
    Print(50, 50, "F", other);
    const auto rgba = m_context->ReadRgba();
    const Box box = LitBox(rgba);
    EXPECT_GT(LitInRow(rgba, box.top, box.left, box.right),
              LitInRow(rgba, box.bottom, box.left, box.right));
}

}  // namespace
