#pragma once
// The analysis worker thread: pass by pass it takes a block of 512 sound values from the
// recording device, the music player's tap or silence, prepares it, runs the beat tracker
// on it, and switches the recording device when the audio source dialog asks for another.

#include "platform/capture/capture_source.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <thread>

class AnalysisClock;

// ---- Analysis thread status ----
// Writer: the analysis thread. Readers: the UI thread (start-up, the frame driver, the audio
// source dialog and its commands).
extern std::atomic<int> AudioThreadStarted;  // 1 once the thread has tried to open a device
extern std::atomic<int> AudioThreadStop;     // 1 while no analysis thread runs
extern std::atomic<int> WaveInActive;        // a recording device is open and feeding blocks
extern std::atomic<int> CurrentAudioDevice;  // device id now open; -1 the default one or none
extern std::atomic<float> AnalysisStepMs;    // milliseconds between this pass and the previous

// ---- Requests to the analysis thread ----
// Writer: the UI thread (the Select Audio Source command). The thread takes it with an
// exchange, so a request made while it serves another is never lost.
extern std::atomic<int> RequestedAudioDevice;  // -1 none pending

// ---- Dance when silent ----
// Writers: the UI thread (its toggle command) and the analysis thread (cleared after a device
// switch). Reader: the analysis thread, for the tracker.
extern std::atomic<int> DanceWhenSilent;

// Values that other subsystems own and the analysis thread only reads, once per pass. Each
// points at its owner's global; a null pointer reads as 0.
struct AnalysisReads {
    const std::atomic<int>* PlayerState = nullptr;    // 2 playing, 3 paused: use the tap
    const std::atomic<int>* Paused = nullptr;         // 1: passes without a block analyse nothing
    const std::atomic<int>* CurrentDancer = nullptr;  // for the tracker's mode rule
};

// Blocks analysed since the thread started, by where they came from.
struct AnalysisCounts {
    std::atomic<std::uint64_t> recorded{0};  // from the recording device
    std::atomic<std::uint64_t> tapped{0};    // from the music player's tap
    std::atomic<std::uint64_t> silent{0};    // zero blocks of passes that found none
    std::atomic<std::uint64_t> stalls{0};    // recording devices closed for delivering nothing
};

class AudioAnalysisWorker {
public:
    AudioAnalysisWorker(pcapture::CaptureSource& capture, AnalysisClock& clock,
                        AnalysisReads reads);
    ~AudioAnalysisWorker() { Stop(); }
    AudioAnalysisWorker(const AudioAnalysisWorker&) = delete;
    AudioAnalysisWorker& operator=(const AudioAnalysisWorker&) = delete;

    // Starts the thread. Call once, or again after Stop.
    void Start();
    // Waits, looking every 50 ms, until the thread has tried to open a recording device;
    // false when `limit` passed first (the thread goes on trying by itself).
    [[nodiscard]] bool WaitUntilStarted(std::chrono::milliseconds limit) const;
    // Ends the thread and waits for it; the recording device is closed when it returns.
    void Stop();
    // Ends the thread, waiting at most `limit`. False when it is still running (wedged in a
    // device call that never returns): it is left behind, and this worker with what it uses
    // must then stay alive until the process ends.
    [[nodiscard]] bool StopWithin(std::chrono::milliseconds limit);

    // The thread body, returns 0. Tests drive its steps on their own thread instead.
    int AudioAnalysisThreadProc(std::stop_token stop);
    void BeginRun();                     // the start steps
    void RunPass(std::stop_token stop);  // one pass
    void EndRun();                       // after the last pass

    const AnalysisCounts& Counts() const { return m_counts; }

private:
    struct Levels {
        float mean = 0.0f;
        float peak = 0.0f;
    };
    void AskToEnd();
    [[nodiscard]] bool TakeBlock(std::stop_token stop, Levels& levels);
    [[nodiscard]] bool TakeRecordedBlock(std::stop_token stop, Levels& levels);
    [[nodiscard]] bool TakeTappedBlock(Levels& levels);
    void AnalyseBlock(const Levels& levels);
    void ServeDeviceRequest();
    int Read(const std::atomic<int>* value) const;

    pcapture::CaptureSource& m_capture;
    AnalysisClock& m_clock;
    AnalysisReads m_reads;
    AnalysisCounts m_counts;
    double m_lastPassMs = 0.0;     // 0: no previous pass
    bool m_recordingIdle = false;  // the player had the last pass while a device was open
    float m_block[pcapture::kBlockFrames] = {};
    std::int16_t m_pcm[pcapture::kBlockSamples] = {};
    std::mutex m_endMutex;
    std::condition_variable m_endWake;
    bool m_ended = false;   // the thread body has returned; guarded by m_endMutex
    std::jthread m_thread;  // last, so it ends before the members it uses go away
};
