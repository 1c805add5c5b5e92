#include "audio/beat_tracker.h"

#include <gtest/gtest.h>

#include "tests/support/case_name.h"

#include <cmath>
#include <limits>

namespace {

constexpr float kLoud = 100.0f;  // envelope level of the fixtures' music; 0.6 of it arms
constexpr float kShortMs = 15.625f;  // a binary-exact step, well inside the refractory time

// Feeds the tracker (first, last) spectrum pairs, so the level of each call is exact.
class BeatTrackerTest : public ::testing::Test {
protected:
    void SetUp() override { ResetBeatTracker(); }

    void Pair(float first, float last, float stepMs) {
        const float block[2] = {first, last};
        m_inputs.AnalysisStepMs = stepMs;
        AnalyzeAudioBlock(block, 2, m_inputs);
    }
    void Step(float level, float stepMs) { Pair(level, 0.0f, stepMs); }
    static const BeatTrackerState& S() { return CurrentBeatTrackerState(); }

    // A quiet slot 0 and loud calls after it: spread 100, present after six 125 ms calls; the
    // call that turns presence on also arms (100 > 60) with peak 100.
    bool BecomePresent() {
        Step(0.0f, 125.0f);
        for (int i = 0; i < 6 && !S().present; ++i) Step(kLoud, 125.0f);
        return S().present && S().armed && S().peak == kLoud;
    }
    // From armed: the envelope turns down, which is a beat.
    bool BeatNow(float stepMs) {
        Step(0.0f, stepMs);
        return S().beatFound;
    }
    // From a beat: the next beat exactly `seconds` after it (end refractory, arm, fall).
    bool BeatAfter(double seconds) {
        Step(kLoud, static_cast<float>(seconds * 1000.0 - 2.0 * kShortMs));
        Step(kLoud, kShortMs);
        return BeatNow(kShortMs);
    }

    TrackerInputs m_inputs;
};

// ---- envelope and ring ----

TEST_F(BeatTrackerTest, FirstCallSetsBothExtremesAndIsNotPresent) {
    Pair(3.0f, 4.0f, 10.0f);  // the level combines both ends of the block: 5
    EXPECT_EQ(S().ring[0], 5.0f);
    EXPECT_EQ(S().ringMin, 5.0f);
    EXPECT_EQ(S().ringMax, 5.0f);
    EXPECT_FALSE(S().present);
    EXPECT_EQ(S().writeSlot, 1);
}

TEST_F(BeatTrackerTest, EnvelopeRisesAtOnceAndReleasesSlowly) {
    Step(kLoud, 10.0f);
    Step(0.0f, 10.0f);
    EXPECT_FLOAT_EQ(S().smoothedLevel, 95.0f);
    Step(40.0f, 10.0f);  // below the envelope: 0.05 x 40 + 0.95 x 95
    EXPECT_FLOAT_EQ(S().smoothedLevel, 92.25f);
    Step(93.0f, 10.0f);  // above it: taken as it is
    EXPECT_EQ(S().smoothedLevel, 93.0f);
    EXPECT_EQ(S().ring[3], 93.0f);
}

TEST_F(BeatTrackerTest, NonFiniteLevelCountsAsSilence) {
    const float inf = std::numeric_limits<float>::infinity();
    Step(kLoud, 10.0f);
    Pair(std::numeric_limits<float>::quiet_NaN(), 0.0f, 10.0f);
    EXPECT_FLOAT_EQ(S().smoothedLevel, 95.0f);
    Pair(inf, -inf, 10.0f);
    EXPECT_FLOAT_EQ(S().smoothedLevel, 90.25f);
    EXPECT_EQ(S().ringMax, kLoud);
    EXPECT_TRUE(std::isfinite(BeatPhase.load()));
}

TEST_F(BeatTrackerTest, OverwrittenMaximumIsSearchedAgain) {
    Step(kLoud, 10.0f);
    for (int i = 1; i < kEnvelopeRingSize; ++i) Step(0.0f, 10.0f);  // 95, 90.25, ...
    EXPECT_EQ(S().ringMax, kLoud);
    EXPECT_TRUE(S().ringWrapped);
    Step(0.0f, 10.0f);  // slot 0 now holds the decayed envelope
    EXPECT_FLOAT_EQ(S().ringMax, 95.0f);
    EXPECT_EQ(S().ringMaxSlot, 1);
}

TEST_F(BeatTrackerTest, RescanKeepsLowestSlotAmongEqualValues) {
    Step(10.0f, 10.0f);
    for (int i = 1; i < kEnvelopeRingSize; ++i) Step(50.0f, 10.0f);  // a held 50 stays exact
    EXPECT_EQ(S().ringMin, 10.0f);
    Step(60.0f, 10.0f);  // overwrites the minimum's slot 0
    EXPECT_EQ(S().ringMin, 50.0f);
    EXPECT_EQ(S().ringMinSlot, 1);
    EXPECT_EQ(S().ringMax, 60.0f);
    EXPECT_EQ(S().ringMaxSlot, 0);
}

// ---- presence and detection ----

TEST_F(BeatTrackerTest, PresenceNeedsTheFullRamp) {
    Step(0.0f, 20.0f);
    int calls = 0;
    while (!S().present && calls < 60) {
        Step(kLoud, 20.0f);  // P += 0.03 per call: 0.99 after 33 calls is not enough
        ++calls;
    }
    EXPECT_EQ(calls, 34);
    EXPECT_EQ(S().presence, 1.0f);
}

TEST_F(BeatTrackerTest, DetectionSwitchesOnlyAtTheEndsOfItsRamp) {
    int firstDetected = -1;
    for (int i = 1; i <= 70; ++i) {
        Step(kLoud, 10.0f);  // flat: spread 0, so never present
        if (DanceMode.load() != 3 && firstDetected < 0) firstDetected = i;
    }
    EXPECT_EQ(firstDetected, 67);
    EXPECT_EQ(DanceMode.load(), 0);  // music, but no beat to follow
    m_inputs.MinMusicDetect = 1000.0f;  // the same music now counts as too quiet
    int lastDetected = 0;
    for (int i = 1; i <= 70; ++i) {
        Step(kLoud, 10.0f);
        if (DanceMode.load() == 0) lastDetected = i;
    }
    EXPECT_EQ(lastDetected, 66);  // held through the whole way down
    EXPECT_EQ(DanceMode.load(), 3);
}

TEST_F(BeatTrackerTest, ZeroStepRampsNothingButStillRunsTheEnvelope) {
    Step(0.0f, 0.0f);
    for (int i = 0; i < 10; ++i) Step(kLoud, 0.0f);
    EXPECT_EQ(S().presence, 0.0f);
    EXPECT_EQ(S().detection, 0.0f);
    EXPECT_EQ(S().ringMax, kLoud);
    EXPECT_EQ(S().writeSlot, 11);
    EXPECT_EQ(BeatPhase.load(), -0.6f);
    EXPECT_EQ(DanceMode.load(), 3);
    EXPECT_EQ(SilentDanceWeight.load(), 1.0f);
    EXPECT_EQ(BeatDanceWeight.load(), 0.0f);
}

// ---- onsets and tempo ----

TEST_F(BeatTrackerTest, ArmsAboveSixTenthsAndBeatsOnTheFirstFall) {
    ASSERT_TRUE(BecomePresent());
    ASSERT_TRUE(BeatNow(kShortMs));
    for (int i = 0; i < 9; ++i) Step(0.0f, kShortMs);  // the envelope decays below 60
    ASSERT_LT(S().smoothedLevel, 0.6f * kLoud);
    Step(0.0f, 200.0f);  // the refractory time ends; this call does nothing else
    EXPECT_FALSE(S().refractory);
    EXPECT_FALSE(S().armed);
    Step(60.0f, kShortMs);  // exactly 0.6 of the maximum does not arm
    EXPECT_FALSE(S().armed);
    Step(61.0f, kShortMs);
    EXPECT_TRUE(S().armed);
    EXPECT_EQ(S().peak, 61.0f);
    Step(70.0f, kShortMs);
    Step(70.0f, kShortMs);  // level with the peak: still rising
    EXPECT_FALSE(S().beatFound);
    EXPECT_EQ(S().peak, 70.0f);
    Step(0.0f, kShortMs);
    EXPECT_TRUE(S().beatFound);
    EXPECT_FALSE(S().armed);
    EXPECT_TRUE(S().refractory);
}

TEST_F(BeatTrackerTest, RefractoryLastsThreeTenthsOfASecond) {
    ASSERT_TRUE(BecomePresent());
    ASSERT_TRUE(BeatNow(kShortMs));
    Step(kLoud, 290.0f);
    EXPECT_TRUE(S().refractory);
    Step(kLoud, 20.0f);
    EXPECT_FALSE(S().refractory);
    EXPECT_FALSE(S().armed);  // ending the refractory time is the whole of that call
    Step(kLoud, kShortMs);
    EXPECT_TRUE(S().armed);
}

struct IntervalCase {
    const char* name;
    double seconds;
    float tempo;
};
const IntervalCase kIntervalCases[] = {
    {"OneSecondIsDoubled", 1.0, 120.0f},
    {"HalfASecond", 0.5, 120.0f},
    {"TwoSecondsAreDoubledOnce", 2.0, 60.0f},
    {"FourTenths", 0.4, 150.0f},
};
class BeatIntervalTest : public BeatTrackerTest,
                         public ::testing::WithParamInterface<IntervalCase> {};
TEST_P(BeatIntervalTest, GivesTheMeasuredTempo) {
    ASSERT_TRUE(BecomePresent());
    ASSERT_TRUE(BeatNow(kShortMs));
    EXPECT_FALSE(S().intervalKnown);
    EXPECT_NEAR(S().measuredTempo, 120.0f, 1e-3f);  // the tempo held so far
    ASSERT_TRUE(BeatAfter(GetParam().seconds));
    EXPECT_TRUE(S().intervalKnown);
    EXPECT_NEAR(S().measuredTempo, GetParam().tempo, 1e-3f);
    const float tempo = S().tempo;
    const float measured = S().measuredTempo;
    Step(kLoud, kShortMs);  // smoothing is per call: 0.9995 T + 0.0005 x measured
    EXPECT_FLOAT_EQ(S().tempo, 0.9995f * tempo + 0.0005f * measured);
}
INSTANTIATE_TEST_SUITE_P(Cases, BeatIntervalTest, ::testing::ValuesIn(kIntervalCases),
                         CaseName());

TEST_F(BeatTrackerTest, LeavingPresenceHoldsTheTempoAndForgetsTheBeats) {
    ASSERT_TRUE(BecomePresent());
    ASSERT_TRUE(BeatNow(kShortMs));
    ASSERT_TRUE(BeatAfter(0.4));
    Step(kLoud, kShortMs);
    // A flat ring: the spread falls to 0 and presence ramps down within 2/3 s.
    for (int i = 0; i < 2 * kEnvelopeRingSize && S().present; ++i) Step(kLoud, 50.0f);
    ASSERT_FALSE(S().present);
    EXPECT_FALSE(S().oneBeatSeen);
    EXPECT_FALSE(S().intervalKnown);
    EXPECT_EQ(S().measuredTempo, S().tempo);
}

// ---- bar phase and published phase ----

struct PhaseCase {
    const char* name;
    float stepMs;      // one call from start-up at a tempo of 120
    float barPhase;
    float beatPhase;
};
const PhaseCase kPhaseCases[] = {
    {"StartsAtMinusSixTenths", 0.0f, 0.0f, -0.6f},
    {"NegativeBelowTheOffset", 50.0f, 0.1f, -0.4f},
    {"WrapsFromAbove", 1950.0f, 3.9f, 3.2f},
    {"BarWrapsAtFourBeats", 2250.0f, 0.5f, 0.4f},
};
class BeatPhaseTest : public BeatTrackerTest, public ::testing::WithParamInterface<PhaseCase> {};
TEST_P(BeatPhaseTest, IsTwiceTheBarPhaseLessThreeTenths) {
    Step(1.0f, GetParam().stepMs);
    EXPECT_NEAR(S().barPhase, GetParam().barPhase, 1e-4f);
    EXPECT_NEAR(BeatPhase.load(), GetParam().beatPhase, 1e-4f);
}
INSTANTIATE_TEST_SUITE_P(Cases, BeatPhaseTest, ::testing::ValuesIn(kPhaseCases), CaseName());

struct CorrectionCase {
    const char* name;
    float fraction;  // of the bar phase when the beat is found
    float shift;
};
const CorrectionCase kCorrectionCases[] = {
    {"EarlyBeatPullsBack", 0.2f, -0.02f},
    {"LateBeatPushesOn", 0.7f, 0.02f},
    {"HalfwayStays", 0.5f, 0.0f},  // 0.1 x (e - 0.5), not 0.1 x (e - 1)
};
class BeatCorrectionTest : public BeatTrackerTest,
                           public ::testing::WithParamInterface<CorrectionCase> {
protected:
    // Replays the fixture from start-up with `stepMs` for the last call, which keeps the
    // tracker armed; returns the bar phase.
    float PhaseAfter(float stepMs) {
        ResetBeatTracker();
        EXPECT_TRUE(BecomePresent());
        Step(kLoud, stepMs);
        return S().barPhase;
    }
    // Finds the step that lands the bar phase exactly on `target` and replays it.
    void LandOn(float target) {
        float lo = 0.0f, hi = 500.0f;
        while (std::nextafter(lo, hi) < hi) {
            const float mid = lo + (hi - lo) / 2.0f;
            (PhaseAfter(mid) >= target ? hi : lo) = mid;
        }
        PhaseAfter(hi);
    }
};
TEST_P(BeatCorrectionTest, NudgesTheBarPhaseTowardTheBeat) {
    const float target = 2.0f + GetParam().fraction;
    LandOn(target);
    ASSERT_EQ(S().barPhase, target);
    ASSERT_TRUE(S().armed);
    ASSERT_TRUE(BeatNow(0.0f));  // no time passes: the correction is the whole move
    EXPECT_EQ(S().beatError, target - 2.0f);
    EXPECT_NEAR(S().barPhase - target, GetParam().shift, 1e-6f);
}
INSTANTIATE_TEST_SUITE_P(Cases, BeatCorrectionTest, ::testing::ValuesIn(kCorrectionCases),
                         CaseName());

// ---- dance mode and weights ----

enum class Music { Quiet, Flat, Beat };  // no music; music without a beat; music on the beat

struct ModeCase {
    const char* name;
    Music music;
    float minMusicDetect;
    int danceWhenSilent;
    int dancer;
    std::int16_t mode;
};
const ModeCase kModeCases[] = {
    {"NoMusicIsSilent", Music::Quiet, 20.0f, 0, 0, 3},
    {"NoMusicDancesWhenSilentOnTheBeat", Music::Quiet, 20.0f, 1, 0, 1},
    {"NoMusicDancesWhenSilentMirelBWithoutBeat", Music::Quiet, 20.0f, 1, 2, 0},
    {"MusicWithoutBeat", Music::Flat, 20.0f, 0, 0, 0},
    {"MusicWithoutBeatDancesWhenSilentOnTheBeat", Music::Flat, 20.0f, 1, 0, 1},
    {"MusicOnTheBeat", Music::Beat, 20.0f, 0, 0, 1},
    {"MusicOnTheBeatMirelB", Music::Beat, 20.0f, 0, 2, 0},
    {"BeatTooQuietToDetect", Music::Beat, 1000.0f, 0, 0, 3},
};
class DanceModeTest : public BeatTrackerTest, public ::testing::WithParamInterface<ModeCase> {};
TEST_P(DanceModeTest, FirstRuleThatAppliesWins) {
    const ModeCase& c = GetParam();
    m_inputs = {0.0f, c.minMusicDetect, c.danceWhenSilent, c.dancer};
    // One-second calls finish every ramp in a single call.
    Step(c.music == Music::Quiet ? 5.0f : c.music == Music::Flat ? kLoud : 0.0f, 1000.0f);
    Step(c.music == Music::Quiet ? 5.0f : kLoud, 1000.0f);
    EXPECT_EQ(S().present, c.music == Music::Beat);
    EXPECT_EQ(DanceMode.load(), c.mode);
}
INSTANTIATE_TEST_SUITE_P(Cases, DanceModeTest, ::testing::ValuesIn(kModeCases), CaseName());

TEST_F(BeatTrackerTest, StyleWeightsCrossFadeInTwoSeconds) {
    Step(0.0f, 100.0f);
    for (int i = 0; i < 10 && DanceMode.load() != 1; ++i) Step(kLoud, 100.0f);
    ASSERT_EQ(DanceMode.load(), 1);
    // The call that chose mode 1 moved the weights by 0.05; 1.9 s later they are at 0.95.
    for (int i = 0; i < 18; ++i) Step(kLoud, 100.0f);
    EXPECT_NEAR(BeatDanceWeight.load(), 0.95f, 1e-5f);
    EXPECT_NEAR(SilentDanceWeight.load(), 0.05f, 1e-5f);
    Step(kLoud, 100.0f);
    Step(kLoud, 100.0f);
    EXPECT_EQ(BeatDanceWeight.load(), 1.0f);
    EXPECT_EQ(SilentDanceWeight.load(), 0.0f);
    EXPECT_EQ(FreeDanceWeight.load(), 0.0f);

    m_inputs.CurrentDancer = 2;  // MirelB dances without the beat even on music with one
    for (int i = 0; i < 10; ++i) Step(kLoud, 100.0f);
    EXPECT_EQ(DanceMode.load(), 0);
    EXPECT_NEAR(BeatDanceWeight.load(), 0.5f, 1e-5f);
    EXPECT_NEAR(FreeDanceWeight.load(), 0.5f, 1e-5f);
    BeatDanceWeight.store(0.0f);  // as the analysis thread resets it after a device switch
    Step(kLoud, 100.0f);
    EXPECT_EQ(BeatDanceWeight.load(), 0.0f);
    for (int i = 0; i < 11; ++i) Step(kLoud, 100.0f);
    EXPECT_EQ(FreeDanceWeight.load(), 1.0f);
}

}  // namespace
