#pragma once
// The millisecond clock: whole milliseconds of a monotonic clock since the process started.

#include <cstdint>

// Milliseconds since the process started, plus one (never 0).
std::uint32_t ProcessMilliseconds();

// Milliseconds since the caller's base. A base of 0 is unset: the first call stores the
// current clock in it and returns 0. Each user keeps a base of its own.
float GetElapsedMilliseconds(std::int32_t* base);
