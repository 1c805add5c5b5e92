#include "platform/sound/song_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "tests/audio/support/wav_file.h"
#include "tests/sound/odd_files.h"
#include "tools/songs/song_encoder.h"

namespace {

namespace fs = std::filesystem;
using psound::SongDecoder;
using psound::SoundResult;

constexpr int kRate = 44100;
constexpr int kSeconds = 3;
constexpr int kFrames = kSeconds * kRate;
// Lossy codecs add or drop a codec delay at the ends (WMA drops the most, under 3000 frames).
constexpr int kCodecDelayFrames = 4096;

// 440 Hz in the left channel only, so a swapped or mixed channel shows.
std::vector<float> LeftTone(int frames) {
    std::vector<float> samples(static_cast<std::size_t>(frames) * 2, 0.0f);
    for (int i = 0; i < frames; ++i)
        samples[static_cast<std::size_t>(2 * i)] =
            0.5f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 440.0 * i / kRate));
    return samples;
}

double ChannelRms(const std::vector<float>& samples, int channel) {
    double sum = 0.0;
    for (std::size_t i = static_cast<std::size_t>(channel); i < samples.size(); i += 2)
        sum += samples[i] * samples[i];
    return std::sqrt(sum / static_cast<double>(samples.size() / 2));
}

class SongFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("velmoranth_songs_" +
                 std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path Song(SongFormat format, const std::vector<float>& samples) {
        const fs::path file = m_dir / (std::string("song.") + SongFormatExtension(format));
        EXPECT_TRUE(EncodeSong(file, format, samples));
        return file;
    }
    fs::path WriteBytes(const std::string& name, const std::string& bytes) {
        const fs::path file = m_dir / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
    static std::string ReadBytes(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path m_dir;
};

constexpr SongFormat kFormats[] = {SongFormat::Wav, SongFormat::Ogg, SongFormat::Mp3,
                                   SongFormat::Wma};

TEST_F(SongFiles, EveryFormatDecodesToItsLengthWithItsChannels) {
    for (const SongFormat format : kFormats) {
        SCOPED_TRACE(SongFormatExtension(format));
        const fs::path file = Song(format, LeftTone(kFrames));
        std::vector<float> decoded;
        ASSERT_EQ(psound::DecodeSongFile(file.c_str(), decoded), SoundResult::Ok);
        const auto frames = static_cast<int>(decoded.size() / 2);
        if (format == SongFormat::Wav)
            EXPECT_EQ(frames, kFrames);
        else
            EXPECT_NEAR(frames, kFrames, kCodecDelayFrames);
        EXPECT_NEAR(ChannelRms(decoded, 0), 0.5 / std::sqrt(2.0), 0.05);
        EXPECT_LT(ChannelRms(decoded, 1), 0.02);

        std::unique_ptr<SongDecoder> decoder;
        ASSERT_EQ(SongDecoder::Open(file.c_str(), decoder), SoundResult::Ok);
        EXPECT_NEAR(static_cast<double>(decoder->LengthMs()), kSeconds * 1000.0, 100.0);
    }
}

TEST_F(SongFiles, ReadEndsOnceAndStaysEnded) {
    const fs::path file = Song(SongFormat::Wav, LeftTone(1000));
    std::unique_ptr<SongDecoder> decoder;
    ASSERT_EQ(SongDecoder::Open(file.c_str(), decoder), SoundResult::Ok);
    std::vector<float> block(1024 * 2);
    EXPECT_EQ(decoder->Read(block.data(), 1024), 1000);
    EXPECT_EQ(decoder->Read(block.data(), 1024), 0);
    EXPECT_TRUE(decoder->Ended());
    EXPECT_EQ(decoder->Read(block.data(), 1024), 0);
}

TEST_F(SongFiles, SeekLandsOnTheFrame) {
    // A tone that changes every frame's value, so a seek that lands a frame off shows.
    std::vector<float> samples(static_cast<std::size_t>(kFrames) * 2);
    for (int i = 0; i < kFrames; ++i)
        samples[static_cast<std::size_t>(2 * i)] = samples[static_cast<std::size_t>(2 * i + 1)] =
            0.4f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 997.0 * i / kRate));
    for (const SongFormat format : kFormats) {
        SCOPED_TRACE(SongFormatExtension(format));
        const fs::path file = Song(format, samples);
        std::vector<float> whole;
        ASSERT_EQ(psound::DecodeSongFile(file.c_str(), whole), SoundResult::Ok);
        std::unique_ptr<SongDecoder> decoder;
        ASSERT_EQ(SongDecoder::Open(file.c_str(), decoder), SoundResult::Ok);
        constexpr int kTarget = 2 * kRate;
        constexpr int kCompare = 4096;
        decoder->SeekFrame(kTarget);
        std::vector<float> after(kCompare * 2);
        ASSERT_EQ(decoder->Read(after.data(), kCompare), kCompare);
        // Lossy decoders settle within a frame after a seek; compare the part after that.
        const int settle = format == SongFormat::Wav ? 0 : 2048;
        double diff = 0.0;
        double level = 0.0;
        for (int i = 2 * settle; i < 2 * kCompare; ++i) {
            const float expected = whole[static_cast<std::size_t>(2 * kTarget + i)];
            diff += std::pow(after[static_cast<std::size_t>(i)] - expected, 2.0);
            level += expected * expected;
        }
        if (format == SongFormat::Wav)
            EXPECT_EQ(diff, 0.0);
        else
            EXPECT_LT(diff, 0.05 * level);
    }
}

TEST_F(SongFiles, MonoIsHeardInBothChannels) {
    WavAudio mono;
    mono.channels = 1;
    mono.samples.assign(4410, 8192);
    const fs::path file = m_dir / "mono.wav";
    ASSERT_TRUE(WriteWavFile(file, mono));
    std::vector<float> decoded;
    ASSERT_EQ(psound::DecodeSongFile(file.c_str(), decoded), SoundResult::Ok);
    ASSERT_EQ(decoded.size(), 4410u * 2);
    for (std::size_t i = 1000; i < 3000; ++i) EXPECT_NEAR(decoded[i], 0.25f, 1e-3f) << i;
}

// Two files joined into one, as people do with MP3s and as chained OGG streams are: the
// second part changes the channel count in the middle of the song.
TEST_F(SongFiles, AChannelCountChangingMidSongKeepsPlaying) {
    for (const SongFormat format : {SongFormat::Mp3, SongFormat::Ogg}) {
        SCOPED_TRACE(SongFormatExtension(format));
        const std::string ext = SongFormatExtension(format);
        const fs::path stereo = m_dir / ("stereo." + ext);
        const fs::path mono = m_dir / ("mono." + ext);
        ASSERT_TRUE(EncodeSong(stereo, format, LeftTone(kRate)));
        ASSERT_TRUE(EncodeSong(mono, format, LeftTone(kRate), 1));
        const fs::path joined = WriteBytes("joined." + ext, ReadBytes(stereo) + ReadBytes(mono));
        std::vector<float> decoded;
        ASSERT_EQ(psound::DecodeSongFile(joined.c_str(), decoded), SoundResult::Ok);
        ASSERT_GT(decoded.size(), 2u * (2 * kRate - kCodecDelayFrames));  // both parts play
        // The mono part is heard in both channels: its tone reaches the right channel.
        const std::vector<float> second(decoded.end() - 2 * kRate / 2, decoded.end());
        EXPECT_GT(ChannelRms(second, 1), 0.05);
    }
}

// A header that claims a few samples a second would have each packet resampled to gigabytes.
TEST_F(SongFiles, AnImplausiblyLowSampleRateIsRefused) {
    WavAudio audio;
    audio.samples.assign(40000, 1000);
    const fs::path file = m_dir / "slow.wav";
    ASSERT_TRUE(WriteWavFile(file, audio));
    std::string bytes = ReadBytes(file);
    ASSERT_EQ(bytes.substr(12, 4), "fmt ");
    bytes.replace(24, 4, std::string("\x01\0\0\0", 4));  // the sample rate: 1 Hz
    std::unique_ptr<SongDecoder> decoder;
    EXPECT_EQ(SongDecoder::Open(WriteBytes("one_hertz.wav", bytes).c_str(), decoder),
              SoundResult::Format);
    EXPECT_EQ(decoder, nullptr);
}

std::string Prose(std::size_t bytes) {
    std::string text;
    while (text.size() < bytes) text += "this is not a song, just a long text file line\n";
    return text;
}

TEST_F(SongFiles, FilesThatAreNoSongsFailToOpen) {
    const std::string wav = ReadBytes(Song(SongFormat::Wav, LeftTone(kRate)));
    const std::string ogg = ReadBytes(Song(SongFormat::Ogg, LeftTone(kRate)));
    std::string noise(20000, '\0');
    unsigned state = 7;
    for (char& c : noise) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
    fs::create_directories(m_dir / "folder.mp3");
    const struct {
        const char* name;
        fs::path file;
        SoundResult expected;
    } cases[] = {
        {"missing", m_dir / "absent.mp3", SoundResult::FileNotFound},
        {"folder", m_dir / "folder.mp3", SoundResult::FileNotFound},
        {"zero bytes", WriteBytes("empty.wav", ""), SoundResult::Format},
        {"WAV cut inside its header", WriteBytes("cut.wav", wav.substr(0, 30)),
         SoundResult::Format},
        {"OGG cut inside its headers", WriteBytes("cut.ogg", ogg.substr(0, 200)),
         SoundResult::Format},
        {"random bytes", WriteBytes("noise.mp3", noise), SoundResult::Format},
        {"text named .mp3", WriteBytes("notes.mp3", std::string(3000, 'a') + "\nplaylist\n"),
         SoundResult::Format},
        // The probe takes this for headerless AMR, and it "played" for 9 s.
        {"a page of prose named .mp3", WriteBytes("prose.mp3", Prose(20000)), SoundResult::Format},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<SongDecoder> decoder;
        EXPECT_EQ(SongDecoder::Open(c.file.c_str(), decoder), c.expected);
        EXPECT_EQ(decoder, nullptr);
    }
    std::unique_ptr<SongDecoder> decoder;
    EXPECT_EQ(SongDecoder::Open(nullptr, decoder), SoundResult::FileNotFound);
}

TEST_F(SongFiles, DamageInTheMiddleEndsOrSkipsWithoutHanging) {
    for (const SongFormat format : {SongFormat::Ogg, SongFormat::Mp3, SongFormat::Wma}) {
        SCOPED_TRACE(SongFormatExtension(format));
        std::string bytes = ReadBytes(Song(format, LeftTone(kFrames)));
        for (std::size_t i = bytes.size() / 2; i < bytes.size() * 2 / 3; ++i)
            bytes[i] = static_cast<char>(i * 31);
        const fs::path file =
            WriteBytes(std::string("damaged.") + SongFormatExtension(format), bytes);
        std::vector<float> decoded;
        ASSERT_EQ(psound::DecodeSongFile(file.c_str(), decoded), SoundResult::Ok);
        EXPECT_GT(decoded.size(), 2u * kRate / 2);  // the part before the damage plays
        EXPECT_LE(decoded.size(), 2u * (kFrames + kCodecDelayFrames));
        for (const float s : decoded) ASSERT_TRUE(std::isfinite(s));
    }
}

TEST_F(SongFiles, CutShortSongEndsWhereTheDataEnds) {
    const std::string wav = ReadBytes(Song(SongFormat::Wav, LeftTone(kFrames)));
    const fs::path file = WriteBytes("short.wav", wav.substr(0, wav.size() / 2));
    std::vector<float> decoded;
    ASSERT_EQ(psound::DecodeSongFile(file.c_str(), decoded), SoundResult::Ok);
    EXPECT_NEAR(static_cast<double>(decoded.size() / 2), kFrames / 2.0, 100.0);
}

using odd_files::kGiB;
using odd_files::kMemoryBound;
using odd_files::ReadCost;

// Large files without sound (sparse: they take no disk) were read to their end while the
// demuxer hunted for a frame, all of it held in memory: 2 GB of zeros took 14 s and 2.2 GB.
TEST_F(SongFiles, ALargeFileWithoutSoundFailsAfterABoundedRead) {
    std::string junk(1 << 16, '\0');
    unsigned state = 3;
    for (char& c : junk)  // seven-bit bytes: no MP3 frame can start among them
        c = static_cast<char>(((state = state * 1103515245u + 12345u) >> 16) & 0x7F);
    const struct {
        const char* name;
        std::uintmax_t size;
        std::string head;
    } cases[] = {
        {"zeros.mp3", 4 * kGiB, ""},
        {"junk_then_zeros.mp3", 3 * kGiB, junk},
        {"zeros.ogg", 2 * kGiB, ""},
        {"zeros.wma", 2 * kGiB, ""},
        {"zeros.wav", 2 * kGiB, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = m_dir / c.name;
        ASSERT_TRUE(odd_files::SparseFile(file, c.size, c.head));
        const ReadCost cost;
        std::unique_ptr<SongDecoder> decoder;
        EXPECT_EQ(SongDecoder::Open(file.c_str(), decoder), SoundResult::Format);
        std::vector<float> decoded;  // as track_file reads it
        EXPECT_EQ(psound::DecodeSongFile(file.c_str(), decoded), SoundResult::Format);
        EXPECT_LE(cost.Bytes(), 2u * psound::SongInput::kReadWithoutSound);
        EXPECT_LT(cost.PeakRise(), kMemoryBound);
    }
}

// The bound on reading without sound cuts neither a song behind a large tag (cover art) nor
// the song in front of a long damaged tail, which ends where its sound does.
TEST_F(SongFiles, ASongAmongLargeStretchesWithoutSoundStillPlays) {
    constexpr int kMp3FrameFrames = 1152;
    const fs::path song = Song(SongFormat::Mp3, LeftTone(kFrames));
    const std::string mp3 = ReadBytes(song);
    std::vector<float> alone;
    ASSERT_EQ(psound::DecodeSongFile(song.c_str(), alone), SoundResult::Ok);
    // An ID3v2.3 tag holding a 10 MB picture, in front of the song's own tag.
    constexpr std::uint32_t kPicture = 10u << 20;
    std::string frame = std::string("\0image/jpeg\0\x03\0", 14) + std::string(kPicture, '\x5A');
    const auto frameSize = static_cast<std::uint32_t>(frame.size());
    const std::string sizeBytes = {static_cast<char>(frameSize >> 24),
                                   static_cast<char>(frameSize >> 16),
                                   static_cast<char>(frameSize >> 8), static_cast<char>(frameSize)};
    frame = "APIC" + sizeBytes + std::string(2, '\0') + frame;  // then two bytes of flags
    const auto tagSize = static_cast<std::uint32_t>(frame.size());
    std::string tag = std::string("ID3\x03\0\0", 6);
    for (const int shift : {21, 14, 7, 0}) tag += static_cast<char>((tagSize >> shift) & 0x7F);
    const fs::path covered = WriteBytes("covered.mp3", tag + frame + mp3);
    const fs::path tailed = m_dir / "tailed.mp3";
    ASSERT_TRUE(odd_files::SparseFile(tailed, 3 * kGiB, mp3));
    for (const fs::path& file : {covered, tailed}) {
        SCOPED_TRACE(file.filename().string());
        const ReadCost cost;
        std::vector<float> decoded;
        ASSERT_EQ(psound::DecodeSongFile(file.c_str(), decoded), SoundResult::Ok);
        // Zeros after the last frame can move the song's end by up to one MP3 frame.
        EXPECT_NEAR(static_cast<double>(decoded.size()), static_cast<double>(alone.size()),
                    2.0 * kMp3FrameFrames);
        // Each file's tags and sound, at most, and then the bound.
        EXPECT_LE(cost.Bytes(), fs::file_size(covered) + psound::SongInput::kReadWithoutSound);
        EXPECT_LT(cost.PeakRise(), kMemoryBound);
    }
}

// track_file sized its buffer by the header's claim of 4 GB and died of it (std::bad_alloc).
TEST_F(SongFiles, AWavClaimingFourGigabytesDecodesWhatItHolds) {
    const fs::path file = WriteBytes(
        "claims_4gb.wav", odd_files::WavBytes({1, 2, 4, 0xFFFFFFFFu, 0xFFFFFFFFu}, kRate / 2));
    const ReadCost cost;
    std::vector<float> decoded;
    ASSERT_EQ(psound::DecodeSongFile(file.c_str(), decoded), SoundResult::Ok);
    EXPECT_EQ(decoded.size(), 2u * (kRate / 2));
    EXPECT_LT(cost.PeakRise(), kMemoryBound);
}

// PCM under a WMA format tag: the WMA decoder made seconds of noise of every packet, far more
// than the half second the header claims.
TEST_F(SongFiles, AWavWhoseDecoderDisagreesWithItsHeaderIsRefused) {
    constexpr std::uint32_t kHalfSecond = kRate / 2;
    const struct {
        const char* name;
        odd_files::WavHeader header;
    } cases[] = {
        {"WMA 1 tag, 256-byte blocks", {0x160, 1, 256, kHalfSecond, {}}},
        {"WMA 1 tag, 2-byte blocks", {0x160, 1, 2, kHalfSecond, {}}},
        {"WMA 2 tag, 128-byte blocks", {0x161, 1, 128, kHalfSecond, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = WriteBytes("tagged.wav", odd_files::WavBytes(c.header, kHalfSecond));
        std::unique_ptr<SongDecoder> decoder;
        EXPECT_EQ(SongDecoder::Open(file.c_str(), decoder), SoundResult::Format);
        std::vector<float> decoded;
        EXPECT_EQ(psound::DecodeSongFile(file.c_str(), decoded), SoundResult::Format);
    }
}

}  // namespace
