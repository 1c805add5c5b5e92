// Runs the beat tracker over a WAV file the way the analysis thread runs it while the music
// player plays the song (1024-frame mixer blocks, the tap's 512 values, gain, spectrum,
// tracker, a block of zeros on every pass that finds no new block), on a virtual clock.
// Prints one line per second, then the beat times, the final tempo and the speed.
// Usage: track_file SONG.wav   (PCM, 16-bit, 44100 Hz, mono or stereo)
#include "tests/audio/support/synth_audio.h"
#include "tests/audio/support/tap_path.h"
#include "tests/audio/support/wav_file.h"

#include <chrono>
#include <cstdio>
#include <vector>

namespace {

void PrintBeats(const std::vector<double>& beats) {
    std::printf("beats: %zu\n", beats.size());
    for (std::size_t i = 0; i < beats.size(); ++i)
        std::printf("%9.3f%s", beats[i], i % 10 == 9 || i + 1 == beats.size() ? "\n" : "");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SONG.wav\n", argv[0]);
        return 2;
    }
    WavAudio audio;
    if (WavResult r = ReadWavFile(argv[1], audio); r != WavResult::Ok) {
        std::fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], WavResultText(r));
        return 1;
    }
    const std::vector<float> mono = MonoMix(audio);
    std::vector<double> beats;
    double nextLine = 1.0;
    float tempo = 0.0f;
    const auto start = std::chrono::steady_clock::now();
    RunTapPath(mono, {}, [&](const TapPass& pass) {
        if (pass.state.beatFound) beats.push_back(pass.seconds);
        tempo = pass.state.tempo;
        if (pass.seconds >= nextLine) {
            std::printf("%7.0f s  T %7.2f  mode %d  present %d\n", nextLine, pass.state.tempo,
                        DanceMode.load(std::memory_order_relaxed), pass.state.present ? 1 : 0);
            nextLine += 1.0;
        }
    });
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    PrintBeats(beats);
    const double seconds = static_cast<double>(mono.size()) / kMixRate;
    std::printf("final tempo: %.2f BPM\n", tempo);
    std::printf("analysed %.1f s of audio in %.3f s: %.0f times faster than real time\n", seconds,
                wall, wall > 0.0 ? seconds / wall : 0.0);
    return 0;
}
