#pragma once
// Synthetic mono test signals at the mixer rate, made in code so every run sees the same audio.

#include <cstdint>
#include <vector>

constexpr int kMixRate = 44100;

struct KickTrack {
    double bpm = 120.0;
    double seconds = 10.0;
    double firstOnset = 0.1;    // seconds
    double amplitude = 0.8;
    double frequency = 60.0;    // Hz
    double decay = 0.05;        // seconds, exp(-t / decay)
};

// A decaying sine burst at every beat.
std::vector<float> MakeKicks(const KickTrack& track);
// The onset times of MakeKicks, in seconds.
std::vector<double> KickOnsets(const KickTrack& track);
// Gaussian white noise from a fixed seed.
std::vector<float> MakeNoise(double seconds, double sigma, std::uint32_t seed);
// Zeros every sample from `from` up to `to` seconds.
void Silence(std::vector<float>& samples, double from, double to);
