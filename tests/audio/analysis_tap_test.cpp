#include "audio/analysis_tap.h"

#include "tests/support/case_name.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

constexpr float kStale = 9.0f;  // what the banks hold before each case

void ResetTap() {
    FmodTapBank.store(0);
    FmodBlockReady.store(0);
    for (auto& v : FmodTapBuffer) v.store(kStale);
}

float TapAt(int bank, int k) { return FmodTapBuffer[bank * kTapBankSize + k].load(); }

// Input sample of frame i, channel c: distinct for every frame and channel.
float InputAt(unsigned int i, int c) { return 0.001f * static_cast<float>(i % 997) - 0.1f * c; }

std::vector<float> MakeInput(unsigned int frames, int channels) {
    std::vector<float> in(static_cast<size_t>(frames) * channels);
    for (unsigned int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) in[i * channels + c] = InputAt(i, c);
    }
    return in;
}

TEST(Stereo2Read, AStereoFrameRoutesOneChannelEachAndTapsTheirMean) {
    ResetTap();
    const float in[] = {0.2f, 0.6f, 0.2f, 0.6f};
    float left[4], right[4];
    EXPECT_EQ(Stereo2LeftRead(nullptr, in, left, 2, 2, 2), kDspOk);
    EXPECT_EQ(Stereo2RightRead(nullptr, in, right, 2, 2, 2), kDspOk);
    for (float v : left) EXPECT_FLOAT_EQ(v, 0.6f);
    for (float v : right) EXPECT_FLOAT_EQ(v, 0.2f);
    EXPECT_FLOAT_EQ(TapAt(1, 0), 0.4f);
}

struct TapCase {
    const char* name;
    unsigned int frames;
    int inChannels, outChannels;
    int routedChannel;  // the input channel "Stereo2Left" sends to every output
    int tappedValues;   // bank entries that come from this block; the rest are cleared
};
const TapCase kTapCases[] = {
    {"FullMixerBlock", 1024, 2, 2, 1, 512},
    {"LongBlockTapsOnlyItsFirst1024Frames", 2048, 2, 2, 1, 512},
    {"ShortBlockClearsTheRestOfTheBank", 1000, 2, 2, 1, 500},
    {"OddShortBlock", 7, 2, 2, 1, 4},
    {"ZeroFramesStillFlipAndFlagAnEmptyBank", 0, 2, 2, 1, 0},
    {"MonoInputReadsOnlyItsOwnChannel", 1024, 1, 2, 0, 512},
    {"SixChannelsRouteChannelOne", 1024, 6, 6, 1, 512},
    {"MoreOutputsThanInputs", 300, 2, 6, 1, 150},
};

class TapCallbacks : public ::testing::TestWithParam<TapCase> {};

TEST_P(TapCallbacks, RouteTapAndFlag) {
    const TapCase& c = GetParam();
    ResetTap();
    // Exactly sized buffers, so the address sanitizer catches a read or write past them.
    const std::vector<float> in = MakeInput(c.frames, c.inChannels);
    std::vector<float> left(static_cast<size_t>(c.frames) * c.outChannels);
    std::vector<float> right(left.size());
    ASSERT_EQ(Stereo2LeftRead(nullptr, in.data(), left.data(), c.frames, c.inChannels,
                              c.outChannels),
              kDspOk);
    ASSERT_EQ(Stereo2RightRead(nullptr, in.data(), right.data(), c.frames, c.inChannels,
                               c.outChannels),
              kDspOk);

    for (unsigned int i = 0; i < c.frames; ++i) {
        for (int o = 0; o < c.outChannels; ++o) {
            ASSERT_EQ(left[i * c.outChannels + o], InputAt(i, c.routedChannel)) << i << "/" << o;
            ASSERT_EQ(right[i * c.outChannels + o], InputAt(i, 0)) << i << "/" << o;
        }
    }
    EXPECT_EQ(FmodTapBank.load(), 1);
    EXPECT_EQ(FmodBlockReady.load(), 2);
    for (int k = 0; k < kTapBankSize; ++k) {
        const unsigned int frame = 2u * static_cast<unsigned int>(k);
        const float want = k < c.tappedValues
                               ? (InputAt(frame, 0) + InputAt(frame, c.routedChannel)) / 2.0f
                               : 0.0f;
        ASSERT_EQ(TapAt(1, k), want) << "entry " << k;
        ASSERT_EQ(TapAt(0, k), kStale) << "the other bank is untouched, entry " << k;
    }
}
INSTANTIATE_TEST_SUITE_P(Cases, TapCallbacks, ::testing::ValuesIn(kTapCases), CaseName());

void MixConstantBlock(float value) {
    std::vector<float> in(2 * kTapFramesPerBlock, value), out(in.size());
    Stereo2LeftRead(nullptr, in.data(), out.data(), kTapFramesPerBlock, 2, 2);
}

TEST(TakeTapBlock, BanksAlternateAndEachBlockIsTakenOnce) {
    ResetTap();
    float block[kTapBankSize];
    EXPECT_FALSE(TakeTapBlock(block)) << "nothing before the first mixer block";
    const int wantReady[] = {2, 1, 2, 1};
    for (int n = 0; n < 4; ++n) {
        MixConstantBlock(0.1f * (n + 1));
        EXPECT_EQ(FmodBlockReady.load(), wantReady[n]) << n;
        EXPECT_EQ(FmodTapBank.load(), wantReady[n] - 1) << n;
        ASSERT_TRUE(TakeTapBlock(block)) << n;
        EXPECT_EQ(block[0], 0.1f * (n + 1));
        EXPECT_EQ(block[kTapBankSize - 1], 0.1f * (n + 1));
        EXPECT_EQ(FmodBlockReady.load(), 0);
        EXPECT_FALSE(TakeTapBlock(block)) << "a block is handed over once";
    }
}

TEST(TakeTapBlock, TheNewestBlockWinsAndABankBeingWrittenIsRefused) {
    ResetTap();
    float block[kTapBankSize];
    MixConstantBlock(0.25f);
    MixConstantBlock(0.5f);
    ASSERT_TRUE(TakeTapBlock(block));
    EXPECT_EQ(block[0], 0.5f);
    EXPECT_FALSE(TakeTapBlock(block));

    // The mixer has flagged bank 1 and started on it again: the copy would be torn.
    MixConstantBlock(0.75f);
    const std::uint64_t torn = TapBlocksTorn.load();
    TapBankSeq[1].fetch_add(1);
    EXPECT_FALSE(TakeTapBlock(block));
    EXPECT_EQ(TapBlocksTorn.load(), torn + 1);
    TapBankSeq[1].fetch_add(1);
}

// A flag seen again after its block was taken: the mixer refilled and flagged the bank while
// the reader copied it, or the reader saw an older bank's flag just before the newer one
// replaced it. Neither may hand a block over a second time, nor an older one after a newer.
struct StaleFlagCase {
    const char* name;
    int blocksMixed;  // blocks 1..n go into banks 1, 0, 1, ...
    int staleFlag;    // the flag raised again after the newest block was taken
};
const StaleFlagCase kStaleFlagCases[] = {
    {"SameBankFlaggedAgain", 1, 2},
    {"SameBankFlaggedAgainAfterTwoBlocks", 2, 1},
    {"OlderBankFlaggedAfterTheNewerWasTaken", 2, 2},
    {"OlderBankFlaggedAfterThreeBlocks", 3, 1},
};

class TakeTapStaleFlag : public ::testing::TestWithParam<StaleFlagCase> {};

TEST_P(TakeTapStaleFlag, HandsNothingOver) {
    const StaleFlagCase& c = GetParam();
    ResetTap();
    float block[kTapBankSize];
    for (int n = 1; n <= c.blocksMixed; ++n) MixConstantBlock(static_cast<float>(n));
    ASSERT_TRUE(TakeTapBlock(block));
    ASSERT_EQ(block[0], static_cast<float>(c.blocksMixed));
    SetFmodBlockReady(c.staleFlag);
    EXPECT_FALSE(TakeTapBlock(block));
    EXPECT_EQ(FmodBlockReady.load(), 0);

    MixConstantBlock(static_cast<float>(c.blocksMixed + 1));
    ASSERT_TRUE(TakeTapBlock(block)) << "the next new block is handed over";
    EXPECT_EQ(block[0], static_cast<float>(c.blocksMixed + 1));
}
INSTANTIATE_TEST_SUITE_P(Cases, TakeTapStaleFlag, ::testing::ValuesIn(kStaleFlagCases),
                         CaseName());

// The mixer thread writes blocks as fast as it can while the analysis thread takes them; a
// taken block must be one whole block, never parts of two.
TEST(ThreadedTap, NeverHandsOverATornBlock) {
    ResetTap();
    constexpr int kBlocks = 20000;
    std::atomic<bool> done{false};
    std::jthread mixer([&done] {
        for (int n = 1; n <= kBlocks; ++n) MixConstantBlock(static_cast<float>(n));
        done.store(true);
    });
    float block[kTapBankSize];
    float last = 0.0f;
    int taken = 0;
    while (!done.load() || FmodBlockReady.load() != 0) {
        if (!TakeTapBlock(block)) continue;
        for (int k = 1; k < kTapBankSize; ++k) ASSERT_EQ(block[k], block[0]) << "entry " << k;
        ASSERT_GT(block[0], last) << "blocks come newest last";
        last = block[0];
        ++taken;
    }
    EXPECT_GT(taken, 0);
    EXPECT_EQ(last, static_cast<float>(kBlocks));
}

}  // namespace
