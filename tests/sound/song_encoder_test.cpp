#include "tools/songs/song_encoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/songs/demo_song.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The demo songs are the same on every build: the OGG muxer used to pick a random stream
// serial, which its page checksums carry, on every run.
TEST(SongEncoder, TheSameSongGivesTheSameBytesEveryTime) {
    const fs::path dir = fs::temp_directory_path() /
                         ("velmoranth_encoder_" +
                          std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir);
    const std::vector<float> song = ComposeDemoSong(120, 2);
    for (const SongFormat format :
         {SongFormat::Wav, SongFormat::Ogg, SongFormat::Mp3, SongFormat::Wma}) {
        SCOPED_TRACE(SongFormatExtension(format));
        const std::string ext = SongFormatExtension(format);
        const fs::path first = dir / ("first." + ext);
        const fs::path second = dir / ("second." + ext);
        ASSERT_TRUE(EncodeSong(first, format, song));
        ASSERT_TRUE(EncodeSong(second, format, song));
        const std::string bytes = ReadBytes(first);
        EXPECT_GT(bytes.size(), 1000u);
        EXPECT_TRUE(bytes == ReadBytes(second));
    }
    fs::remove_all(dir);
}

}  // namespace
