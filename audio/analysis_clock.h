#pragma once
// The analysis thread's clock and sleep, behind an interface so tests run the thread's
// passes on a virtual clock.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stop_token>

class AnalysisClock {
public:
    virtual ~AnalysisClock() = default;
    // Whole milliseconds since this clock was first read; the first reading is 0.
    virtual double ElapsedMs() = 0;
    // Sleeps `ms` milliseconds, or less once `stop` is requested.
    virtual void SleepMs(int ms, std::stop_token stop) = 0;
};

// The process's millisecond clock, with a base of the thread's own.
class SystemAnalysisClock final : public AnalysisClock {
public:
    double ElapsedMs() override;
    void SleepMs(int ms, std::stop_token stop) override;

private:
    bool m_started = false;
    std::uint32_t m_base = 0;
    std::mutex m_mutex;
    std::condition_variable_any m_wake;  // never notified: only a stop request ends a wait early
};
