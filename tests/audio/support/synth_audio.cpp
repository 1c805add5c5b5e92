#include "tests/audio/support/synth_audio.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace {
std::size_t FrameAt(double seconds) { return static_cast<std::size_t>(seconds * kMixRate); }
}  // namespace

std::vector<double> KickOnsets(const KickTrack& track) {
    std::vector<double> onsets;
    const double period = 60.0 / track.bpm;
    for (double t = track.firstOnset; t < track.seconds; t += period) onsets.push_back(t);
    return onsets;
}

std::vector<float> MakeKicks(const KickTrack& track) {
    std::vector<float> samples(FrameAt(track.seconds), 0.0f);
    for (double onset : KickOnsets(track)) {
        // A burst rings for ten decay times at most, which is silence at 16 bits.
        const std::size_t end = std::min(samples.size(), FrameAt(onset + 10.0 * track.decay));
        for (std::size_t i = FrameAt(onset); i < end; ++i) {
            const double t = static_cast<double>(i) / kMixRate - onset;
            samples[i] += static_cast<float>(track.amplitude * std::exp(-t / track.decay) *
                                             std::sin(2.0 * std::numbers::pi * track.frequency * t));
        }
    }
    return samples;
}

std::vector<float> MakeNoise(double seconds, double sigma, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss(0.0, sigma);
    std::vector<float> samples(FrameAt(seconds));
    for (float& s : samples) s = static_cast<float>(gauss(random));
    return samples;
}

void Silence(std::vector<float>& samples, double from, double to) {
    const std::size_t end = std::min(samples.size(), FrameAt(to));
    for (std::size_t i = std::min(FrameAt(from), end); i < end; ++i) samples[i] = 0.0f;
}
