#include "audio/sound_wrapper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "animation/camera.h"
#include "audio/analysis_tap.h"
#include "model/report_message.h"
#include "model/vec_math.h"
#include "platform/sound/song_decoder.h"
#include "tests/sound/odd_files.h"
#include "tests/support/case_name.h"
#include "tools/songs/song_encoder.h"

namespace {

namespace fs = std::filesystem;
using psound::OutputMode;
using psound::SoundResult;

constexpr int kRate = 44100;
constexpr int kBlock = 1024;

struct Reported {
    std::string text;
    int category = 0;
};
std::vector<Reported> g_reported;
void Capture(const char* text, int category) { g_reported.push_back({text, category}); }

class SoundWrapper : public ::testing::Test {
  protected:
    void SetUp() override {
        g_reported.clear();
        SetReportMessageHandler(&Capture);
        m_dir = fs::temp_directory_path() /
                (std::string("velmoranth_wrapper_") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        Sound3DEnabled = 0;
        SoundVolume = 0.8f;
    }
    void TearDown() override {
        sound::SoundRelease();
        sound::SetSoundEngineConfig({});
        SetReportMessageHandler(nullptr);
        fs::remove_all(m_dir);
    }
    void StartManual() {
        sound::SetSoundEngineConfig({.output = OutputMode::Manual});
        ASSERT_EQ(sound::SoundInit(), 0);
    }
    fs::path Song(const std::vector<float>& samples, const char* name = "song.wav") {
        const fs::path file = m_dir / name;
        EXPECT_TRUE(EncodeSong(file, SongFormat::Wav, samples));
        return file;
    }
    fs::path WriteBytes(const char* name, const std::string& bytes) {
        const fs::path file = m_dir / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
    static void Render(int blocks) {
        std::vector<float> out(static_cast<std::size_t>(blocks) * kBlock * 2);
        ASSERT_EQ(sound::CurrentSoundEngine()->RenderBlocks(blocks, out.data()), SoundResult::Ok);
    }

    fs::path m_dir;
};

std::vector<float> Tone(int frames) {
    std::vector<float> samples(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        samples[static_cast<std::size_t>(2 * i)] =
            0.5f * static_cast<float>(std::sin(2 * std::numbers::pi * 220.0 * i / kRate));
        samples[static_cast<std::size_t>(2 * i + 1)] =
            0.3f * static_cast<float>(std::sin(2 * std::numbers::pi * 330.0 * i / kRate));
    }
    return samples;
}

TEST_F(SoundWrapper, EveryCallFailsSafelyWithoutTheSystem) {
    const float v[3] = {0, 0, 0};
    EXPECT_EQ(sound::LoadSong("song.mp3"), 1);
    EXPECT_EQ(LastFmodResult, static_cast<int>(SoundResult::Uninitialized));
    EXPECT_EQ(sound::SoundPauseAll(), 1);
    EXPECT_EQ(sound::SoundResumeAll(), 1);
    EXPECT_EQ(sound::SoundSetVolume(0.5f), 1);
    EXPECT_EQ(sound::SoundSet3D(1), 1);
    EXPECT_EQ(sound::SoundSeek(0.5f), 1);
    EXPECT_EQ(sound::SoundGetPosition(), 0.0f);
    EXPECT_EQ(sound::SoundUpdateListener(v, v, v), 1);
    EXPECT_FALSE(sound::SoundIsPlaying());
    EXPECT_EQ(sound::SoundRelease(), 1);
}

TEST_F(SoundWrapper, StartFailuresShowTheirMessage) {
    const struct {
        psound::EngineConfig config;
        const char* text;
    } cases[] = {
        {{.output = OutputMode::Manual, .failCreate = SoundResult::Memory},
         "3D sound init error (5). \n\n3D sound will not be available\n\nOut of memory.\n"},
        {{.output = OutputMode::Manual, .failInit = SoundResult::Output},
         "3D sound error (6). \n\nThe sound output could not be started.\n"},
    };
    for (const auto& c : cases) {
        g_reported.clear();
        sound::SetSoundEngineConfig(c.config);
        EXPECT_EQ(sound::SoundInit(), 1);
        ASSERT_EQ(g_reported.size(), 1u);
        EXPECT_EQ(g_reported[0].text, c.text);
        EXPECT_EQ(g_reported[0].category, ReportCategory::Sound3D);
        EXPECT_EQ(sound::CurrentSoundEngine(), nullptr);
    }
}

TEST_F(SoundWrapper, TapHearsTheSongWhileTheSpeakersAreSilent) {
    StartManual();
    const std::vector<float> samples = Tone(kRate);
    const fs::path file = Song(samples);
    std::vector<float> decoded;
    ASSERT_EQ(psound::DecodeSongFile(file.c_str(), decoded), SoundResult::Ok);
    ASSERT_EQ(sound::LoadSong(file.c_str()), 0);
    ASSERT_EQ(sound::SoundResumeAll(), 0);
    float block[kTapBankSize];
    while (TakeTapBlock(block)) {
    }
    // Each render queues one more block; the tap holds the newest.
    Render(1);
    Render(1);
    ASSERT_TRUE(TakeTapBlock(block));
    // The third block fed (two on the first render, one on the second) is frames 2048 on.
    for (int i = 0; i < kTapBankSize; ++i) {
        const std::size_t frame = 2048 + 2 * static_cast<std::size_t>(i);
        EXPECT_FLOAT_EQ(block[i], (decoded[2 * frame] + decoded[2 * frame + 1]) / 2.0f) << i;
    }
}

TEST_F(SoundWrapper, ABadSongLeavesNoSongAndTheNextGoodOneLoads) {
    StartManual();
    const fs::path good = Song(Tone(kRate));
    ASSERT_EQ(sound::LoadSong(good.c_str()), 0);
    EXPECT_TRUE(sound::SoundIsPlaying());
    std::ofstream(m_dir / "text.mp3") << "not a song\n";
    for (const fs::path& bad : {m_dir / "absent.wav", m_dir / "text.mp3", m_dir}) {
        SCOPED_TRACE(bad.string());
        EXPECT_EQ(sound::LoadSong(bad.c_str()), 1);
        EXPECT_FALSE(sound::SoundIsPlaying());
        EXPECT_EQ(SongLengthMs, 0u);
        EXPECT_EQ(sound::SoundGetPosition(), 0.0f);
        EXPECT_EQ(sound::SoundResumeAll(), 1);
    }
    ASSERT_EQ(sound::LoadSong(good.c_str()), 0);
    EXPECT_EQ(SongLengthMs, 1000u);
}

// Load by File runs on the UI thread: 2 GB of zeros named .mp3 kept the window from drawing
// for 14 s and took 2.2 GB; a WAV whose decoder ran far ahead of its header played noise.
TEST_F(SoundWrapper, FilesThatAreNoSongsFailToLoadAfterABoundedRead) {
    StartManual();
    const fs::path zeros = m_dir / "zeros.mp3";
    ASSERT_TRUE(odd_files::SparseFile(zeros, 4 * odd_files::kGiB));
    const fs::path tagged =
        WriteBytes("tagged.wav", odd_files::WavBytes({0x160, 1, 256, kRate / 2, {}}, kRate / 2));
    for (const fs::path& file : {zeros, tagged}) {
        SCOPED_TRACE(file.filename().string());
        const odd_files::ReadCost cost;
        EXPECT_EQ(sound::LoadSong(file.c_str()), 1);
        EXPECT_LE(cost.Bytes(), std::uint64_t{psound::SongInput::kReadWithoutSound});
        EXPECT_LT(cost.PeakRise(), odd_files::kMemoryBound);
        EXPECT_EQ(SongLengthMs, 0u);
        EXPECT_FALSE(sound::SoundIsPlaying());
    }
}

// The length shown is the container's claim, and a song plays until its decoder runs out:
// two OGG files joined into one claim the second one's length, and a decoder running ahead of its
// WAV header (PCM under a WMA tag) is stopped only after a while. Neither position may pass
// the end of the slider.
TEST_F(SoundWrapper, ThePositionNeverPassesTheLengthShown) {
    StartManual();
    const fs::path part = m_dir / "part.ogg";
    ASSERT_TRUE(EncodeSong(part, SongFormat::Ogg, Tone(kRate)));
    std::ifstream in(part, std::ios::binary);
    const std::string ogg{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const fs::path joined = WriteBytes("joined.ogg", ogg + ogg);
    const fs::path ahead =
        WriteBytes("ahead.wav", odd_files::WavBytes({0x161, 2, 2048, kRate / 2, {}}, kRate / 2));
    for (const fs::path& file : {joined, ahead}) {
        SCOPED_TRACE(file.filename().string());
        ASSERT_EQ(sound::LoadSong(file.c_str()), 0);
        const std::uint32_t shownMs = SongLengthMs;
        ASSERT_EQ(sound::SoundResumeAll(), 0);
        float highest = 0.0f;
        int blocks = 0;
        for (; sound::SoundIsPlaying() && blocks < 2000; ++blocks) {
            Render(1);
            highest = std::max(highest, sound::SoundGetPosition());
        }
        EXPECT_FALSE(sound::SoundIsPlaying());
        EXPECT_GT(blocks * kBlock, static_cast<int>(shownMs) * kRate / 1000);  // it plays on
        EXPECT_EQ(highest, 1.0f);
    }
}

TEST_F(SoundWrapper, SeekHalfwayAndVolumeLimits) {
    StartManual();
    EXPECT_EQ(sound::SoundGetPosition(), 0.0f);  // no song yet
    ASSERT_EQ(sound::LoadSong(Song(std::vector<float>(2u * 200 * kRate, 0.0f)).c_str()), 0);
    EXPECT_EQ(SongLengthMs, 200000u);
    ASSERT_EQ(sound::SoundSeek(0.5f), 0);
    EXPECT_FLOAT_EQ(sound::SoundGetPosition(), 0.5f);
    const struct { float asked, kept; } volumes[] = {{1.5f, 1.0f}, {-0.5f, 0.0f}, {0.25f, 0.25f}};
    for (const auto& v : volumes) {
        EXPECT_EQ(sound::SoundSetVolume(v.asked), 0);
        EXPECT_EQ(SoundVolume, v.kept);
    }
    EXPECT_EQ(sound::SoundSet3D(1), 0);
    EXPECT_EQ(Sound3DEnabled, 1);
}

// With 3D sound on, from the start camera: each speaker is heard on its own side, and a
// listener outside the room hears neither, not even through the reverb.
struct RoomCase {
    const char* name;
    int songChannel;        // the song's one channel with sound in it
    bool outside;           // the listener beyond the room's wall
    double expectedLeft;    // share of the output's energy in the left channel
};

class HeardInTheRoom : public SoundWrapper, public ::testing::WithParamInterface<RoomCase> {};

TEST_P(HeardInTheRoom, FromTheStartCamera) {
    const RoomCase& c = GetParam();
    StartManual();
    std::vector<float> samples = Tone(2 * kRate);
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (static_cast<int>(i % 2) != c.songChannel) samples[i] = 0.0f;
    ASSERT_EQ(sound::LoadSong(Song(samples).c_str()), 0);
    ASSERT_EQ(sound::SoundSet3D(1), 0);
    ASSERT_EQ(sound::SoundSetVolume(1.0f), 0);
    CCamera start(DegToRad(90.0f), DegToRad(96.0f), 3000.0f, 30.0f);
    float eye[3], back[3], up[3];
    start.ComputeView(eye, back, up, 0);
    if (c.outside) eye[2] = -15000.0f;  // sound space z 15000, past the wall at about 10000
    ASSERT_EQ(sound::SoundUpdateListener(eye, back, up), 0);
    ASSERT_EQ(sound::SoundResumeAll(), 0);
    std::vector<float> out(40u * kBlock * 2);
    ASSERT_EQ(sound::CurrentSoundEngine()->RenderBlocks(40, out.data()), SoundResult::Ok);
    double energy[2] = {0.0, 0.0};
    for (std::size_t i = 0; i < out.size(); ++i) energy[i % 2] += out[i] * out[i];
    if (c.outside) {
        EXPECT_EQ(energy[0] + energy[1], 0.0);
        return;
    }
    ASSERT_GT(energy[0] + energy[1], 1.0);
    EXPECT_NEAR(energy[0] / (energy[0] + energy[1]), c.expectedLeft, 0.15);
}

INSTANTIATE_TEST_SUITE_P(SoundWrapper, HeardInTheRoom,
                         ::testing::Values(
                             // The song's channel 1 comes from the speaker on the right.
                             RoomCase{"RightSpeakerOnTheRight", 1, false, 0.15},
                             RoomCase{"LeftSpeakerOnTheLeft", 0, false, 0.85},
                             RoomCase{"OutsideTheRoomHearsNothing", 0, true, 0.0}),
                         CaseName());

}  // namespace
