#include "tools/songs/demo_song.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

constexpr int kRate = 44100;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Roots of the four bars, in Hz (A minor, F, C, G), and each chord's third and fifth as ratios.
constexpr double kBarRoots[4] = {55.0, 43.65, 65.41, 49.0};
constexpr double kChordRatios[3][4] = {
    {2.0, 2.0, 2.0, 2.0}, {2.378, 2.52, 2.52, 2.52}, {2.997, 2.997, 2.997, 2.997}};

// A small fixed-seed generator, so the noise of the drums is the same on every machine.
class Noise {
  public:
    float Next() {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<float>(m_state >> 8) / static_cast<float>(1u << 23) - 1.0f;
    }

  private:
    std::uint32_t m_state = 12345u;
};

double Kick(double t) {  // a falling sine thump
    const double pitch = 50.0 + 90.0 * std::exp(-t * 30.0);
    return 0.9 * std::sin(kTwoPi * pitch * t) * std::exp(-t * 9.0);
}

}  // namespace

const std::vector<DemoSong>& DemoSongs() {
    static const std::vector<DemoSong> songs = {
        {"Velmoranth Demo 100", 100, 48, SongFormat::Wav},
        {"Velmoranth Demo 120", 120, 52, SongFormat::Ogg},
        {"Velmoranth Demo 128", 128, 56, SongFormat::Mp3},
        {"Velmoranth Demo 110", 110, 46, SongFormat::Wma},
    };
    return songs;
}

std::vector<float> ComposeDemoSong(int beatsPerMinute, int seconds) {
    const std::int64_t frames = static_cast<std::int64_t>(seconds) * kRate;
    const double beatSeconds = 60.0 / beatsPerMinute;
    std::vector<float> out(static_cast<std::size_t>(frames) * 2);
    Noise noise;
    for (std::int64_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double beats = t / beatSeconds;
        const auto beat = static_cast<std::int64_t>(beats);
        const double inBeat = (beats - static_cast<double>(beat)) * beatSeconds;  // seconds
        const int bar = static_cast<int>((beat / 4) % 4);
        const double hit = noise.Next();
        double drums = Kick(inBeat);
        if (beat % 2 == 1) drums += 0.35 * hit * std::exp(-inBeat * 18.0);  // snare on 2 and 4
        const double offBeat = inBeat - beatSeconds / 2.0;
        if (offBeat >= 0.0) drums += 0.12 * hit * std::exp(-offBeat * 60.0);  // hi-hat
        const double root = kBarRoots[bar];
        // Bass: the root on the beat, an octave up on the off-beat.
        const double bassPitch = offBeat >= 0.0 ? root * 2.0 : root;
        const double bass = 0.3 * std::sin(kTwoPi * bassPitch * t) * std::exp(-inBeat * 3.0);
        double chord = 0.0;
        for (const auto& ratio : kChordRatios)
            chord += std::sin(kTwoPi * root * 2.0 * ratio[bar] * t);
        chord *= 0.05;
        // Chords lean left, hi-hats and snare sit in the middle, so the two channels differ.
        out[static_cast<std::size_t>(2 * i)] =
            static_cast<float>(0.6 * (drums + bass) + 0.8 * chord);
        out[static_cast<std::size_t>(2 * i + 1)] =
            static_cast<float>(0.6 * (drums + bass) + 0.4 * chord);
    }
    return out;
}
