// Runs the beat tracker over a song file the way the analysis thread runs it while the music
// player plays the song (1024-frame mixer blocks, the tap's 512 values, gain, spectrum,
// tracker, a block of zeros on every pass that finds no new block), on a virtual clock.
// Prints one line per second, then the beat times, the final tempo and the speed of the
// analysis and of the whole run (reading the song included).
// Usage: track_file SONG   (MP3, WAV, OGG, WMA: anything the player can play)
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/sound/song_decoder.h"
#include "tests/audio/support/synth_audio.h"
#include "tests/audio/support/tap_path.h"

namespace {

void PrintBeats(const std::vector<double>& beats) {
    std::printf("beats: %zu\n", beats.size());
    for (std::size_t i = 0; i < beats.size(); ++i)
        std::printf("%9.3f%s", beats[i], i % 10 == 9 || i + 1 == beats.size() ? "\n" : "");
}

void PrintSpeed(const char* what, double audioSeconds, std::chrono::steady_clock::duration took) {
    const double wall = std::chrono::duration<double>(took).count();
    std::printf("%s: %.1f s of audio in %.3f s, %.0f times faster than real time\n", what,
                audioSeconds, wall, wall > 0.0 ? audioSeconds / wall : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SONG\n", argv[0]);
        return 2;
    }
    const auto runStart = std::chrono::steady_clock::now();
    std::vector<float> stereo;
    if (const psound::SoundResult r = psound::DecodeSongFile(argv[1], stereo);
        r != psound::SoundResult::Ok) {
        std::fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], psound::SoundErrorString(r));
        return 1;
    }
    std::vector<float> mono(stereo.size() / 2);
    for (std::size_t i = 0; i < mono.size(); ++i)
        mono[i] = (stereo[2 * i] + stereo[2 * i + 1]) / 2.0f;
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
    const auto end = std::chrono::steady_clock::now();
    PrintBeats(beats);
    const double seconds = static_cast<double>(mono.size()) / kMixRate;
    std::printf("final tempo: %.2f BPM\n", tempo);
    PrintSpeed("analysed", seconds, end - start);
    PrintSpeed("whole run (reading the song too)", seconds, end - runStart);
    return 0;
}
