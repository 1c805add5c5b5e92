#include "platform/clock/elapsed_clock.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;
// Set during static initialisation, so the clock counts from the start of the process.
const Clock::time_point kProcessStart = Clock::now();

}  // namespace

std::uint32_t ProcessMilliseconds() {
    const auto elapsed = Clock::now() - kProcessStart;
    // Starts at 1, because a clock base of 0 means "not set yet" to every user.
    return 1 + static_cast<std::uint32_t>(
                   std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

float GetElapsedMilliseconds(std::int32_t* base) {
    // The clock is read as a float rounded to whole milliseconds; the base is kept as a
    // 32-bit integer and read back unsigned, as the frame and key clocks expect.
    const float now = static_cast<float>(ProcessMilliseconds()) / 1000.0f * 1000.0f;
    if (*base == 0) *base = static_cast<std::int32_t>(now);
    return now - static_cast<float>(static_cast<std::uint32_t>(*base));
}
