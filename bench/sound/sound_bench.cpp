#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "audio/club_room.h"
#include "bench/sound/bare_loopback.h"
#include "platform/sound/room_geometry.h"
#include "platform/sound/song_decoder.h"
#include "platform/sound/song_input.h"
#include "platform/sound/sound_engine.h"
#include "tools/songs/demo_song.h"

namespace {

namespace fs = std::filesystem;
constexpr int kSeconds = 30;

int PassThrough(DspState*, const float* in, float* out, unsigned int length, int, int) {
    std::copy(in, in + 2 * length, out);
    return 0;
}

fs::path SongFile(SongFormat format) {
    const fs::path file = fs::temp_directory_path() /
                          (std::string("velmoranth_bench.") + SongFormatExtension(format));
    if (!fs::exists(file)) (void)EncodeSong(file, format, ComposeDemoSong(120, kSeconds));
    return file;
}

// Percent of a block's real time (1024 frames at 44100 Hz, 23.2 ms) that one iteration took,
// timed from its making to the end of the timing loop.
class RealTimeShare {
  public:
    benchmark::Counter Percent(const benchmark::State& state) const {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_start;
        const double perBlock = elapsed.count() / static_cast<double>(state.iterations());
        return benchmark::Counter(100.0 * perBlock / (1024.0 / 44100.0));
    }

  private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// One 1024-frame block: two 3D voices and the plain one, the units running; reverb off (as the
// program plays with 3D sound off) or, with argument 1, the auditorium.
void BM_MixerBlock(benchmark::State& state) {
    std::unique_ptr<psound::SoundEngine> engine;
    if (psound::SoundEngine::Create({.output = psound::OutputMode::Manual}, engine) !=
            psound::SoundResult::Ok ||
        engine->Init() != psound::SoundResult::Ok) {
        state.SkipWithError("no engine");
        return;
    }
    engine->Set3DSettings(1.0f, 1000.0f, 0.001f);
    engine->SetReverb(state.range(0) != 0 ? psound::ReverbPreset::Auditorium
                                          : psound::ReverbPreset::Off);
    int unit = -1, song = -1;
    engine->CreateDsp(&PassThrough, unit);
    engine->OpenSong(SongFile(SongFormat::Wav).c_str(), song);
    for (int i = 0; i < 3; ++i) {
        int voice = -1;
        engine->PlayVoice(song, i < 2, voice);
        engine->AddVoiceDsp(voice, unit);
        engine->SetVoicePosition(voice, {i == 0 ? 7850.0f : -6101.0f, 2425.0f, 6485.0f});
        engine->SetVoiceVolume(voice, 0.8f);
    }
    engine->SetSongPaused(song, false);
    std::vector<float> out(1024 * 2);
    int blocks = 0;
    const RealTimeShare share;
    for (auto _ : state) {
        if (++blocks * 1024 > (kSeconds - 1) * 44100) {
            engine->SetSongPositionMs(song, 0);
            blocks = 0;
        }
        engine->RenderBlocks(1, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["percent_of_real_time"] = share.Percent(state);
}
BENCHMARK(BM_MixerBlock)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The floor under BM_MixerBlock: OpenAL Soft alone, in the same loopback format, rendering
// three streaming sources like the song's voices (two 3D mono, one stereo passed straight
// through), each block refilled from a decoded song; argument 1 adds the auditorium reverb.
void BM_BareLoopbackBlock(benchmark::State& state) {
    BareLoopback al;
    if (!al.Open(state.range(0) != 0)) {
        state.SkipWithError("no loopback device");
        return;
    }
    std::vector<float> song;
    if (psound::DecodeSongFile(SongFile(SongFormat::Wav).c_str(), song) !=
        psound::SoundResult::Ok) {
        state.SkipWithError("no song");
        return;
    }
    std::vector<float> out(1024 * 2);
    std::size_t frame = 0;
    const RealTimeShare share;
    for (auto _ : state) {
        if ((frame + 1024) * 2 > song.size()) frame = 0;
        al.Feed(song.data() + frame * 2);
        frame += 1024;
        al.Render(out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["percent_of_real_time"] = share.Percent(state);
}
BENCHMARK(BM_BareLoopbackBlock)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// What each frame's listener update adds: both speakers' paths against the club room.
void BM_ClubRoomOcclusion(benchmark::State& state) {
    psound::RoomGeometry room(48, 156);
    for (const sound::RoomPolygon& p : sound::ClubRoomPolygons())
        (void)room.AddPolygon(1.0f, 1.0f, true, p.vertices.data(), p.count);
    const psound::Vec3 listener{-314.0f, 200.0f, -2984.0f};
    for (auto _ : state) {
        benchmark::DoNotOptimize(room.Occlude(listener, {7850.0f, 2425.0f, 6485.0f}));
        benchmark::DoNotOptimize(room.Occlude(listener, {-6101.0f, 2425.0f, 6485.0f}));
    }
}
BENCHMARK(BM_ClubRoomOcclusion)->Unit(benchmark::kNanosecond);

void BM_Decode(benchmark::State& state) {
    const auto format = static_cast<SongFormat>(state.range(0));
    const fs::path file = SongFile(format);
    std::vector<float> samples;
    for (auto _ : state) {
        (void)psound::DecodeSongFile(file.c_str(), samples);
        benchmark::DoNotOptimize(samples.data());
    }
    state.SetLabel(SongFormatExtension(format));
    // Seconds of song decoded per second of wall time.
    state.counters["times_real_time"] = benchmark::Counter(
        kSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Decode)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Opening 2 GB of zeros named .mp3, which must fail at once (Load by File runs on the UI
// thread): the time per open and the bytes it read.
void BM_OpenFileWithoutSound(benchmark::State& state) {
    const fs::path file = fs::temp_directory_path() / "velmoranth_bench_zeros.mp3";
    { std::ofstream create(file); }
    fs::resize_file(file, std::uintmax_t{2} << 30);  // sparse: it takes no disk
    const std::uint64_t before = psound::SongBytesRead();
    for (auto _ : state) {
        std::unique_ptr<psound::SongDecoder> decoder;
        benchmark::DoNotOptimize(psound::SongDecoder::Open(file.c_str(), decoder));
    }
    state.counters["MB_read"] = benchmark::Counter(
        static_cast<double>(psound::SongBytesRead() - before) / 1e6 /
        static_cast<double>(state.iterations()));
    fs::remove(file);
}
BENCHMARK(BM_OpenFileWithoutSound)->Unit(benchmark::kMillisecond);

}  // namespace
