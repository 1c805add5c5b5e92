#include "platform/text/bitmap_font.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>

#include <GL/gl.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace ptext {
namespace {

struct LibraryDeleter {
    void operator()(FT_LibraryRec_* l) const { FT_Done_FreeType(l); }
};
struct FaceDeleter {
    void operator()(FT_FaceRec_* f) const { FT_Done_Face(f); }
};
using LibraryPtr = std::unique_ptr<FT_LibraryRec_, LibraryDeleter>;
using FacePtr = std::unique_ptr<FT_FaceRec_, FaceDeleter>;

constexpr unsigned kCodeCount = 256;  // 8-bit character codes

char32_t CodeToUnicode(unsigned code);
GlyphBitmap TakeBitmap(const FT_GlyphSlotRec_& slot);
void CompileList(unsigned list, const GlyphBitmap& glyph);

// Windows-1252 at 0x80 .. 0x9F; its five holes stay C1 controls, which no font draws.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CodeToUnicode(unsigned code) {
    if (code >= 0x80 && code < 0xA0) return kCp1252High[code - 0x80];
    return code;  // ASCII and Latin-1 agree with Unicode
}

GlyphBitmap TakeBitmap(const FT_GlyphSlotRec_& slot) {
    const FT_Bitmap& bitmap = slot.bitmap;
    GlyphBitmap glyph;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    glyph.xorig = static_cast<float>(-slot.bitmap_left);
    glyph.yorig = static_cast<float>(glyph.rows - slot.bitmap_top);
    glyph.xmove = static_cast<float>(slot.advance.x) / 64.0f;  // 26.6 fixed point, hinted whole
    const std::size_t rowBytes = (bitmap.width + 7) / 8;
    glyph.bits.resize(rowBytes * bitmap.rows);
    const std::size_t stride = static_cast<std::size_t>(bitmap.pitch < 0 ? -bitmap.pitch
                                                                         : bitmap.pitch);
    for (unsigned k = 0; k < bitmap.rows; ++k) {
        // A positive pitch stores the top row first; glBitmap wants the bottom row first.
        const unsigned source = bitmap.pitch > 0 ? bitmap.rows - 1 - k : k;
        const std::uint8_t* row = bitmap.buffer + source * stride;
        std::copy_n(row, rowBytes, glyph.bits.begin() + static_cast<std::ptrdiff_t>(k * rowBytes));
    }
    return glyph;
}

void CompileList(unsigned list, const GlyphBitmap& glyph) {
    static const std::uint8_t kNoBits = 0;  // glBitmap reads nothing for an empty glyph
    glNewList(list, GL_COMPILE);
    glBitmap(glyph.width, glyph.rows, glyph.xorig, glyph.yorig, glyph.xmove, 0.0f,
             glyph.bits.empty() ? &kNoBits : glyph.bits.data());
    glEndList();
}

}  // namespace

const char* ResultText(Result r) {
    switch (r) {
        case Result::Ok: return "ok";
        case Result::FontNotFound: return "font file not found";
        case Result::FontError: return "font file could not be read";
        case Result::BadRange: return "character codes past 255";
        case Result::BadListBase: return "no display list base";
    }
    return "unknown result";
}

Result RasterizeGlyphs(const FontSpec& font, unsigned first, unsigned count,
                       std::vector<GlyphBitmap>& out) {
    if (first > kCodeCount || count > kCodeCount - first) return Result::BadRange;
    std::error_code ec;
    if (!font.file || !std::filesystem::is_regular_file(font.file, ec)) {
        return Result::FontNotFound;
    }
    FT_Library rawLibrary = nullptr;
    if (FT_Init_FreeType(&rawLibrary) != 0) return Result::FontError;
    LibraryPtr library(rawLibrary);
    FT_Face rawFace = nullptr;
    if (FT_New_Face(library.get(), font.file, 0, &rawFace) != 0) return Result::FontError;
    FacePtr face(rawFace);
    if (font.pixelSize <= 0 ||
        FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(font.pixelSize)) != 0) {
        return Result::FontError;
    }

    std::vector<GlyphBitmap> glyphs;
    glyphs.reserve(count);
    for (unsigned code = first; code < first + count; ++code) {
        const FT_UInt index = FT_Get_Char_Index(face.get(), CodeToUnicode(code));  // 0: missing
        // Monochrome hinting and rendering: glBitmap has one bit per pixel.
        if (FT_Load_Glyph(face.get(), index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0 ||
            face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_MONO) {
            return Result::FontError;
        }
        glyphs.push_back(TakeBitmap(*face->glyph));
    }
    out.swap(glyphs);
    return Result::Ok;
}

Result UseFontBitmaps(unsigned first, unsigned count, unsigned listBase, const FontSpec& font) {
    if (listBase == 0) return Result::BadListBase;
    std::vector<GlyphBitmap> glyphs;
    if (const Result r = RasterizeGlyphs(font, first, count, glyphs); r != Result::Ok) return r;

    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        // The list keeps the bitmap as unpacked now, so the tight rows need these settings
        // only while compiling.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
        glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
        for (unsigned i = 0; i < count; ++i) CompileList(listBase + i, glyphs[i]);
    glPopClientAttrib();
    return Result::Ok;
}

}  // namespace ptext
