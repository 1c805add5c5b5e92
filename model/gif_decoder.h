#pragma once
// Decoder for the subset of GIF the textures use: the first image, the global palette,
// LZW-coded 8-bit palette indices. Pure file reading, no GL.

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kGifPaletteBytes = 768;  // 256 RGB triples
constexpr int kGifMaxSide = 4096;      // larger images are refused before anything is allocated

// Returns 1 on success, 0 on failure. With indices null only the header, the palette and the
// size are read. palette (kGifPaletteBytes) is zeroed, then filled; indices must hold w x h.
// A code stream that ends (end code) before w x h indices leaves the rest of indices as it
// was; one that runs out of data before its end code and before the image is complete fails.
// Any of the pointers may be null. Keeps no state between calls.
[[nodiscard]] int GifDecode(const char* path, std::uint8_t* indices, std::uint8_t* palette,
                            std::int32_t* width, std::int32_t* height);

// The whole first image from one read of the file: `indices` is resized to w x h (indices a
// short code stream leaves unwritten are 0) from the same bytes that are decoded, so a file
// that changes meanwhile can never outgrow the buffer. Returns 1 on success, 0 on failure.
[[nodiscard]] int GifDecodeImage(const char* path, std::vector<std::uint8_t>& indices,
                                 std::uint8_t* palette, std::int32_t& width, std::int32_t& height);

// The same decode from a file image already in memory (tests and fuzzing).
[[nodiscard]] int GifDecodeBytes(const std::uint8_t* data, std::size_t size, std::uint8_t* indices,
                                 std::uint8_t* palette, std::int32_t* width, std::int32_t* height);
