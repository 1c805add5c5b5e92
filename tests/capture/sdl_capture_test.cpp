#include "platform/capture/sdl_capture.h"

#include "tests/capture/raw_pcm_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;
using pcapture::kBlockSamples;
using pcapture::Result;

// SDL's disk driver records from a raw file: value i of it is i mod 32768.
std::vector<std::int16_t> CountingSamples(int blocks) {
    std::vector<std::int16_t> samples(static_cast<size_t>(blocks) * kBlockSamples);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>(i % 32768);
    return samples;
}

TEST(ThreadedSdlCapture, RecordsTheFileInWholeBlocksUntilClosed) {
    DiskDriverInput input(CountingSamples(40));
    pcapture::SdlAudioScope audio;
    ASSERT_TRUE(audio.Ok());
    ASSERT_GE(pcapture::CaptureDeviceCount(), 1);
    std::string name;
    EXPECT_TRUE(pcapture::CaptureDeviceName(0, name));
    EXPECT_FALSE(pcapture::CaptureDeviceName(pcapture::CaptureDeviceCount(), name));

    pcapture::SdlCapture capture;
    ASSERT_EQ(capture.Open(-1), Result::Ok);
    std::int16_t block[kBlockSamples];
    int got = 0;
    int expectFirst = -1;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (got < 8 && std::chrono::steady_clock::now() < deadline) {
        if (!capture.ReadBlock(block)) {
            std::this_thread::sleep_for(2ms);
            continue;
        }
        // Blocks follow each other without a gap.
        if (expectFirst >= 0) {
            ASSERT_EQ(block[0], expectFirst);
        }
        for (int i = 1; i < kBlockSamples; ++i) ASSERT_EQ(block[i], (block[0] + i) % 32768);
        expectFirst = (block[0] + kBlockSamples) % 32768;
        ++got;
    }
    EXPECT_EQ(got, 8);
    EXPECT_EQ(capture.DroppedBlocks(), 0u);

    capture.Close();
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(capture.ReadBlock(block)) << "nothing arrives after Close";
}

TEST(SdlCapture, OpenFailsCleanlyWithoutTheAudioSystemOrTheDevice) {
    pcapture::SdlCapture capture;
    EXPECT_EQ(capture.Open(-1), Result::NotInitialised);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);  // the dummy driver records nothing
    pcapture::SdlAudioScope audio;
    ASSERT_TRUE(audio.Ok());
    EXPECT_EQ(capture.Open(pcapture::CaptureDeviceCount() + 3), Result::NoSuchDevice);
}

}  // namespace
