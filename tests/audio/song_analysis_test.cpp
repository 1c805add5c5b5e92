// The whole analysis on synthetic songs, fed as the analysis thread feeds it while a song
// plays: 1024-frame mixer blocks halved to 512 values, with zero blocks between them.
#include "tests/audio/support/synth_audio.h"
#include "tests/audio/support/tap_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

struct Moment {
    double seconds;
    bool present;
    std::int16_t mode;
    float tempo;
};

struct Timeline {
    std::vector<Moment> moments;
    std::vector<double> beats;  // virtual times of the passes that found a beat
};

Timeline Analyse(const std::vector<float>& song, TrackerInputs inputs = {}) {
    Timeline run;
    TapPathOptions options;
    options.inputs = inputs;
    RunTapPath(song, options, [&](const TapPass& pass) {
        run.moments.push_back({pass.seconds, pass.state.present,
                               DanceMode.load(std::memory_order_relaxed), pass.state.tempo});
        if (pass.state.beatFound) run.beats.push_back(pass.seconds);
    });
    return run;
}

// The first time at or after `from` at which the tracker follows a beat (present, mode 1).
double OnTheBeatFrom(const Timeline& run, double from) {
    for (const Moment& m : run.moments)
        if (m.seconds >= from && m.present && m.mode == 1) return m.seconds;
    return INFINITY;
}
// The first time at or after `from` at which presence is gone and the mode is 3.
double SilentFrom(const Timeline& run, double from) {
    for (const Moment& m : run.moments)
        if (m.seconds >= from && !m.present && m.mode == 3) return m.seconds;
    return INFINITY;
}
float TempoAt(const Timeline& run, double seconds) {
    for (const Moment& m : run.moments)
        if (m.seconds >= seconds) return m.tempo;
    return NAN;
}
// Of the onsets from `from` on, how many are followed by a detected beat within 100 ms (a tap
// block and a zero pass or two), and how many there are.
std::pair<int, int> OnsetsFound(const Timeline& run, const std::vector<double>& onsets,
                                double from) {
    int found = 0, all = 0;
    for (double onset : onsets) {
        if (onset < from) continue;
        ++all;
        const auto beat = std::lower_bound(run.beats.begin(), run.beats.end(), onset);
        if (beat != run.beats.end() && *beat - onset <= 0.1) ++found;
    }
    return {found, all};
}

TEST(SongAnalysis, FollowsAKickAt120Bpm) {
    KickTrack track{.bpm = 120.0, .seconds = 60.0};
    const Timeline run = Analyse(MakeKicks(track));
    const double onTheBeat = OnTheBeatFrom(run, 0.0);
    EXPECT_LE(onTheBeat, track.firstOnset + 1.2);
    EXPECT_NEAR(TempoAt(run, 10.0), 120.0f, 0.5f);
    // The kicks before presence has built up cannot be followed.
    const auto [found, all] = OnsetsFound(run, KickOnsets(track), onTheBeat);
    EXPECT_GE(found, 0.99 * all);
    EXPECT_EQ(run.beats.size(), static_cast<std::size_t>(found));  // no beat without a kick
}

TEST(SongAnalysis, ConvergesOnAKickAt128Bpm) {
    const Timeline run = Analyse(MakeKicks({.bpm = 128.0, .seconds = 60.5}));
    EXPECT_NEAR(TempoAt(run, 60.0), 128.0f, 1.0f);
}

TEST(SongAnalysis, PresenceFollowsGatedMusic) {
    KickTrack track{.bpm = 120.0, .seconds = 50.0};
    std::vector<float> song = MakeKicks(track);
    Silence(song, 20.0, 40.0);
    const Timeline run = Analyse(song);
    EXPECT_LE(OnTheBeatFrom(run, 0.0), track.firstOnset + 1.2);
    // The last kick before the gap starts at 19.6 s.
    const double off = SilentFrom(run, 19.6);
    EXPECT_LE(off, 19.6 + 2.5);
    const double backOn = OnTheBeatFrom(run, 40.0);
    EXPECT_LE(backOn, 40.1 + 1.2);
    int flips = 0;
    for (std::size_t i = 1; i < run.moments.size(); ++i) {
        const double t = run.moments[i].seconds;
        const bool steady = (t > 2.0 && t < 19.6) || t > 42.0;
        if (steady && run.moments[i].present != run.moments[i - 1].present) ++flips;
    }
    EXPECT_EQ(flips, 0);
}

TEST(SongAnalysis, NoiseHasNoBeats) {
    const Timeline run = Analyse(MakeNoise(30.0, 0.2, 1));
    EXPECT_TRUE(run.beats.empty());
}

TEST(SongAnalysis, VeryQuietKickNeverLeavesSilentMode) {
    const Timeline run = Analyse(MakeKicks({.bpm = 120.0, .seconds = 30.0, .amplitude = 0.002}));
    for (const Moment& m : run.moments) ASSERT_EQ(m.mode, 3) << "at " << m.seconds << " s";
}

}  // namespace
