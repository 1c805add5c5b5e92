#pragma once
// Bitmap-font display lists: one list per 8-bit character code that draws its glyph with
// glBitmap at the current raster position and then advances the raster position, so text
// prints with glListBase(base) and glCallLists(length, GL_UNSIGNED_BYTE, text).

#include <cstdint>
#include <vector>

namespace ptext {

enum class Result : int { Ok = 0, FontNotFound, FontError, BadRange, BadListBase };
const char* ResultText(Result r);

struct FontSpec {
    const char* file = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";  // fonts-dejavu-core
    int pixelSize = 13;  // close to the height of the Windows system font's capitals and descenders
};

// One rasterised glyph in the layout glBitmap takes: 1 bit per pixel, most significant bit
// first, rows of (width + 7) / 8 bytes, bottom row first.
struct GlyphBitmap {
    int width = 0;
    int rows = 0;
    float xorig = 0;  // the raster position's place inside the bitmap, from its lower left
    float yorig = 0;
    float xmove = 0;  // the advance, whole pixels
    std::vector<std::uint8_t> bits;
};

// Glyphs for the codes first .. first + count - 1 (Windows-1252, so the overlay's ASCII is
// plain ASCII); codes the font lacks get its missing-glyph box. Fails without output unless
// every glyph was made; first + count may not pass 256.
[[nodiscard]] Result RasterizeGlyphs(const FontSpec& font, unsigned first, unsigned count,
                                     std::vector<GlyphBitmap>& out);

// Fills the display lists listBase .. listBase + count - 1 with the glyphs of the codes
// first .. first + count - 1, on the calling thread's current GL context. A failure leaves
// every list as it was. The unpack state is restored afterwards.
[[nodiscard]] Result UseFontBitmaps(unsigned first, unsigned count, unsigned listBase,
                                    const FontSpec& font = {});

}  // namespace ptext
