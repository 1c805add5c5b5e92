#pragma once
// Writes 8-bit RGB PNG files (zlib for the compressed image data).

#include <cstdint>
#include <string>
#include <vector>

// rgba holds width x height pixels bottom row first, as glReadPixels gives them.
bool WritePng(const std::string& path, int width, int height,
              const std::vector<std::uint8_t>& rgba);
