#pragma once
// Decoder for the subset of GIF the textures use: the first image, the global palette,
// LZW-coded 8-bit palette indices. Pure file reading, no GL.

#include <cstdint>

constexpr int kGifPaletteBytes = 768;  // 256 RGB triples
constexpr int kGifMaxSide = 4096;      // larger images are refused before anything is allocated

// Returns 1 on success, 0 on failure. With indices null only the header, the palette and the
// size are read. palette (kGifPaletteBytes) is zeroed, then filled; indices must hold w x h.
int GifDecode(const char* path, std::uint8_t* indices, std::uint8_t* palette, std::int32_t* width,
              std::int32_t* height);
