#pragma once
// A small reader and writer of RIFF WAVE files: PCM, 16-bit, 44100 Hz, one or two channels.
// Anything else is refused with a reason.

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

struct WavAudio {
    int channels = 2;
    std::vector<std::int16_t> samples;  // interleaved, frames x channels
};

enum class WavResult : int {
    Ok = 0,
    CannotOpen,
    NotRiffWave,
    NoFormat,
    NotPcm,
    Not16Bit,
    Not44100,
    BadChannelCount,
    NoData,
};
const char* WavResultText(WavResult result);

[[nodiscard]] WavResult ParseWav(std::span<const std::uint8_t> bytes, WavAudio& out);
[[nodiscard]] WavResult ReadWavFile(const std::filesystem::path& file, WavAudio& out);
[[nodiscard]] bool WriteWavFile(const std::filesystem::path& file, const WavAudio& audio);

// (left + right) / 2 per frame (the sample itself for mono), scaled by 1 / 32768.
std::vector<float> MonoMix(const WavAudio& audio);
// Mono floats in [-1, 1] to 16-bit samples, both channels alike.
WavAudio StereoFromMono(std::span<const float> mono);
