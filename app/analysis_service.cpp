#include "app/analysis_service.h"

#include <cstdio>

#include "animation/human_object.h"
#include "animation/view_state.h"

// No music player yet, so the player state reads as 0 (no songs) and the thread records.
AnalysisService::AnalysisService()
    : m_worker(m_capture, m_clock,
               AnalysisReads{
                   .PlayerState = nullptr, .Paused = &Paused, .CurrentDancer = &CurrentDancer}) {}

bool AnalysisService::Start(std::chrono::milliseconds limit) {
    if (!m_sdl.Ok()) std::fprintf(stderr, "AUDIO: SDL audio did not start; no recording device\n");
    m_worker.Start();
    if (m_worker.WaitUntilStarted(limit)) return true;
    std::fprintf(stderr, "AUDIO: the analysis thread did not start in %lld ms; going on\n",
                 static_cast<long long>(limit.count()));
    return false;
}
