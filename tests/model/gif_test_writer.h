#pragma once
// Builds GIF files byte by byte for tests, including shapes an ordinary encoder never writes:
// any signature, palette size, minimum code size, code stream and sub-block split.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace gif_test {

struct GifImageSpec {
    std::string signature = "GIF89a";   // written as given (six bytes expected)
    int screenFlags = 0xF7;             // low three bits: 2^(n+1) palette entries
    std::vector<std::uint8_t> palette;  // zero-padded to the size the flags give
    int width = 1;
    int height = 1;
    int minCodeSize = 8;
    std::vector<std::uint8_t> codes;      // the packed LZW code stream
    std::vector<int> blockSizes = {255};  // sub-block lengths; the last one repeats
    bool terminated = true;               // a zero-length block and the trailer follow
};

inline void PutWord(std::vector<std::uint8_t>& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

inline std::vector<std::uint8_t> BuildGif(const GifImageSpec& layout) {
    std::vector<std::uint8_t> out(layout.signature.begin(), layout.signature.end());
    PutWord(out, layout.width);
    PutWord(out, layout.height);
    out.push_back(static_cast<std::uint8_t>(layout.screenFlags));
    out.push_back(0);  // background colour
    out.push_back(0);  // aspect
    std::vector<std::uint8_t> palette = layout.palette;
    palette.resize(std::size_t{3} << ((layout.screenFlags & 7) + 1), 0);
    out.insert(out.end(), palette.begin(), palette.end());
    out.push_back(0x2C);  // image separator
    PutWord(out, 0);      // left
    PutWord(out, 0);      // top
    PutWord(out, layout.width);
    PutWord(out, layout.height);
    out.push_back(0);  // image flags
    out.push_back(static_cast<std::uint8_t>(layout.minCodeSize));
    std::size_t pos = 0;
    for (std::size_t block = 0; pos < layout.codes.size(); ++block) {
        const int size = layout.blockSizes[std::min(block, layout.blockSizes.size() - 1)];
        const std::size_t n = std::min<std::size_t>(size, layout.codes.size() - pos);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), layout.codes.begin() + static_cast<long>(pos),
                   layout.codes.begin() + static_cast<long>(pos + n));
        pos += n;
    }
    if (layout.terminated) {
        out.push_back(0);     // block terminator
        out.push_back(0x3B);  // trailer
    }
    return out;
}

// Packs codes least significant bit first, each at the width a GIF decoder reads it with:
// minCodeSize + 1 bits after a clear code, one bit more once the table has reached the next
// power of two, never more than 12.
class LzwCodeWriter {
  public:
    explicit LzwCodeWriter(int minCodeSize)
        : m_minCodeSize(minCodeSize), m_bits(minCodeSize + 1), m_next(FirstFree()) {}

    int Clear() const { return 1 << m_minCodeSize; }
    int End() const { return Clear() + 1; }
    int FirstFree() const { return Clear() + 2; }
    int Bits() const { return m_bits; }
    int NextEntry() const { return m_next; }

    void Put(int code) {
        PutBits(code, m_bits);
        if (code == Clear()) {
            m_bits = m_minCodeSize + 1;
            m_next = FirstFree();
            m_afterClear = true;
        } else if (code != End()) {
            // Every code but the first after a clear adds one entry, up to 4096.
            if (!m_afterClear && m_next < kTableSize) ++m_next;
            m_afterClear = false;
            if (m_next == (1 << m_bits) && m_bits < kMaxBits) ++m_bits;
        }
    }
    void Put(const std::vector<int>& codes) {
        for (int code : codes) Put(code);
    }

    std::vector<std::uint8_t> Finish() {
        if (m_pending > 0) m_bytes.push_back(static_cast<std::uint8_t>(m_acc));
        m_acc = 0;
        m_pending = 0;
        return m_bytes;
    }

  private:
    static constexpr int kMaxBits = 12;
    static constexpr int kTableSize = 4096;

    void PutBits(int code, int bits) {
        m_acc |= static_cast<std::uint32_t>(code) << m_pending;
        m_pending += bits;
        while (m_pending >= 8) {
            m_bytes.push_back(static_cast<std::uint8_t>(m_acc & 0xFF));
            m_acc >>= 8;
            m_pending -= 8;
        }
    }

    int m_minCodeSize;
    int m_bits;
    int m_next;
    bool m_afterClear = false;
    std::uint32_t m_acc = 0;
    int m_pending = 0;
    std::vector<std::uint8_t> m_bytes;
};

// The simplest valid stream: a clear code, every index as a root code, a clear code each
// time the table is full, the end code.
inline std::vector<std::uint8_t> LiteralCodes(const std::vector<std::uint8_t>& indices,
                                              int minCodeSize) {
    LzwCodeWriter writer(minCodeSize);
    writer.Put(writer.Clear());
    for (std::uint8_t index : indices) {
        if (writer.NextEntry() == 4096) writer.Put(writer.Clear());
        writer.Put(index);
    }
    writer.Put(writer.End());
    return writer.Finish();
}

// A file under the system's temporary folder, removed when the object goes.
class TempFile {
  public:
    explicit TempFile(const std::vector<std::uint8_t>& bytes) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velmoranth-test-XXXXXX").string();
        const int fd = mkstemp(pattern.data());
        if (fd < 0) return;
        m_path = pattern;
        std::size_t written = 0;
        while (written < bytes.size()) {
            const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
            if (n <= 0) break;
            written += static_cast<std::size_t>(n);
        }
        close(fd);
    }
    ~TempFile() {
        if (!m_path.empty()) std::remove(m_path.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const char* Path() const { return m_path.c_str(); }

  private:
    std::string m_path;
};

}  // namespace gif_test
