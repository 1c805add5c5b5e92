// Feeds arbitrary bytes to the GIF decoder: first the size-only read, then the full decode
// into a buffer of exactly the reported size, so any write past it is caught.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/gif_decoder.h"

namespace {
// Larger images decode through the same code; skipping them keeps each run fast.
constexpr std::size_t kMaxFuzzPixels = std::size_t{1} << 20;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint8_t palette[kGifPaletteBytes];
    if (!GifDecodeBytes(data, size, nullptr, palette, &width, &height)) return 0;
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (pixels > kMaxFuzzPixels) return 0;
    std::vector<std::uint8_t> indices(pixels);
    (void)GifDecodeBytes(data, size, indices.data(), palette, &width, &height);
    return 0;
}
