#include "tools/snapshot/png_writer.h"

#include <zlib.h>

#include <fstream>

namespace {

void PutWord(std::vector<std::uint8_t>* out, std::uint32_t w) {
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back((w >> shift) & 0xFF);
}

void PutChunk(std::vector<std::uint8_t>* out, const char* type,
              const std::vector<std::uint8_t>& data) {
    PutWord(out, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out->insert(out->end(), body.begin(), body.end());
    PutWord(out, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

}  // namespace

bool WritePng(const std::string& path, int width, int height,
              const std::vector<std::uint8_t>& rgba) {
    // Rows top first, each led by filter type 0.
    std::vector<std::uint8_t> raw;
    for (int y = height - 1; y >= 0; --y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 4;
            raw.insert(raw.end(), rgba.begin() + at, rgba.begin() + at + 3);
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size())) != Z_OK) {
        return false;
    }
    packed.resize(packedSize);

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    PutWord(&header, static_cast<std::uint32_t>(width));
    PutWord(&header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
    PutChunk(&png, "IHDR", header);
    PutChunk(&png, "IDAT", packed);
    PutChunk(&png, "IEND", {});
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(file);
}
