#include "tests/audio/support/wav_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint32_t kRate = 44100;
constexpr std::uint16_t kBits = 16;
constexpr std::size_t kChunkHeader = 8;
constexpr std::size_t kFormatBytes = 16;

// Little-endian fields at an offset that the caller has checked.
std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
bool TagAt(std::span<const std::uint8_t> b, std::size_t at, const char* tag) {
    return std::memcmp(b.data() + at, tag, 4) == 0;
}

WavResult CheckFormat(std::span<const std::uint8_t> fmt, int& channels) {
    if (U16(fmt, 0) != kFormatPcm) return WavResult::NotPcm;
    channels = U16(fmt, 2);
    if (channels != 1 && channels != 2) return WavResult::BadChannelCount;
    if (U32(fmt, 4) != kRate) return WavResult::Not44100;
    if (U16(fmt, 14) != kBits) return WavResult::Not16Bit;
    return WavResult::Ok;
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

}  // namespace

const char* WavResultText(WavResult result) {
    switch (result) {
        case WavResult::Ok: return "ok";
        case WavResult::CannotOpen: return "cannot open the file";
        case WavResult::NotRiffWave: return "not a RIFF WAVE file";
        case WavResult::NoFormat: return "no complete format chunk";
        case WavResult::NotPcm: return "not PCM (only uncompressed PCM is read)";
        case WavResult::Not16Bit: return "not 16 bits per sample";
        case WavResult::Not44100: return "not 44100 Hz";
        case WavResult::BadChannelCount: return "not mono or stereo";
        case WavResult::NoData: return "no data chunk";
    }
    return "unknown result";
}

WavResult ParseWav(std::span<const std::uint8_t> bytes, WavAudio& out) {
    if (bytes.size() < 12 || !TagAt(bytes, 0, "RIFF") || !TagAt(bytes, 8, "WAVE"))
        return WavResult::NotRiffWave;
    int channels = 0;
    for (std::size_t at = 12; bytes.size() - at >= kChunkHeader;) {
        const std::size_t size = U32(bytes, at + 4);
        const std::size_t body = at + kChunkHeader;
        // A streamed file may promise more data than it holds: keep what is there.
        const std::size_t available = std::min(size, bytes.size() - body);
        if (TagAt(bytes, at, "fmt ")) {
            if (available < kFormatBytes) return WavResult::NoFormat;
            if (WavResult r = CheckFormat(bytes.subspan(body, available), channels);
                r != WavResult::Ok)
                return r;
        } else if (TagAt(bytes, at, "data")) {
            if (channels == 0) return WavResult::NoFormat;
            const std::size_t frames = available / (2 * static_cast<std::size_t>(channels));
            WavAudio audio;
            audio.channels = channels;
            audio.samples.resize(frames * static_cast<std::size_t>(channels));
            for (std::size_t i = 0; i < audio.samples.size(); ++i)
                audio.samples[i] = static_cast<std::int16_t>(U16(bytes, body + 2 * i));
            out = std::move(audio);
            return WavResult::Ok;
        }
        if (available < size) break;
        at = body + size + (size & 1);  // chunks are padded to an even length
        if (at > bytes.size()) break;
    }
    return channels == 0 ? WavResult::NoFormat : WavResult::NoData;
}

WavResult ReadWavFile(const std::filesystem::path& file, WavAudio& out) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return WavResult::CannotOpen;
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    return ParseWav(bytes, out);
}

bool WriteWavFile(const std::filesystem::path& file, const WavAudio& audio) {
    const auto dataBytes = static_cast<std::uint32_t>(audio.samples.size() * 2);
    const auto blockAlign = static_cast<std::uint16_t>(2 * audio.channels);
    std::vector<std::uint8_t> out;
    PutTag(out, "RIFF");
    PutU32(out, 4 + kChunkHeader + kFormatBytes + kChunkHeader + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutU32(out, kFormatBytes);
    PutU16(out, kFormatPcm);
    PutU16(out, static_cast<std::uint16_t>(audio.channels));
    PutU32(out, kRate);
    PutU32(out, kRate * blockAlign);
    PutU16(out, blockAlign);
    PutU16(out, kBits);
    PutTag(out, "data");
    PutU32(out, dataBytes);
    for (std::int16_t s : audio.samples) PutU16(out, static_cast<std::uint16_t>(s));
    std::ofstream stream(file, std::ios::binary);
    stream.write(reinterpret_cast<const char*>(out.data()), static_cast<long>(out.size()));
    return static_cast<bool>(stream);
}

std::vector<float> MonoMix(const WavAudio& audio) {
    const auto channels = static_cast<std::size_t>(audio.channels);
    std::vector<float> mono(audio.samples.size() / channels);
    for (std::size_t f = 0; f < mono.size(); ++f) {
        float sum = 0.0f;
        for (std::size_t c = 0; c < channels; ++c) sum += audio.samples[f * channels + c];
        mono[f] = sum / static_cast<float>(channels) / 32768.0f;
    }
    return mono;
}

WavAudio StereoFromMono(std::span<const float> mono) {
    WavAudio audio;
    audio.samples.reserve(2 * mono.size());
    for (float v : mono) {
        const auto s = static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
        audio.samples.push_back(s);
        audio.samples.push_back(s);
    }
    return audio;
}
