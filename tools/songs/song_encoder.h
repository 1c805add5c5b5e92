#pragma once
// Writes 44100 Hz float stereo as a song file in one of the four formats the player reads,
// through ffmpeg's encoders: WAV (16-bit PCM), OGG (Vorbis), MP3 (LAME) and WMA (version 2).

#include <filesystem>
#include <span>

enum class SongFormat { Wav, Ogg, Mp3, Wma };

const char* SongFormatExtension(SongFormat format);  // "wav", "ogg", "mp3", "wma"

// `samples` interleaved stereo in [-1, 1], written with one channel (their mean) or two;
// false when the file could not be written.
[[nodiscard]] bool EncodeSong(const std::filesystem::path& file, SongFormat format,
                              std::span<const float> samples, int channels = 2);
