#pragma once
// Recording-device samples to one float per frame, with the block's mean and peak level.

#include <cstdint>

// src holds frames x channels interleaved samples. A frame's value is the sum of its samples
// / 32768, divided by the number of them that are louder than 100, when there is any.
// peak is the largest positive value (0 if none), mean the mean of the absolute values.
// With no frames or no channels nothing is written to dst and mean = peak = 0.
void PcmToMono(const std::int16_t* src, float* dst, int frames, int channels, float* mean,
               float* peak);
