#include "audio/pcm_levels.h"

#include <cmath>

namespace {
constexpr float kPcmScale = 32768.0f;
constexpr int kLoudSample = 100;  // samples beyond +-100 count towards the frame's average
}  // namespace

void PcmToMono(const std::int16_t* src, float* dst, int frames, int channels, float* mean,
               float* peak) {
    *mean = 0.0f;
    *peak = 0.0f;
    if (frames <= 0 || channels <= 0) return;
    float sum = 0.0f;
    for (int f = 0; f < frames; ++f) {
        const std::int16_t* frame = src + static_cast<long>(f) * channels;
        float v = 0.0f;
        int loud = 0;
        for (int c = 0; c < channels; ++c) {
            v += static_cast<float>(frame[c]) / kPcmScale;
            if (frame[c] > kLoudSample || frame[c] < -kLoudSample) ++loud;
        }
        if (loud > 0) v /= static_cast<float>(loud);
        dst[f] = v;
        if (v > *peak) *peak = v;
        sum += std::fabs(v);
    }
    *mean = sum / static_cast<float>(frames);
}
