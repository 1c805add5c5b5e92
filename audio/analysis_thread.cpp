#include "audio/analysis_thread.h"

#include "audio/music_detect.h"
#include "audio/analysis_clock.h"
#include "audio/analysis_tap.h"
#include "audio/auto_gain.h"
#include "audio/beat_tracker.h"
#include "audio/pcm_levels.h"
#include "audio/real_fft.h"
#include "audio/wave_in.h"

#include <algorithm>
#include <cmath>

std::atomic<int> AudioThreadStarted{0};
std::atomic<int> AudioThreadStop{0};
std::atomic<int> WaveInActive{0};
std::atomic<int> CurrentAudioDevice{-1};
std::atomic<float> AnalysisStepMs{0.0f};
std::atomic<int> RequestedAudioDevice{-1};
std::atomic<int> DanceWhenSilent{0};

namespace {

constexpr int kBlock = pcapture::kBlockFrames;
constexpr int kRecordingWaitMs = 15;
constexpr int kRecordingWaits = 100;  // 1.5 s without a block counts as a lost device
constexpr int kIdleSleepMs = 20;      // a pass that finds no block
constexpr float kGainPeakLimit = 0.9f;  // louder blocks go on without automatic gain
constexpr int kPlayerPlaying = 2;
constexpr int kPlayerPaused = 3;
constexpr int kDanceModeSilent = 3;
constexpr auto kStartPoll = std::chrono::milliseconds(50);
constexpr auto kRelaxed = std::memory_order_relaxed;

void Count(std::atomic<std::uint64_t>& counter) {
    counter.fetch_add(1, kRelaxed);
}

}  // namespace

AudioAnalysisWorker::AudioAnalysisWorker(pcapture::CaptureSource& capture, AnalysisClock& clock,
                                         AnalysisReads reads)
    : m_capture(capture), m_clock(clock), m_reads(reads) {}

void AudioAnalysisWorker::Start() {
    if (m_thread.joinable()) return;
    AudioThreadStarted.store(0, kRelaxed);
    AudioThreadStop.store(0, kRelaxed);
    m_ended = false;  // no thread runs yet
    m_thread = std::jthread([this](std::stop_token stop) {
        AudioAnalysisThreadProc(stop);
        const std::lock_guard lock(m_endMutex);
        m_ended = true;
        m_endWake.notify_all();
    });
}

bool AudioAnalysisWorker::WaitUntilStarted(std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (AudioThreadStarted.load(std::memory_order_acquire) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kStartPoll);
    }
    return true;
}

void AudioAnalysisWorker::Stop() {
    if (!m_thread.joinable()) return;
    AskToEnd();
    m_thread.join();
}

bool AudioAnalysisWorker::StopWithin(std::chrono::milliseconds limit) {
    if (!m_thread.joinable()) return true;
    AskToEnd();
    std::unique_lock lock(m_endMutex);
    if (!m_endWake.wait_for(lock, limit, [this] { return m_ended; })) return false;
    lock.unlock();
    m_thread.join();  // only the notify's return is left to wait for
    return true;
}

void AudioAnalysisWorker::AskToEnd() {
    AudioThreadStop.store(1, kRelaxed);
    m_thread.request_stop();  // also ends a sleep at once
}

int AudioAnalysisWorker::AudioAnalysisThreadProc(std::stop_token stop) {
    BeginRun();
    while (AudioThreadStop.load(kRelaxed) == 0 && !stop.stop_requested()) RunPass(stop);
    EndRun();
    return 0;
}

void AudioAnalysisWorker::BeginRun() {
    WaveInActive.store(1, kRelaxed);
    AudioThreadStop.store(0, kRelaxed);
    m_lastPassMs = 0.0;
    m_recordingIdle = false;
    AnalysisStepMs.store(0.0f, kRelaxed);
    BeatPhase.store(0.0f, kRelaxed);
    MinMusicDetect.store(20.0f, kRelaxed);
    if (m_capture.DeviceCount() == 0) {
        WaveInActive.store(0, kRelaxed);
    } else {
        CurrentAudioDevice.store(-1, kRelaxed);
        WaveInActive.store(OpenWaveInDevice(m_capture, -1), kRelaxed);
    }
    AudioThreadStarted.store(1, std::memory_order_release);  // publishes the device state
}

void AudioAnalysisWorker::RunPass(std::stop_token stop) {
    const double now = m_clock.ElapsedMs();
    // The first pass, and the first after a device switch, only take the time.
    if (m_lastPassMs != 0.0) {
        AnalysisStepMs.store(static_cast<float>(now - m_lastPassMs), kRelaxed);
        Levels levels;
        if (TakeBlock(stop, levels)) AnalyseBlock(levels);
        if (stop.stop_requested()) return;
    }
    m_lastPassMs = std::trunc(now);
    ServeDeviceRequest();
}

void AudioAnalysisWorker::EndRun() {
    if (WaveInActive.load(kRelaxed) != 0) CloseWaveInDevice(m_capture);
    WaveInActive.store(0, kRelaxed);
    AudioThreadStop.store(1, kRelaxed);
}

bool AudioAnalysisWorker::TakeBlock(std::stop_token stop, Levels& levels) {
    const int player = Read(m_reads.PlayerState);
    if (WaveInActive.load(kRelaxed) != 0) {
        if (player == kPlayerPlaying || player == kPlayerPaused) {
            m_recordingIdle = true;
        } else {
            // What the device recorded while the player had the passes is long past.
            if (m_recordingIdle) m_capture.Reset();
            m_recordingIdle = false;
            if (TakeRecordedBlock(stop, levels)) return true;
            if (stop.stop_requested()) return false;
        }
    }
    if (TakeTappedBlock(levels)) return true;
    m_clock.SleepMs(kIdleSleepMs, stop);
    // While paused the block still holds the last spectrum, which must not be transformed again.
    if (stop.stop_requested() || Read(m_reads.Paused) != 0) return false;
    std::fill_n(m_block, kBlock, 0.0f);
    levels = {};
    Count(m_counts.silent);
    return true;
}

bool AudioAnalysisWorker::TakeRecordedBlock(std::stop_token stop, Levels& levels) {
    for (int wait = 0;; ++wait) {
        if (m_capture.ReadBlock(m_pcm)) {
            PcmToMono(m_pcm, m_block, kBlock, WaveInChannels, &levels.mean, &levels.peak);
            Count(m_counts.recorded);
            return true;
        }
        if (wait == kRecordingWaits) break;
        m_clock.SleepMs(kRecordingWaitMs, stop);
        if (stop.stop_requested()) return false;
    }
    // The device has gone quiet (unplugged, or its server stopped): close it and go on with
    // the tap or silence, so the dance keeps moving and a later request is still served.
    CloseWaveInDevice(m_capture);
    WaveInActive.store(0, kRelaxed);
    CurrentAudioDevice.store(-1, kRelaxed);
    Count(m_counts.stalls);
    return false;
}

bool AudioAnalysisWorker::TakeTappedBlock(Levels& levels) {
    if (!TakeTapBlock(m_block)) return false;
    float peak = 0.0f;  // only positive values raise it
    float sum = 0.0f;
    for (float v : m_block) {
        peak = std::max(peak, v);
        sum += std::fabs(v);
    }
    levels = {sum / kBlock, peak};
    Count(m_counts.tapped);
    return true;
}

void AudioAnalysisWorker::AnalyseBlock(const Levels& levels) {
    if (levels.peak < kGainPeakLimit) AutoGain(m_block, kBlock, levels.mean, levels.peak);
    ComputeSpectrum(m_block, kBlock, 0);
    TrackerInputs inputs;
    inputs.AnalysisStepMs = AnalysisStepMs.load(kRelaxed);
    inputs.MinMusicDetect = MinMusicDetect.load(kRelaxed);
    inputs.DanceWhenSilent = DanceWhenSilent.load(kRelaxed);
    inputs.CurrentDancer = Read(m_reads.CurrentDancer);
    AnalyzeAudioBlock(m_block, kBlock, inputs);
}

void AudioAnalysisWorker::ServeDeviceRequest() {
    const int requested = RequestedAudioDevice.exchange(-1, std::memory_order_acq_rel);
    if (requested < 0) return;
    if (WaveInActive.load(kRelaxed) != 0) CloseWaveInDevice(m_capture);
    m_lastPassMs = 0.0;
    m_recordingIdle = false;
    const int opened = OpenWaveInDevice(m_capture, requested);
    WaveInActive.store(opened, kRelaxed);
    if (opened == 0) {
        CurrentAudioDevice.store(-1, kRelaxed);
        return;
    }
    BeatDanceWeight.store(0.0f, kRelaxed);
    SilentDanceWeight.store(1.0f, kRelaxed);
    DanceWhenSilent.store(0, kRelaxed);
    DanceMode.store(kDanceModeSilent, kRelaxed);
    CurrentAudioDevice.store(requested, kRelaxed);
}

int AudioAnalysisWorker::Read(const std::atomic<int>* value) const {
    return value != nullptr ? value->load(kRelaxed) : 0;
}
