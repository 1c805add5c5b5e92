#include "platform/sound/sound_engine.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "platform/sound/song_decoder.h"
#include "tests/support/case_name.h"
#include "tools/songs/song_encoder.h"

namespace {

namespace fs = std::filesystem;
using psound::EngineConfig;
using psound::OutputMode;
using psound::SoundEngine;
using psound::SoundResult;
using psound::Vec3;

constexpr int kRate = 44100;
constexpr int kBlock = 1024;

// What each voice's unit was given, block after block; the units pass their input through.
std::vector<float> g_inputs[3];
template <int N>
int Record(DspState*, const float* in, float* out, unsigned int length, int, int) {
    g_inputs[N].insert(g_inputs[N].end(), in, in + 2 * length);
    std::copy(in, in + 2 * length, out);
    return 0;
}

std::vector<float> Tone(int frames, double leftHz, double rightHz) {
    std::vector<float> samples(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        samples[static_cast<std::size_t>(2 * i)] =
            0.4f * static_cast<float>(std::sin(2.0 * std::numbers::pi * leftHz * i / kRate));
        samples[static_cast<std::size_t>(2 * i + 1)] =
            0.4f * static_cast<float>(std::sin(2.0 * std::numbers::pi * rightHz * i / kRate));
    }
    return samples;
}

class ManualEngine : public ::testing::Test {
  protected:
    void SetUp() override {
        for (auto& inputs : g_inputs) inputs.clear();
        m_dir = fs::temp_directory_path() /
                (std::string("velmoranth_engine_") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        ASSERT_EQ(SoundEngine::Create({.output = OutputMode::Manual}, m_engine), SoundResult::Ok);
        ASSERT_EQ(m_engine->Init(), SoundResult::Ok);
        ASSERT_EQ(m_engine->CreateDsp(&Record<0>, m_units[0]), SoundResult::Ok);
        ASSERT_EQ(m_engine->CreateDsp(&Record<1>, m_units[1]), SoundResult::Ok);
        ASSERT_EQ(m_engine->CreateDsp(&Record<2>, m_units[2]), SoundResult::Ok);
    }
    void TearDown() override {
        m_engine.reset();
        fs::remove_all(m_dir);
    }

    fs::path Song(SongFormat format, const std::vector<float>& samples, const char* name = "song") {
        const fs::path file = m_dir / (std::string(name) + "." + SongFormatExtension(format));
        EXPECT_TRUE(EncodeSong(file, format, samples));
        return file;
    }
    // The song with two 3D voices and a plain one, each with its recording unit; paused.
    int Load(const fs::path& file) {
        int song = -1;
        EXPECT_EQ(m_engine->OpenSong(file.c_str(), song), SoundResult::Ok);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(m_engine->PlayVoice(song, i < 2, m_voices[i]), SoundResult::Ok);
            EXPECT_EQ(m_engine->AddVoiceDsp(m_voices[i], m_units[i]), SoundResult::Ok);
        }
        return song;
    }
    std::vector<float> Render(int blocks) {
        std::vector<float> out(static_cast<std::size_t>(blocks) * kBlock * 2);
        EXPECT_EQ(m_engine->RenderBlocks(blocks, out.data()), SoundResult::Ok);
        return out;
    }
    std::uint32_t PositionMs(int song) {
        std::uint32_t ms = 0;
        EXPECT_EQ(m_engine->GetSongPositionMs(song, ms), SoundResult::Ok);
        return ms;
    }

    fs::path m_dir;
    std::unique_ptr<SoundEngine> m_engine;
    int m_units[3] = {-1, -1, -1};
    int m_voices[3] = {-1, -1, -1};
};

TEST_F(ManualEngine, EveryFormatPlaysToItsEnd) {
    for (const SongFormat format :
         {SongFormat::Wav, SongFormat::Ogg, SongFormat::Mp3, SongFormat::Wma}) {
        SCOPED_TRACE(SongFormatExtension(format));
        const fs::path file = Song(format, Tone(2 * kRate, 440.0, 660.0));
        std::vector<float> decoded;
        ASSERT_EQ(psound::DecodeSongFile(file.c_str(), decoded), SoundResult::Ok);
        const auto frames = static_cast<std::int64_t>(decoded.size() / 2);
        const int song = Load(file);
        ASSERT_EQ(m_engine->SetSongPaused(song, false), SoundResult::Ok);
        int blocks = 0;
        while (m_engine->VoicesPlaying() > 0 && blocks < 1000) {
            Render(1);
            ++blocks;
        }
        EXPECT_EQ(m_engine->VoicesPlaying(), 0);
        // Played frames, plus the block that notices the end.
        EXPECT_NEAR(static_cast<double>(blocks), static_cast<double>(frames) / kBlock + 1.0, 1.0);
        EXPECT_NEAR(PositionMs(song), frames * 1000.0 / kRate, 1.0);
        EXPECT_EQ(m_engine->ReleaseSong(song), SoundResult::Ok);
    }
}

// Stop then Play, or the position slider, after the song's end and before the player hears of
// it: the song starts again from where it was put.
TEST_F(ManualEngine, ASongPlayedToItsEndPlaysAgainAfterASeek) {
    const int song = Load(Song(SongFormat::Wav, Tone(kRate / 2, 440.0, 660.0)));
    ASSERT_EQ(m_engine->SetSongPaused(song, false), SoundResult::Ok);
    for (int blocks = 0; m_engine->VoicesPlaying() > 0 && blocks < 1000; ++blocks) Render(1);
    ASSERT_EQ(m_engine->VoicesPlaying(), 0);
    ASSERT_EQ(m_engine->SetSongPositionMs(song, 0), SoundResult::Ok);
    const std::vector<float> again = Render(8);
    EXPECT_EQ(m_engine->VoicesPlaying(), 3);
    EXPECT_GT(PositionMs(song), 0u);
    EXPECT_GT(*std::max_element(again.begin(), again.end()), 0.05f);
}

TEST_F(ManualEngine, EveryVoiceFeedsItsUnitsTheSongAtVolumeZero) {
    const fs::path file = Song(SongFormat::Wav, Tone(kRate, 300.0, 500.0));
    std::vector<float> decoded;
    ASSERT_EQ(psound::DecodeSongFile(file.c_str(), decoded), SoundResult::Ok);
    const int song = Load(file);
    for (const int voice : m_voices)
        ASSERT_EQ(m_engine->SetVoiceVolume(voice, 0.0f), SoundResult::Ok);
    ASSERT_EQ(m_engine->SetSongPaused(song, false), SoundResult::Ok);
    const std::vector<float> out = Render(20);
    for (const auto& inputs : g_inputs) {
        ASSERT_GE(inputs.size(), 20u * kBlock * 2);
        for (std::size_t i = 0; i < 20u * kBlock * 2; ++i) ASSERT_EQ(inputs[i], decoded[i]) << i;
    }
    for (const float s : out) ASSERT_EQ(s, 0.0f);
}

TEST_F(ManualEngine, PausedSongRendersNothingAndStaysPlaying) {
    const int song = Load(Song(SongFormat::Wav, Tone(kRate, 300.0, 500.0)));
    Render(10);
    for (const auto& inputs : g_inputs) EXPECT_TRUE(inputs.empty());
    EXPECT_EQ(PositionMs(song), 0u);
    EXPECT_EQ(m_engine->VoicesPlaying(), 3);
}

TEST_F(ManualEngine, PauseResumeAndSeekKeepTheVoicesOnOneFrame) {
    std::vector<float> ramp(static_cast<std::size_t>(10 * kRate) * 2);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<float>((i / 2) % 301) / 400.0f;  // a step per frame
    const int song = Load(Song(SongFormat::Wav, ramp));
    ASSERT_EQ(m_engine->SetSongPaused(song, false), SoundResult::Ok);
    Render(7);
    ASSERT_EQ(m_engine->SetSongPaused(song, true), SoundResult::Ok);
    Render(3);
    ASSERT_EQ(m_engine->SetSongPositionMs(song, 4000), SoundResult::Ok);
    EXPECT_EQ(PositionMs(song), 4000u);
    ASSERT_EQ(m_engine->SetSongPaused(song, false), SoundResult::Ok);
    Render(5);
    ASSERT_EQ(m_engine->SetSongPositionMs(song, 1000), SoundResult::Ok);
    Render(5);
    EXPECT_EQ(g_inputs[0], g_inputs[1]);
    EXPECT_EQ(g_inputs[0], g_inputs[2]);
    // The first block after the seek to 4 s starts at frame 176400.
    // Seven renders fed eight blocks: each queues one, the first also the one after it.
    const std::size_t afterSeek = 8u * kBlock * 2;
    ASSERT_GT(g_inputs[0].size(), afterSeek);
    EXPECT_NEAR(g_inputs[0][afterSeek], ramp[176400u * 2], 1e-3f);
}

TEST_F(ManualEngine, SeekHalfwayIntoALongSong) {
    const int song = Load(
        Song(SongFormat::Wav, std::vector<float>(static_cast<std::size_t>(200 * kRate) * 2, 0.0f)));
    std::uint32_t length = 0;
    ASSERT_EQ(m_engine->GetSongLengthMs(song, length), SoundResult::Ok);
    EXPECT_EQ(length, 200000u);
    ASSERT_EQ(m_engine->SetSongPositionMs(song, static_cast<std::uint32_t>(length * 0.5f)),
              SoundResult::Ok);
    EXPECT_EQ(PositionMs(song), 100000u);
}

TEST_F(ManualEngine, ReleasedSongFreesItsVoices) {
    const fs::path file = Song(SongFormat::Wav, Tone(kRate, 300.0, 500.0));
    const int first = Load(file);
    EXPECT_EQ(m_engine->ReleaseSong(first), SoundResult::Ok);
    EXPECT_EQ(m_engine->VoicesPlaying(), 0);
    EXPECT_EQ(m_engine->SetVoiceVolume(m_voices[0], 1.0f), SoundResult::InvalidHandle);
    const int second = Load(file);  // all four voices would not fit beside the first's three
    EXPECT_EQ(m_engine->VoicesPlaying(), 3);
    EXPECT_EQ(m_engine->ReleaseSong(second), SoundResult::Ok);
}

TEST_F(ManualEngine, RightSpeakerIsHeardOnTheRight) {
    // The listener at the origin looking down -z; one voice to the front right, one front left.
    ASSERT_EQ(m_engine->SetListener({}, {0.0f, 0.0f, -1.0f}, {0.0f, 1.0f, 0.0f}), SoundResult::Ok);
    const struct {
        float x;
        int louder;  // output channel
    } cases[] = {{2000.0f, 1}, {-2000.0f, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        int song = -1;
        ASSERT_EQ(
            m_engine->OpenSong(Song(SongFormat::Wav, Tone(kRate, 440.0, 440.0)).c_str(), song),
            SoundResult::Ok);
        int voice = -1;
        ASSERT_EQ(m_engine->PlayVoice(song, true, voice), SoundResult::Ok);
        ASSERT_EQ(m_engine->SetVoicePosition(voice, {c.x, 0.0f, -2000.0f}), SoundResult::Ok);
        ASSERT_EQ(m_engine->SetSongPaused(song, false), SoundResult::Ok);
        const std::vector<float> out = Render(10);
        double energy[2] = {0.0, 0.0};
        for (std::size_t i = 0; i < out.size(); ++i) energy[i % 2] += out[i] * out[i];
        EXPECT_GT(energy[c.louder], 4.0 * energy[1 - c.louder]);
        ASSERT_EQ(m_engine->ReleaseSong(song), SoundResult::Ok);
    }
}

// A 0.1 s burst from a 3D voice in front, then silence: the auditorium's reverb goes on
// ringing well after the burst, and with reverb off nothing follows it.
struct ReverbCase {
    const char* name;
    psound::ReverbPreset preset;
    bool rings;
};

class ReverbTail : public ManualEngine, public ::testing::WithParamInterface<ReverbCase> {};

TEST_P(ReverbTail, AfterABurst) {
    const ReverbCase& c = GetParam();
    std::vector<float> burst = Tone(2 * kRate, 500.0, 500.0);
    std::fill(burst.begin() + kRate / 10 * 2, burst.end(), 0.0f);
    int song = -1;
    ASSERT_EQ(m_engine->OpenSong(Song(SongFormat::Wav, burst).c_str(), song), SoundResult::Ok);
    ASSERT_EQ(m_engine->Set3DSettings(1.0f, 1000.0f, 0.001f), SoundResult::Ok);
    ASSERT_EQ(m_engine->SetReverb(c.preset), SoundResult::Ok);
    int voice = -1;
    ASSERT_EQ(m_engine->PlayVoice(song, true, voice), SoundResult::Ok);
    ASSERT_EQ(m_engine->SetVoiceDistance(voice, 10.0f, 10000.0f), SoundResult::Ok);
    ASSERT_EQ(m_engine->SetVoicePosition(voice, {0.0f, 0.0f, -2000.0f}), SoundResult::Ok);
    ASSERT_EQ(m_engine->SetListener({}, {0.0f, 0.0f, -1.0f}, {0.0f, 1.0f, 0.0f}), SoundResult::Ok);
    ASSERT_EQ(m_engine->Update(), SoundResult::Ok);
    ASSERT_EQ(m_engine->SetSongPaused(song, false), SoundResult::Ok);
    const std::vector<float> out = Render(80);  // 1.86 s
    // The burst and its queue lead are over by 0.3 s; the tail is measured from 0.5 s to 1.5 s.
    const auto energy = [&](double from, double to) {
        double sum = 0.0;
        for (auto i = static_cast<std::size_t>(from * kRate) * 2;
             i < static_cast<std::size_t>(to * kRate) * 2; ++i)
            sum += out[i] * out[i];
        return sum;
    };
    const double head = energy(0.0, 0.3), tail = energy(0.5, 1.5);
    ASSERT_GT(head, 1.0);
    if (c.rings)
        EXPECT_GT(tail, 1e-2 * head);
    else
        EXPECT_EQ(tail, 0.0);
}

INSTANTIATE_TEST_SUITE_P(ManualEngine, ReverbTail,
                         ::testing::Values(ReverbCase{"Auditorium",
                                                      psound::ReverbPreset::Auditorium, true},
                                           ReverbCase{"Off", psound::ReverbPreset::Off, false}),
                         CaseName());

TEST(SoundEngineLifecycle, CallsBeforeInitAreRefused) {
    std::unique_ptr<SoundEngine> engine;
    ASSERT_EQ(SoundEngine::Create({.output = OutputMode::Manual}, engine), SoundResult::Ok);
    int song = -1;
    EXPECT_EQ(engine->OpenSong("anything.mp3", song), SoundResult::Uninitialized);
    EXPECT_EQ(engine->SetSongPaused(0, false), SoundResult::Uninitialized);
    EXPECT_EQ(engine->SetListener({}, {}, {}), SoundResult::Uninitialized);
    EXPECT_EQ(engine->CreateGeometry(1, 3), SoundResult::Uninitialized);
    float block[kBlock * 2];
    EXPECT_EQ(engine->RenderBlocks(1, block), SoundResult::Uninitialized);
    EXPECT_EQ(engine->VoicesPlaying(), 0);
}

// A wall between the listener and a 3D voice, against the same wall moved out of the way: the
// direct sound and the reverb send each pass what their occlusion leaves.
struct WallCase {
    const char* name;
    float direct, reverb;  // the wall's occlusions
    psound::ReverbPreset preset;
    double minShare, maxShare;  // of the energy heard without the wall
};

class BehindAWall : public ManualEngine, public ::testing::WithParamInterface<WallCase> {
  protected:
    double Energy(bool wallInTheWay) {
        int song = -1;
        EXPECT_EQ(m_engine->OpenSong(m_song.c_str(), song), SoundResult::Ok);
        int voice = -1;
        EXPECT_EQ(m_engine->PlayVoice(song, true, voice), SoundResult::Ok);
        EXPECT_EQ(m_engine->SetVoicePosition(voice, {0.0f, 0.0f, -2000.0f}), SoundResult::Ok);
        EXPECT_EQ(m_engine->SetGeometryPosition({wallInTheWay ? 0.0f : 5000.0f, 0.0f, 0.0f}),
                  SoundResult::Ok);
        EXPECT_EQ(m_engine->Update(), SoundResult::Ok);
        EXPECT_EQ(m_engine->SetSongPaused(song, false), SoundResult::Ok);
        const std::vector<float> out = Render(30);
        EXPECT_EQ(m_engine->ReleaseSong(song), SoundResult::Ok);
        double sum = 0.0;
        for (const float v : out) sum += v * v;
        return sum;
    }
    fs::path m_song;
};

TEST_P(BehindAWall, PassesWhatTheOcclusionLeaves) {
    const WallCase& c = GetParam();
    m_song = Song(SongFormat::Wav, Tone(kRate, 440.0, 440.0));
    ASSERT_EQ(m_engine->Set3DSettings(1.0f, 1000.0f, 0.001f), SoundResult::Ok);
    ASSERT_EQ(m_engine->SetReverb(c.preset), SoundResult::Ok);
    ASSERT_EQ(m_engine->SetListener({}, {0.0f, 0.0f, -1.0f}, {0.0f, 1.0f, 0.0f}), SoundResult::Ok);
    const Vec3 wall[4] = {
        {-1000, -1000, -1000}, {1000, -1000, -1000}, {1000, 1000, -1000}, {-1000, 1000, -1000}};
    ASSERT_EQ(m_engine->CreateGeometry(1, 4), SoundResult::Ok);
    ASSERT_EQ(m_engine->AddPolygon(c.direct, c.reverb, true, wall, 4), SoundResult::Ok);
    // Behind the wall first: the reverb rings on from one song into the next.
    const double behind = Energy(true);
    const double open = Energy(false);
    ASSERT_GT(open, 1.0);
    const double share = behind / open;
    EXPECT_GE(share, c.minShare);
    EXPECT_LE(share, c.maxShare);
}

INSTANTIATE_TEST_SUITE_P(
    ManualEngine, BehindAWall,
    ::testing::Values(WallCase{"HalfTheDirectSound", 0.5f, 0.5f, psound::ReverbPreset::Off, 0.24,
                               0.26},
                      WallCase{"DirectShut", 1.0f, 0.0f, psound::ReverbPreset::Off, 0.0, 0.0},
                      WallCase{"OnlyTheReverbGetsThrough", 1.0f, 0.0f,
                               psound::ReverbPreset::Auditorium, 0.01, 0.9},
                      WallCase{"AllShut", 1.0f, 1.0f, psound::ReverbPreset::Auditorium, 0.0, 0.0}),
    CaseName());

TEST_F(ManualEngine, GeometryTakesPolygonsInsideTheWorldOnly) {
    const Vec3 wall[4] = {{-100, 0, 0}, {100, 0, 0}, {100, 100, 0}, {-100, 100, 0}};
    EXPECT_EQ(m_engine->AddPolygon(1, 1, true, wall, 4), SoundResult::InvalidHandle);
    EXPECT_EQ(m_engine->SetGeometryPosition({}), SoundResult::InvalidHandle);
    EXPECT_EQ(m_engine->SetGeometrySettings(0.0f), SoundResult::InvalidParam);
    EXPECT_EQ(m_engine->CreateGeometry(0, 3), SoundResult::InvalidParam);
    ASSERT_EQ(m_engine->SetGeometrySettings(100.0f), SoundResult::Ok);
    ASSERT_EQ(m_engine->CreateGeometry(2, 8), SoundResult::Ok);
    EXPECT_EQ(m_engine->AddPolygon(1, 1, true, wall, 4), SoundResult::Ok);
    const Vec3 farWall[4] = {{-100, 0, 0}, {101, 0, 0}, {101, 100, 0}, {-100, 100, 0}};
    EXPECT_EQ(m_engine->AddPolygon(1, 1, true, farWall, 4), SoundResult::InvalidParam);
}

TEST(SoundEngineLifecycle, InjectedFailuresComeBackFromTheirStep) {
    std::unique_ptr<SoundEngine> engine;
    EXPECT_EQ(SoundEngine::Create({.output = OutputMode::Manual, .failCreate = SoundResult::Memory},
                                  engine),
              SoundResult::Memory);
    EXPECT_EQ(engine, nullptr);
    ASSERT_EQ(SoundEngine::Create({.output = OutputMode::Manual, .failInit = SoundResult::Output},
                                  engine),
              SoundResult::Ok);
    EXPECT_EQ(engine->Init(), SoundResult::Output);
}

}  // namespace
