#pragma once
// Files that are not what they say: WAVs whose header lies about their data, and large files
// that take no disk (sparse, their bytes all zero until written); and what reading one costs.

#include <sys/resource.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sound/song_input.h"

namespace odd_files {

// A 16-bit 44100 Hz WAV header over data it need not describe.
struct WavHeader {
    std::uint16_t tag = 1;  // the format tag: 1 PCM, 0x160 and 0x161 WMA
    std::uint16_t channels = 2;
    std::uint16_t blockAlign = 4;
    std::optional<std::uint32_t> factSamples;  // a fact chunk, as the files of other codecs carry
    std::optional<std::uint32_t> dataBytes;    // the size the data chunk claims; else its own
};

inline void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A 440 Hz tone of `frames` 16-bit frames (both channels alike) under the header.
inline std::string WavBytes(const WavHeader& header, int frames) {
    std::string data;
    for (int i = 0; i < frames; ++i) {
        const auto value = static_cast<std::int16_t>(
            12000.0 * std::sin(2.0 * std::numbers::pi * 440.0 * i / 44100.0));
        for (int c = 0; c < header.channels; ++c) PutLe(data, static_cast<std::uint16_t>(value), 2);
    }
    std::string body = "WAVEfmt ";
    PutLe(body, 16, 4);
    PutLe(body, header.tag, 2);
    PutLe(body, header.channels, 2);
    PutLe(body, 44100, 4);
    PutLe(body, 44100u * 2 * header.channels, 4);  // bytes a second, as PCM has them
    PutLe(body, header.blockAlign, 2);
    PutLe(body, 16, 2);
    if (header.factSamples) {
        body += "fact";
        PutLe(body, 4, 4);
        PutLe(body, *header.factSamples, 4);
    }
    body += "data";
    PutLe(body, header.dataBytes.value_or(static_cast<std::uint32_t>(data.size())), 4);
    body += data;
    std::string file = "RIFF";
    PutLe(file, static_cast<std::uint32_t>(body.size()), 4);
    return file + body;
}

// A file of `size` bytes that begins with `head` and is zero after it, without taking the disk.
inline bool SparseFile(const std::filesystem::path& file, std::uintmax_t size,
                       std::string_view head = {}) {
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(head.data(), static_cast<std::streamsize>(head.size()));
        if (!out) return false;
    }
    std::error_code error;
    std::filesystem::resize_file(file, size, error);
    return !error;
}

constexpr std::uintmax_t kGiB = std::uintmax_t{1} << 30;
// Far below the files' sizes, which reading them whole takes; above what a sanitizer's
// quarantine of freed memory adds (a few hundred MB).
constexpr std::int64_t kMemoryBound = std::int64_t{1} << 30;

inline std::int64_t PeakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return std::int64_t{usage.ru_maxrss} * 1024;
}

// What reading files took from its making on: the bytes read, and how far the process's peak
// memory rose.
struct ReadCost {
    std::uint64_t bytesBefore = psound::SongBytesRead();
    std::int64_t peakBefore = PeakResidentBytes();
    std::uint64_t Bytes() const { return psound::SongBytesRead() - bytesBefore; }
    std::int64_t PeakRise() const { return PeakResidentBytes() - peakBefore; }
};

}  // namespace odd_files
