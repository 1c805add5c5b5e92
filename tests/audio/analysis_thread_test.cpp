#include "audio/analysis_thread.h"

#include "audio/music_detect.h"
#include "audio/analysis_tap.h"
#include "audio/auto_gain.h"
#include "audio/beat_tracker.h"
#include "tests/audio/support/scripted_capture.h"
#include "tests/audio/support/synth_audio.h"
#include "tests/support/case_name.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace {

constexpr double kPassCostMs = 0.1;  // virtual time one pass takes besides its sleeps

std::vector<float> Kicks(double seconds, double bpm = 120.0) {
    KickTrack track;
    track.bpm = bpm;
    track.seconds = seconds;
    return MakeKicks(track);
}

// The thread's passes on the test's thread, on a virtual clock, with scripted devices.
class AnalysisPasses : public ::testing::Test {
protected:
    void SetUp() override {
        ResetBeatTracker();
        ResetAutoGain();
        RequestedAudioDevice.store(-1);
        CurrentAudioDevice.store(-1);
        DanceWhenSilent.store(0);
        FmodBlockReady.store(0);
        MinMusicDetect.store(5.0f);  // BeginRun must put it back to 20
    }

    void Begin() { m_worker.BeginRun(); }

    // Runs passes until the virtual clock reaches `endMs`; returns the time at which `until`
    // first held, if it did.
    std::optional<double> RunUntil(double endMs, const std::function<bool()>& until = {}) {
        while (m_clock.Now() < endMs) {
            Pass();
            if (until && until()) return m_clock.Now();
        }
        return std::nullopt;
    }
    void Pass() {
        m_worker.RunPass(std::stop_token{});
        m_clock.Advance(kPassCostMs);
    }
    static bool Dancing() { return DanceMode.load() == 1; }

    VirtualClock m_clock;
    ScriptedCapture m_capture{m_clock};
    std::atomic<int> m_playerState{0}, m_paused{0}, m_dancer{0};
    AudioAnalysisWorker m_worker{m_capture, m_clock, {&m_playerState, &m_paused, &m_dancer}};
};

struct StartCase {
    const char* name;
    int devices;
    bool defaultOpens;
    int wantActive;
    int wantOpens;
};
const StartCase kStartCases[] = {
    {"NoDeviceIsNotOpened", 0, true, 0, 0},
    {"DefaultDeviceOpens", 2, true, 1, 1},
    {"DefaultDeviceFails", 1, false, 0, 1},
};
class AnalysisStart : public AnalysisPasses, public ::testing::WithParamInterface<StartCase> {};

TEST_P(AnalysisStart, TriesTheDefaultDeviceThenReportsStarted) {
    const StartCase& c = GetParam();
    for (int d = 0; d < c.devices; ++d) m_capture.AddDevice({.signal = {}, .opens = d > 0 || c.defaultOpens});
    AudioThreadStarted.store(0);
    BeatPhase.store(2.5f);
    Begin();
    EXPECT_EQ(AudioThreadStarted.load(), 1);
    EXPECT_EQ(WaveInActive.load(), c.wantActive);
    EXPECT_EQ(m_capture.Opens(), c.wantOpens);
    EXPECT_EQ(m_capture.OpenDevice(), c.wantActive ? 0 : -1);
    EXPECT_EQ(CurrentAudioDevice.load(), -1);
    EXPECT_EQ(BeatPhase.load(), 0.0f);
    EXPECT_EQ(MinMusicDetect.load(), 20.0f);
}
INSTANTIATE_TEST_SUITE_P(Cases, AnalysisStart, ::testing::ValuesIn(kStartCases), CaseName());

TEST_F(AnalysisPasses, FirstPassesOnlyTakeTheTimeUntilTheClockHasMoved) {
    m_capture.AddDevice({.signal = Kicks(1.0)});
    Begin();
    for (int i = 0; i < 5; ++i) m_worker.RunPass(std::stop_token{});  // the clock reads 0
    EXPECT_TRUE(m_capture.Deliveries().empty());
    m_clock.Advance(25.0);  // two blocks are waiting now
    m_worker.RunPass(std::stop_token{});  // only takes the time 25
    EXPECT_TRUE(m_capture.Deliveries().empty());
    m_clock.Advance(1.0);
    m_worker.RunPass(std::stop_token{});
    EXPECT_EQ(m_capture.Deliveries().size(), 1u);
    EXPECT_EQ(AnalysisStepMs.load(), 1.0f);
}

TEST_F(AnalysisPasses, RecordingPathAnalysesEveryBlockAt86ASecond) {
    m_capture.AddDevice({.signal = Kicks(10.0)});
    Begin();
    const auto dancing = RunUntil(10000.0, Dancing);
    ASSERT_TRUE(dancing.has_value()) << "a 120 BPM click track must reach mode 1";
    EXPECT_LT(*dancing, 2000.0);
    RunUntil(10000.0);

    const auto& got = m_capture.Deliveries();
    const int recorded = static_cast<int>(10000.0 / kRecordedBlockMs);
    EXPECT_NEAR(static_cast<int>(got.size()), recorded, 1);
    EXPECT_EQ(m_capture.Dropped(), 0);
    for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i].index, static_cast<int>(i));
    EXPECT_EQ(m_worker.Counts().recorded.load(), got.size());
    EXPECT_EQ(m_worker.Counts().silent.load(), 0u);
    EXPECT_EQ(m_worker.Counts().tapped.load(), 0u);
    // The tracker's clock follows the passes' steps, so it matches the clock it ran on.
    EXPECT_NEAR(CurrentBeatTrackerState().clock, 10.0, 0.05);
}

TEST_F(AnalysisPasses, TapPathPutsZeroBlocksBetweenTapBlocks) {
    VirtualMixer mixer(m_clock, Kicks(10.0));
    m_playerState.store(2);
    Begin();  // no recording device
    const auto dancing = RunUntil(10000.0, Dancing);
    ASSERT_TRUE(dancing.has_value()) << "the song's beat must reach mode 1";
    EXPECT_LT(*dancing, 3000.0);
    RunUntil(10000.0);

    const auto& counts = m_worker.Counts();
    EXPECT_NEAR(static_cast<double>(counts.tapped.load()), mixer.BlocksMixed(), 1.0);
    // A mixer block lasts 23.2 ms and a pass without a block sleeps 20 ms: between two tap
    // blocks there is one zero block, sometimes two.
    EXPECT_GE(counts.silent.load(), counts.tapped.load() - 1);
    EXPECT_LE(counts.silent.load(), 2 * counts.tapped.load());
    EXPECT_EQ(counts.recorded.load(), 0u);
}

TEST_F(AnalysisPasses, WhilePlayingTheDeviceIsIgnoredAndResumesWithFreshBlocks) {
    m_capture.AddDevice({.signal = Kicks(10.0)});
    VirtualMixer mixer(m_clock, Kicks(10.0));
    mixer.SetPlaying(false);
    Begin();
    RunUntil(2000.0);
    const size_t before = m_capture.Deliveries().size();
    m_playerState.store(2);
    mixer.SetPlaying(true);
    RunUntil(4000.0);
    EXPECT_EQ(m_capture.Deliveries().size(), before) << "the device is not read while playing";
    EXPECT_GT(m_worker.Counts().tapped.load(), 0u);

    m_playerState.store(1);
    mixer.SetPlaying(false);
    RunUntil(4500.0);
    ASSERT_GT(m_capture.Deliveries().size(), before);
    const auto& first = m_capture.Deliveries()[before];
    EXPECT_GT(first.doneMs, 4000.0 - 2 * kRecordedBlockMs)
        << "blocks recorded while the player played are dropped, not analysed late";
    EXPECT_EQ(WaveInActive.load(), 1);
}

TEST_F(AnalysisPasses, SilenceIsAnalysedEvery20MsAndNothingWhilePaused) {
    Begin();  // no device, player stopped
    RunUntil(5000.0);
    const auto silent = m_worker.Counts().silent.load();
    EXPECT_NEAR(static_cast<double>(silent), 5000.0 / (20.0 + kPassCostMs), 2.0);
    EXPECT_NEAR(CurrentBeatTrackerState().clock, 5.0, 0.05);
    EXPECT_EQ(DanceMode.load(), 3);

    m_paused.store(1);
    const double trackerClock = CurrentBeatTrackerState().clock;
    for (int i = 0; i < 10000; ++i) Pass();
    EXPECT_EQ(m_worker.Counts().silent.load(), silent);
    EXPECT_EQ(CurrentBeatTrackerState().clock, trackerClock) << "paused passes analyse nothing";
    EXPECT_TRUE(std::isfinite(BeatPhase.load()));
    EXPECT_TRUE(std::isfinite(CurrentBeatTrackerState().smoothedLevel));

    m_paused.store(0);
    RunUntil(m_clock.Now() + 1000.0);
    EXPECT_TRUE(std::isfinite(CurrentBeatTrackerState().smoothedLevel));
    EXPECT_GT(m_worker.Counts().silent.load(), silent);
}

TEST_F(AnalysisPasses, StalledDeviceIsClosedAndALaterRequestIsServed) {
    ScriptedCapture::Device stalling{.signal = Kicks(10.0)};
    stalling.stallFromMs = 3000.0;
    stalling.stallToMs = 4600.0;
    m_capture.AddDevice(stalling);
    m_capture.AddDevice({.signal = Kicks(10.0)});
    Begin();
    const auto closed = RunUntil(6000.0, [] { return WaveInActive.load() == 0; });
    ASSERT_TRUE(closed.has_value());
    EXPECT_NEAR(*closed, 3000.0 + 1500.0, 30.0);
    EXPECT_EQ(m_capture.Closes(), 1);
    EXPECT_EQ(CurrentAudioDevice.load(), -1);
    EXPECT_EQ(m_worker.Counts().stalls.load(), 1u);

    // The thread goes on with silence, so the dance keeps its time.
    RunUntil(6000.0);
    EXPECT_GT(m_worker.Counts().silent.load(), 50u);
    EXPECT_NEAR(CurrentBeatTrackerState().clock, 6.0, 0.05);

    RequestedAudioDevice.store(1);
    Pass();
    EXPECT_EQ(RequestedAudioDevice.load(), -1);
    EXPECT_EQ(CurrentAudioDevice.load(), 1);
    EXPECT_EQ(WaveInActive.load(), 1);
    RunUntil(7000.0);
    EXPECT_EQ(m_capture.Deliveries().back().device, 1);
}

struct SwitchCase {
    const char* name;
    int requested;
    int wantDevice;  // CurrentAudioDevice afterwards
};
const SwitchCase kSwitchCases[] = {
    {"ToAWorkingDevice", 1, 1},
    {"ToADeviceThatFailsToOpen", 2, -1},
    {"ToAnUnknownDevice", 7, -1},
};
class DeviceSwitch : public AnalysisPasses, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(DeviceSwitch, ConsumesTheRequestAndResetsTheDanceOnSuccess) {
    const SwitchCase& c = GetParam();
    m_capture.AddDevice({.signal = Kicks(10.0)});
    m_capture.AddDevice({.signal = Kicks(10.0, 100.0)});
    m_capture.AddDevice({.signal = {}, .opens = false});
    DanceWhenSilent.store(1);
    Begin();
    ASSERT_TRUE(RunUntil(3000.0, [] { return BeatDanceWeight.load() >= 1.0f; }).has_value());
    FreeDanceWeight.store(0.5f);

    RequestedAudioDevice.store(c.requested);
    const double switchMs = m_clock.Now();
    Pass();
    const bool opened = c.wantDevice >= 0;
    EXPECT_EQ(RequestedAudioDevice.load(), -1);
    EXPECT_EQ(CurrentAudioDevice.load(), c.wantDevice);
    EXPECT_EQ(WaveInActive.load(), opened ? 1 : 0);
    EXPECT_EQ(m_capture.OpenDevice(), c.wantDevice);
    EXPECT_EQ(DanceMode.load(), opened ? 3 : 1);
    EXPECT_EQ(BeatDanceWeight.load(), opened ? 0.0f : 1.0f);
    EXPECT_EQ(SilentDanceWeight.load(), opened ? 1.0f : 0.0f);
    EXPECT_EQ(DanceWhenSilent.load(), opened ? 0 : 1);
    EXPECT_NEAR(FreeDanceWeight.load(), 0.5f, 0.01f) << "the free-dance weight is kept";

    // The next pass only takes the time.
    const size_t delivered = m_capture.Deliveries().size();
    const float step = AnalysisStepMs.load();
    Pass();
    EXPECT_EQ(m_capture.Deliveries().size(), delivered);
    EXPECT_EQ(AnalysisStepMs.load(), step);

    RunUntil(switchMs + 1000.0);
    const auto& got = m_capture.Deliveries();
    if (opened) {
        ASSERT_GT(got.size(), delivered);
        EXPECT_EQ(got[delivered].device, c.wantDevice);
        EXPECT_EQ(got[delivered].index, 0) << "the first block is the new device's first";
        EXPECT_GT(got[delivered].doneMs, switchMs);
    } else {
        EXPECT_EQ(got.size(), delivered) << "after a failed open the thread runs on silence";
        EXPECT_GT(m_worker.Counts().silent.load(), 40u);
    }
}
INSTANTIATE_TEST_SUITE_P(Cases, DeviceSwitch, ::testing::ValuesIn(kSwitchCases), CaseName());

struct GainCase {
    const char* name;
    bool fromTap;
    float amplitude;
    bool gained;
};
const GainCase kGainCases[] = {
    {"QuietRecordedBlockIsGained", false, 0.5f, true},
    {"LoudRecordedBlockIsNot", false, 0.95f, false},
    {"QuietTapBlockIsGained", true, 0.5f, true},
    {"LoudTapBlockIsNot", true, 0.95f, false},
};
class AnalysisGain : public AnalysisPasses, public ::testing::WithParamInterface<GainCase> {};

TEST_P(AnalysisGain, AppliesOnlyBelowAPeakOf09) {
    const GainCase& c = GetParam();
    const std::vector<float> tone(44100, c.amplitude);
    std::optional<VirtualMixer> mixer;
    if (c.fromTap) {
        mixer.emplace(m_clock, tone);
        m_playerState.store(2);
    } else {
        m_capture.AddDevice({.signal = tone});
    }
    Begin();
    RunUntil(500.0);
    EXPECT_GT(m_worker.Counts().recorded.load() + m_worker.Counts().tapped.load(), 10u);
    if (c.gained) {
        EXPECT_GT(AutoGainValue(), 0.0f);
    } else {
        EXPECT_EQ(AutoGainValue(), 0.0f);
    }
}
INSTANTIATE_TEST_SUITE_P(Cases, AnalysisGain, ::testing::ValuesIn(kGainCases), CaseName());

// A device whose open returns only when the test lets it, like a driver reading a named pipe
// that nobody writes.
class WedgedCapture final : public pcapture::CaptureSource {
public:
    int DeviceCount() override { return 1; }
    [[nodiscard]] pcapture::Result Open(int) override {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return m_freed; });
        return pcapture::Result::OpenFailed;
    }
    void Reset() override {}
    void Close() override {}
    [[nodiscard]] bool ReadBlock(std::int16_t*) override { return false; }
    void Free() {
        const std::lock_guard lock(m_mutex);
        m_freed = true;
        m_wake.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_freed = false;
};

TEST(ThreadedAnalysisStop, GivesUpOnAWedgedThreadAndEndsItOnceItReturns) {
    using namespace std::chrono_literals;
    WedgedCapture capture;
    SystemAnalysisClock clock;
    AudioAnalysisWorker worker(capture, clock, {});
    worker.Start();
    // The thread cannot have finished its start while the open is held.
    EXPECT_FALSE(worker.WaitUntilStarted(50ms));
    EXPECT_FALSE(worker.StopWithin(50ms));
    capture.Free();
    EXPECT_TRUE(worker.StopWithin(60s));  // a bound for a hang, not a speed measure
    EXPECT_EQ(AudioThreadStop.load(), 1);
    EXPECT_EQ(WaveInActive.load(), 0);
    EXPECT_TRUE(worker.StopWithin(0ms));  // nothing left to end
}

}  // namespace
