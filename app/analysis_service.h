#pragma once
// The audio analysis worker with the recording devices and the clock it runs on, started by
// the view and stopped by shut-down. UI thread only.

#include <chrono>

#include "app/velmoranth_app.h"
#include "audio/analysis_clock.h"
#include "audio/analysis_thread.h"
#include "platform/capture/sdl_capture.h"

class AnalysisService final : public AppWorker {
  public:
    AnalysisService();
    AnalysisService(const AnalysisService&) = delete;
    AnalysisService& operator=(const AnalysisService&) = delete;

    // Starts the thread and waits, looking every 50 ms, until it has tried to open a recording
    // device; false when the limit passed first (start-up goes on without recorded sound).
    [[nodiscard]] bool Start(std::chrono::milliseconds limit);
    [[nodiscard]] bool StopWithin(std::chrono::milliseconds limit) override {
        return m_worker.StopWithin(limit);
    }

  private:
    pcapture::SdlAudioScope m_sdl;  // first: the devices need SDL's audio started
    pcapture::SdlCapture m_capture;
    SystemAnalysisClock m_clock;
    AudioAnalysisWorker m_worker;  // last: its thread ends before the members it uses go away
};
