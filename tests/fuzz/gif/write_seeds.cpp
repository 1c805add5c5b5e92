// Writes the fuzzer's seed images into the folder given on the command line: small files of
// each shape the decoder handles, from the test writers and from giflib's encoder.

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tests/model/gif_test_writer.h"
#include "tests/model/giflib_encode.h"

namespace {

using namespace gif_test;

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::vector<std::uint8_t> Palette(int colours) {
    std::vector<std::uint8_t> palette(static_cast<std::size_t>(3 * colours));
    for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<std::uint8_t>(i * 29);
    return palette;
}

GiflibImage Noise(int side, int colours, unsigned seed) {
    GiflibImage image{side, side, colours, Palette(colours), {}, false};
    std::mt19937 random(seed);
    image.indices.resize(static_cast<std::size_t>(side) * side);
    for (std::uint8_t& index : image.indices) index = static_cast<std::uint8_t>(random() % colours);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gif_write_seeds <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;

    GifImageSpec small;
    small.signature = "GIF87a";
    small.screenFlags = 0xF1;
    small.palette = Palette(4);
    small.minCodeSize = 2;
    small.width = 2;
    small.height = 2;
    small.codes = LiteralCodes({0, 1, 2, 3}, 2);
    ok = WriteBytes(folder + "/literal_2x2.gif", BuildGif(small)) && ok;

    // Back references and the entry being made, with every code split across one-byte blocks.
    GifImageSpec split = small;
    split.signature = "GIF89a";
    split.screenFlags = 0xF7;
    split.palette = Palette(256);
    split.minCodeSize = 8;
    split.width = 8;
    split.height = 1;
    LzwCodeWriter writer(8);
    writer.Put({writer.Clear(), 10, 20, 30, 258, 259, 262, writer.End()});
    split.codes = writer.Finish();
    split.blockSizes = {1};
    ok = WriteBytes(folder + "/split_blocks.gif", BuildGif(split)) && ok;

    ok = WriteWithGiflib((folder + "/giflib_16_colours.gif").c_str(), Noise(24, 16, 1)) && ok;
    ok = WriteWithGiflib((folder + "/giflib_full_table.gif").c_str(), Noise(64, 256, 2)) && ok;
    return ok ? 0 : 1;
}
