#pragma once
// Writes the subset of GIF the textures use: one image, a 256-colour global palette, 8-bit
// indices, no extension blocks.

#include <array>
#include <cstdint>
#include <vector>

namespace content {

using Palette = std::array<std::uint8_t, 768>;

// width x height indices, row by row from the top.
std::vector<std::uint8_t> EncodeGif(int width, int height, const Palette& palette,
                                    const std::vector<std::uint8_t>& indices);

}  // namespace content
