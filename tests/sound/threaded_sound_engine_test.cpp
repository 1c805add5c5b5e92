// The device engine's mixer thread (SDL's dummy output) against the UI thread's calls,
// occlusion updates among them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/sound/sound_engine.h"
#include "tools/songs/song_encoder.h"

namespace {

namespace fs = std::filesystem;
using psound::OutputMode;
using psound::SoundEngine;
using psound::SoundResult;

std::atomic<int> g_blocksSeen{0};
int Count(DspState*, const float* in, float* out, unsigned int length, int, int) {
    std::copy(in, in + 2 * length, out);
    g_blocksSeen.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

TEST(ThreadedSoundEngine, UiCallsWhileTheMixerPlays) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const fs::path file = fs::temp_directory_path() / "velmoranth_threaded_engine.ogg";
    ASSERT_TRUE(EncodeSong(file, SongFormat::Ogg, std::vector<float>(2u * 44100 * 20, 0.1f)));
    std::unique_ptr<SoundEngine> engine;
    ASSERT_EQ(SoundEngine::Create({.output = OutputMode::Device}, engine), SoundResult::Ok);
    ASSERT_EQ(engine->Init(), SoundResult::Ok);
    int unit = -1;
    ASSERT_EQ(engine->CreateDsp(&Count, unit), SoundResult::Ok);
    // A wall between the origin and the 3D voices; the listener steps across it and back, so
    // every update changes the voices' filters while the mixer plays.
    const psound::Vec3 wall[4] = {
        {-500, -500, -1000}, {500, -500, -1000}, {500, 500, -1000}, {-500, 500, -1000}};
    ASSERT_EQ(engine->CreateGeometry(1, 4), SoundResult::Ok);
    ASSERT_EQ(engine->AddPolygon(0.5f, 0.5f, true, wall, 4), SoundResult::Ok);
    for (int round = 0; round < 3; ++round) {
        int song = -1;
        ASSERT_EQ(engine->OpenSong(file.c_str(), song), SoundResult::Ok);
        int voices[3];
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(engine->PlayVoice(song, i < 2, voices[i]), SoundResult::Ok);
            ASSERT_EQ(engine->AddVoiceDsp(voices[i], unit), SoundResult::Ok);
            ASSERT_EQ(engine->SetVoicePosition(voices[i], {0, 0, -2000}), SoundResult::Ok);
        }
        ASSERT_EQ(engine->SetSongPaused(song, false), SoundResult::Ok);
        const int before = g_blocksSeen.load();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        // Until the mixer has taken a few blocks, the UI side pauses, seeks and asks.
        for (int i = 0;
             g_blocksSeen.load() < before + 12 && std::chrono::steady_clock::now() < deadline;
             ++i) {
            EXPECT_EQ(engine->SetSongPositionMs(song, static_cast<std::uint32_t>(i % 10) * 1000),
                      SoundResult::Ok);
            EXPECT_EQ(engine->SetVoiceVolume(voices[2], 0.5f), SoundResult::Ok);
            const psound::Vec3 listener{0, 0, i % 2 == 0 ? 0.0f : -1500.0f};
            EXPECT_EQ(engine->SetListener(listener, {0, 0, -1}, {0, 1, 0}), SoundResult::Ok);
            EXPECT_EQ(engine->Update(), SoundResult::Ok);
            std::uint32_t ms = 0;
            EXPECT_EQ(engine->GetSongPositionMs(song, ms), SoundResult::Ok);
            EXPECT_LE(ms, 20000u);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_GE(g_blocksSeen.load(), before + 12);
        EXPECT_EQ(engine->ReleaseSong(song), SoundResult::Ok);
    }
    engine.reset();  // the output thread has ended: nothing counts after this
    const int after = g_blocksSeen.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(g_blocksSeen.load(), after);
    fs::remove(file);
}

}  // namespace
