#include "audio/analysis_clock.h"

#include "platform/clock/elapsed_clock.h"

#include <chrono>

double SystemAnalysisClock::ElapsedMs() {
    // Whole milliseconds in integers, so the step between passes stays exact after hours.
    const std::uint32_t now = ProcessMilliseconds();
    if (!m_started) {
        m_started = true;
        m_base = now;
    }
    return static_cast<double>(now - m_base);
}

void SystemAnalysisClock::SleepMs(int ms, std::stop_token stop) {
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, stop, std::chrono::milliseconds(ms), [] { return false; });
}
