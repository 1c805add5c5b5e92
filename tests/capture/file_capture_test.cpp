#include "platform/capture/file_capture.h"

#include "tests/capture/raw_pcm_file.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using pcapture::FileCapture;
using pcapture::kBlockSamples;
using pcapture::Result;

class FileCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = std::filesystem::temp_directory_path() /
                 ("file_capture_" + std::to_string(::getpid()) + ".raw");
    }
    void TearDown() override { std::filesystem::remove(m_path); }

    std::filesystem::path m_path;
};

TEST_F(FileCaptureTest, DeliversWholeBlocksThenGoesQuiet) {
    // Two and a half blocks: the half block at the end is never delivered.
    std::vector<std::int16_t> samples(kBlockSamples * 5 / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(i % 2 ? -static_cast<int>(i) : static_cast<int>(i));
    }
    samples[1] = -32768;
    samples[2] = 32767;
    WriteRawPcm(m_path, samples);

    FileCapture capture(m_path);
    ASSERT_EQ(capture.Open(-1), Result::Ok);
    std::int16_t block[kBlockSamples];
    for (int b = 0; b < 2; ++b) {
        ASSERT_TRUE(capture.ReadBlock(block));
        for (int i = 0; i < kBlockSamples; ++i) {
            ASSERT_EQ(block[i], samples[static_cast<size_t>(b * kBlockSamples + i)]) << b << " " << i;
        }
    }
    EXPECT_FALSE(capture.ReadBlock(block));
    EXPECT_FALSE(capture.ReadBlock(block));

    ASSERT_EQ(capture.Open(0), Result::Ok) << "opening again starts from the beginning";
    ASSERT_TRUE(capture.ReadBlock(block));
    EXPECT_EQ(block[1], -32768);
    capture.Close();
    EXPECT_FALSE(capture.ReadBlock(block));
}

TEST_F(FileCaptureTest, RefusesOtherDevicesAndAMissingFile) {
    WriteRawPcm(m_path, std::vector<std::int16_t>(kBlockSamples));
    FileCapture capture(m_path);
    EXPECT_EQ(capture.Open(1), Result::NoSuchDevice);
    FileCapture missing(m_path.string() + ".absent");
    EXPECT_EQ(missing.Open(-1), Result::OpenFailed);
    std::int16_t block[kBlockSamples];
    EXPECT_FALSE(missing.ReadBlock(block));
}

}  // namespace
