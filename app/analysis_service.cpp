#include "app/analysis_service.h"

#include <cstdio>

#include "animation/human_object.h"
#include "animation/view_state.h"
#include "audio/music_player.h"

// While the music player plays, the thread takes the song's tap instead of the device.
AnalysisService::AnalysisService()
    : m_worker(
          m_capture, m_clock,
          AnalysisReads{
              .PlayerState = &PlayerState, .Paused = &Paused, .CurrentDancer = &CurrentDancer}) {}

bool AnalysisService::Start(std::chrono::milliseconds limit) {
    if (!m_sdl.Ok()) std::fprintf(stderr, "AUDIO: SDL audio did not start; no recording device\n");
    m_worker.Start();
    if (m_worker.WaitUntilStarted(limit)) return true;
    std::fprintf(stderr, "AUDIO: the analysis thread did not start in %lld ms; going on\n",
                 static_cast<long long>(limit.count()));
    return false;
}
