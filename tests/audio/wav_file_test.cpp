#include "tests/audio/support/wav_file.h"

#include <gtest/gtest.h>

#include "tests/support/case_name.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

struct Header {
    std::uint16_t format = 1;
    std::uint16_t channels = 2;
    std::uint32_t rate = 44100;
    std::uint16_t bits = 16;
};

void Put(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Tag(std::vector<std::uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

// A file with an odd-sized chunk before the format chunk, as tools write them.
std::vector<std::uint8_t> MakeWav(const Header& h, const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> out;
    Tag(out, "RIFF");
    Put(out, 0, 4);  // readers do not rely on the RIFF size
    Tag(out, "WAVE");
    Tag(out, "LIST");
    Put(out, 3, 4);
    Put(out, 0x00636261, 4);  // "abc" and the pad byte
    Tag(out, "fmt ");
    Put(out, 16, 4);
    Put(out, h.format, 2);
    Put(out, h.channels, 2);
    Put(out, h.rate, 4);
    Put(out, h.rate * h.channels * h.bits / 8, 4);
    Put(out, h.channels * h.bits / 8, 2);
    Put(out, h.bits, 2);
    Tag(out, "data");
    Put(out, static_cast<std::uint32_t>(2 * samples.size()), 4);
    for (std::int16_t s : samples) Put(out, static_cast<std::uint16_t>(s), 2);
    return out;
}

struct RefusalCase {
    const char* name;
    Header header;
    WavResult want;
};
const RefusalCase kRefusalCases[] = {
    {"FloatSamples", {.format = 3, .bits = 32}, WavResult::NotPcm},
    {"EightBits", {.bits = 8}, WavResult::Not16Bit},
    {"Rate48000", {.rate = 48000}, WavResult::Not44100},
    {"SixChannels", {.channels = 6}, WavResult::BadChannelCount},
    {"NoChannels", {.channels = 0}, WavResult::BadChannelCount},
};
class WavRefusalTest : public ::testing::TestWithParam<RefusalCase> {};
TEST_P(WavRefusalTest, RefusesWithAReason) {
    WavAudio audio;
    audio.channels = 9;
    EXPECT_EQ(ParseWav(MakeWav(GetParam().header, {1, 2, 3, 4}), audio), GetParam().want);
    EXPECT_EQ(audio.channels, 9);  // a refused file leaves the target alone
    EXPECT_STRNE(WavResultText(GetParam().want), "unknown result");
}
INSTANTIATE_TEST_SUITE_P(Cases, WavRefusalTest, ::testing::ValuesIn(kRefusalCases), CaseName());

TEST(WavFile, ReadsMonoAndStereoPcm) {
    WavAudio audio;
    ASSERT_EQ(ParseWav(MakeWav({.channels = 1}, {100, -200, 32767}), audio), WavResult::Ok);
    EXPECT_EQ(audio.channels, 1);
    EXPECT_EQ(audio.samples, (std::vector<std::int16_t>{100, -200, 32767}));
    ASSERT_EQ(ParseWav(MakeWav({}, {16384, -16384, -32768, -32768}), audio), WavResult::Ok);
    EXPECT_EQ(MonoMix(audio), (std::vector<float>{0.0f, -1.0f}));
}

TEST(WavFile, DamagedFilesAreRefusedOrCut) {
    WavAudio audio;
    std::vector<std::uint8_t> bytes = MakeWav({}, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(ParseWav(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 11), audio),
              WavResult::NotRiffWave);
    std::vector<std::uint8_t> noData(bytes.begin(), bytes.begin() + 48);  // ends after "fmt "
    EXPECT_EQ(ParseWav(noData, audio), WavResult::NoData);
    std::vector<std::uint8_t> shortFormat(bytes.begin(), bytes.begin() + 30);
    EXPECT_EQ(ParseWav(shortFormat, audio), WavResult::NoFormat);
    // Data cut in the middle of a frame: the whole frames are kept.
    bytes.erase(bytes.end() - 3, bytes.end());
    ASSERT_EQ(ParseWav(bytes, audio), WavResult::Ok);
    EXPECT_EQ(audio.samples, (std::vector<std::int16_t>{1, 2, 3, 4}));
}

TEST(WavFile, WrittenFileReadsBack) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("wav_round_trip_" + std::to_string(getpid()) + ".wav");
    const WavAudio written = StereoFromMono(std::vector<float>{0.5f, -0.25f, 2.0f});
    ASSERT_TRUE(WriteWavFile(file, written));
    WavAudio read;
    EXPECT_EQ(ReadWavFile(file, read), WavResult::Ok);
    EXPECT_EQ(read.samples, (std::vector<std::int16_t>{16384, 16384, -8192, -8192, 32767, 32767}));
    std::filesystem::remove(file);
    EXPECT_EQ(ReadWavFile(file, read), WavResult::CannotOpen);
}

}  // namespace
