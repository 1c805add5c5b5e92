// Writes a synthetic kick track as a stereo 44.1 kHz 16-bit WAV file, to try track_file on.
// Usage: write_click_track OUT.wav BPM [SECONDS]   (60 s by default)
#include "tests/audio/support/synth_audio.h"
#include "tests/audio/support/wav_file.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: %s OUT.wav BPM [SECONDS]\n", argv[0]);
        return 2;
    }
    KickTrack track;
    track.bpm = std::atof(argv[2]);
    track.seconds = argc == 4 ? std::atof(argv[3]) : 60.0;
    if (!(track.bpm > 0.0 && track.bpm < 1000.0) || !(track.seconds > 0.0 && track.seconds < 36000.0)) {
        std::fprintf(stderr, "%s: BPM must be in (0, 1000) and SECONDS in (0, 36000)\n", argv[0]);
        return 2;
    }
    if (!WriteWavFile(argv[1], StereoFromMono(MakeKicks(track)))) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
