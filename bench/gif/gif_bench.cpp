// GifDecode against giflib's DGifSlurp on the same 1024 x 1024 file, written by giflib, read
// from the file each time. Throughput is in decoded pixels per second (items_per_second);
// noise:0 is the texture-like image, noise:1 the one of random indices.

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "model/gif_decoder.h"
#include "tests/model/gif_test_writer.h"
#include "tests/model/giflib_encode.h"

namespace {

using namespace gif_test;

constexpr int kSide = 1024;
constexpr std::int64_t kPixels = std::int64_t{kSide} * kSide;

enum Content : int { kTexture = 0, kNoise = 1 };

// kTexture: smooth bands with some grain, like the program's textures; kNoise: every index
// random, the worst case for LZW (short strings, frequent clear codes).
GiflibImage MakeImage(Content content) {
    GiflibImage image{kSide, kSide, 256, std::vector<std::uint8_t>(768), {}, false};
    for (int i = 0; i < 768; ++i) image.palette[i] = static_cast<std::uint8_t>(i / 3);
    image.indices.resize(static_cast<std::size_t>(kPixels));
    std::mt19937 random(7);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const int band = ((x / 16) ^ (y / 24)) & 0x3F;
            const int grain = (random() % 8 == 0) ? 1 : 0;
            const int value =
                content == kTexture ? band * 4 + grain : static_cast<int>(random() & 0xFF);
            image.indices[static_cast<std::size_t>(y) * kSide + x] =
                static_cast<std::uint8_t>(value);
        }
    }
    return image;
}

const char* ImagePath(Content content) {
    static std::unique_ptr<TempFile> files[2];
    std::unique_ptr<TempFile>& file = files[content];
    if (!file) {
        file = std::make_unique<TempFile>(std::vector<std::uint8_t>{});
        if (!WriteWithGiflib(file->Path(), MakeImage(content))) return nullptr;
    }
    return file->Path();
}

void BM_GifDecode(benchmark::State& state) {
    const char* path = ImagePath(static_cast<Content>(state.range(0)));
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(kPixels));
    std::uint8_t palette[kGifPaletteBytes];
    std::int32_t width = 0;
    std::int32_t height = 0;
    for (auto _ : state) {
        if (!path || !GifDecode(path, indices.data(), palette, &width, &height)) {
            state.SkipWithError("GifDecode failed");
            break;
        }
        benchmark::DoNotOptimize(indices.data());
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_GifDecode)
    ->ArgName("noise")
    ->Arg(kTexture)
    ->Arg(kNoise)
    ->Unit(benchmark::kMillisecond);

void BM_GiflibDGifSlurp(benchmark::State& state) {
    const char* path = ImagePath(static_cast<Content>(state.range(0)));
    for (auto _ : state) {
        int error = 0;
        GifFileType* gif = path ? DGifOpenFileName(path, &error) : nullptr;
        const bool ok = gif && DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0;
        if (gif) {
            benchmark::DoNotOptimize(gif->SavedImages[0].RasterBits);
            DGifCloseFile(gif, &error);
        }
        if (!ok) {
            state.SkipWithError("DGifSlurp failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_GiflibDGifSlurp)
    ->ArgName("noise")
    ->Arg(kTexture)
    ->Arg(kNoise)
    ->Unit(benchmark::kMillisecond);

}  // namespace
