#pragma once
// giflib's own encoder, an independent writer of reference images for tests and benchmarks.

#include <gif_lib.h>

#include <cstdint>
#include <vector>

namespace gif_test {

struct GiflibImage {
    int width = 1;
    int height = 1;
    int colours = 256;                  // a power of two, 2 to 256
    std::vector<std::uint8_t> palette;  // 3 x colours bytes
    std::vector<std::uint8_t> indices;  // width x height, rows top first
    bool gif89 = false;                 // giflib writes 87a unless told otherwise
};

// Writes the image to path; false when giflib reports an error.
inline bool WriteWithGiflib(const char* path, const GiflibImage& image) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path, false, &error);
    if (!gif) return false;
    std::vector<GifColorType> colours(static_cast<std::size_t>(image.colours));
    for (std::size_t i = 0; i < colours.size(); ++i) {
        colours[i] = {image.palette[3 * i], image.palette[3 * i + 1], image.palette[3 * i + 2]};
    }
    ColorMapObject* map = GifMakeMapObject(image.colours, colours.data());
    EGifSetGifVersion(gif, image.gif89);
    bool ok = map && EGifPutScreenDesc(gif, image.width, image.height, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> row(static_cast<std::size_t>(image.width));
    for (int y = 0; ok && y < image.height; ++y) {
        const std::uint8_t* src = image.indices.data() + static_cast<std::size_t>(y) * row.size();
        row.assign(src, src + row.size());
        ok = EGifPutLine(gif, row.data(), image.width) == GIF_OK;
    }
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(map);
    return ok;
}

}  // namespace gif_test
