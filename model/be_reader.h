#pragma once
// Reads big-endian 32-bit words from bytes in memory. Every read is checked against the end,
// so a short or lying file can never make a caller read past its bytes.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>

class BeReader {
public:
    explicit BeReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t Remaining() const { return m_bytes.size() - m_at; }

    bool ReadU32(std::uint32_t* out) {
        if (Remaining() < 4) return false;
        const std::uint8_t* b = m_bytes.data() + m_at;
        *out = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
               (std::uint32_t{b[2]} << 8) | std::uint32_t{b[3]};
        m_at += 4;
        return true;
    }

    bool ReadI32(std::int32_t* out) {
        std::uint32_t word = 0;
        if (!ReadU32(&word)) return false;
        *out = static_cast<std::int32_t>(word);
        return true;
    }

    // Fails on a NaN or an infinity as well as on a short read.
    bool ReadFiniteFloats(float* out, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            std::uint32_t word = 0;
            if (!ReadU32(&word)) return false;
            std::memcpy(&out[i], &word, sizeof(word));
            if (!std::isfinite(out[i])) return false;
        }
        return true;
    }

    bool Skip(std::uint64_t count) {
        if (count > Remaining()) return false;
        m_at += static_cast<std::size_t>(count);
        return true;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};
