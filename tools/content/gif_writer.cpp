#include "tools/content/gif_writer.h"

namespace content {
namespace {

constexpr int kMinCodeSize = 8;
constexpr std::uint32_t kClear = 256;
constexpr std::uint32_t kEnd = 257;
// Each literal after the first of a run adds a table entry; a clear code before the table
// reaches 512 keeps every code at 9 bits.
constexpr int kLiteralsPerRun = 250;

void PutShort(std::vector<std::uint8_t>* out, int v) {
    out->push_back(v & 0xFF);
    out->push_back((v >> 8) & 0xFF);
}

// Packs 9-bit codes, least significant bit first.
class CodeWriter {
public:
    void Put(std::uint32_t code) {
        m_acc |= code << m_bits;
        m_bits += kMinCodeSize + 1;
        while (m_bits >= 8) {
            m_bytes.push_back(m_acc & 0xFF);
            m_acc >>= 8;
            m_bits -= 8;
        }
    }
    std::vector<std::uint8_t> Finish() {
        if (m_bits > 0) m_bytes.push_back(m_acc & 0xFF);
        return m_bytes;
    }

private:
    std::vector<std::uint8_t> m_bytes;
    std::uint32_t m_acc = 0;
    int m_bits = 0;
};

}  // namespace

std::vector<std::uint8_t> EncodeGif(int width, int height, const Palette& palette,
                                    const std::vector<std::uint8_t>& indices) {
    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '7', 'a'};
    PutShort(&out, width);
    PutShort(&out, height);
    out.insert(out.end(), {0xF7, 0, 0});  // global palette of 256 colours
    out.insert(out.end(), palette.begin(), palette.end());
    out.push_back(0x2C);
    PutShort(&out, 0);
    PutShort(&out, 0);
    PutShort(&out, width);
    PutShort(&out, height);
    out.push_back(0);
    out.push_back(kMinCodeSize);

    CodeWriter codes;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i % kLiteralsPerRun == 0) codes.Put(kClear);
        codes.Put(indices[i]);
    }
    codes.Put(kEnd);
    const std::vector<std::uint8_t> data = codes.Finish();
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - at);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), data.begin() + at, data.begin() + at + n);
    }
    out.push_back(0);
    out.push_back(0x3B);
    return out;
}

}  // namespace content
