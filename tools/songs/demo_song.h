#pragma once
// The demo songs: short club pieces composed here, so the player has music on a fresh
// checkout. Kick on every beat, snare on beats two and four, hi-hats on the off-beats, a bass
// line and chords over a four-bar progression. Deterministic: the same song every build.

#include <vector>

#include "tools/songs/song_encoder.h"

struct DemoSong {
    const char* name;  // file name without extension
    int beatsPerMinute;
    int seconds;
    SongFormat format;
};

// The set written into Music/: every format once, at different tempos.
const std::vector<DemoSong>& DemoSongs();

// 44100 Hz interleaved stereo of the song.
std::vector<float> ComposeDemoSong(int beatsPerMinute, int seconds);
