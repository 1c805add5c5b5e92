// The analysis thread on its own thread, recording a click track through SDL's disk driver.

#include "audio/analysis_clock.h"
#include "audio/analysis_thread.h"
#include "audio/beat_tracker.h"
#include "platform/capture/sdl_capture.h"
#include "tests/audio/support/scripted_capture.h"
#include "tests/audio/support/synth_audio.h"
#include "tests/capture/raw_pcm_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

std::vector<std::int16_t> StereoClicks(double seconds) {
    KickTrack track;
    track.seconds = seconds;
    std::vector<std::int16_t> samples;
    for (float v : MakeKicks(track)) samples.insert(samples.end(), 2, ToPcm(v));
    return samples;
}

TEST(ThreadedAnalysis, DancesOnTheBeatOfARecordedClickTrackAndStopsWhenAsked) {
    DiskDriverInput input(StereoClicks(6.0));
    ResetBeatTracker();
    RequestedAudioDevice.store(-1);
    pcapture::SdlAudioScope audio;
    ASSERT_TRUE(audio.Ok());
    pcapture::SdlCapture capture;
    SystemAnalysisClock clock;
    AudioAnalysisWorker worker(capture, clock, {});
    worker.Start();
    ASSERT_TRUE(worker.WaitUntilStarted(3s));
    EXPECT_EQ(WaveInActive.load(), 1);
    EXPECT_EQ(CurrentAudioDevice.load(), -1);

    const auto start = std::chrono::steady_clock::now();
    while (DanceMode.load() != 1 && std::chrono::steady_clock::now() - start < 4s) {
        std::this_thread::sleep_for(10ms);
    }
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(DanceMode.load(), 1);
    EXPECT_LT(took, 2s);

    // A request for a device that is not there is served: the thread goes on without one.
    RequestedAudioDevice.store(pcapture::CaptureDeviceCount() + 5);
    const auto asked = std::chrono::steady_clock::now();
    while (WaveInActive.load() != 0 && std::chrono::steady_clock::now() - asked < 2s) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(RequestedAudioDevice.load(), -1);
    EXPECT_EQ(CurrentAudioDevice.load(), -1);
    EXPECT_EQ(WaveInActive.load(), 0);
    const auto closed = std::chrono::steady_clock::now();
    while (worker.Counts().silent.load() == 0 && std::chrono::steady_clock::now() - closed < 2s) {
        std::this_thread::sleep_for(5ms);
    }

    worker.Stop();
    EXPECT_EQ(AudioThreadStop.load(), 1);
    EXPECT_GT(worker.Counts().recorded.load(), 50u);
    EXPECT_GT(worker.Counts().silent.load(), 0u);
}

}  // namespace
