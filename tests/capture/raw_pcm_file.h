#pragma once
// Raw recording files: 16-bit samples, little-endian, for the file-fed source and for SDL's
// disk driver.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

inline void WriteRawPcm(const std::filesystem::path& file, const std::vector<std::int16_t>& samples) {
    std::ofstream out(file, std::ios::binary);
    for (std::int16_t v : samples) {
        const auto u = static_cast<std::uint16_t>(v);
        out.put(static_cast<char>(u & 0xFF)).put(static_cast<char>(u >> 8));
    }
}

// Points SDL's disk driver at a raw recording file for as long as it lives: the recording
// device then plays these samples back, paced like a real device.
class DiskDriverInput {
public:
    // `samples`: interleaved stereo.
    explicit DiskDriverInput(const std::vector<std::int16_t>& samples) {
        const auto dir = std::filesystem::temp_directory_path();
        const auto id = std::to_string(::getpid());
        m_in = dir / ("disk_driver_in_" + id + ".raw");
        m_out = dir / ("disk_driver_out_" + id + ".raw");
        WriteRawPcm(m_in, samples);
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILEIN", m_in.c_str(), 1);
        ::setenv("SDL_DISKAUDIOFILE", m_out.c_str(), 1);
    }
    ~DiskDriverInput() {
        std::filesystem::remove(m_in);
        std::filesystem::remove(m_out);
    }
    DiskDriverInput(const DiskDriverInput&) = delete;
    DiskDriverInput& operator=(const DiskDriverInput&) = delete;

private:
    std::filesystem::path m_in, m_out;
};
