#include "platform/capture/block_ring.h"

#include "tests/support/case_name.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using pcapture::BlockRing;
using pcapture::kBlockFrames;
using pcapture::kBlockSamples;

// Sample k of the stream is k (mod 32768), so every value tells where it came from.
std::vector<std::int16_t> Stream(int frames, int firstFrame = 0) {
    std::vector<std::int16_t> samples(static_cast<size_t>(frames) * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>((firstFrame * 2 + static_cast<int>(i)) % 32768);
    }
    return samples;
}

void ExpectBlock(const std::int16_t* block, int index) {
    const auto want = Stream(kBlockFrames, index * kBlockFrames);
    for (int i = 0; i < kBlockSamples; ++i) {
        ASSERT_EQ(block[i], want[static_cast<size_t>(i)]) << "block " << index << " value " << i;
    }
}

struct PieceCase {
    const char* name;
    std::vector<int> pieces;  // frames per write
};
const PieceCase kPieceCases[] = {
    {"WholeBlocks", {512, 512, 512}},
    {"SmallPieces", {100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 136}},
    {"PiecesAcrossBlockEnds", {700, 300, 500, 36}},
    {"OneWriteOfSeveralBlocks", {1536}},
};

class BlockRingPieces : public ::testing::TestWithParam<PieceCase> {};

TEST_P(BlockRingPieces, DeliversWholeBlocksInOrderAndHoldsBackAPartialOne) {
    BlockRing ring;
    int written = 0;
    for (int frames : GetParam().pieces) {
        const auto samples = Stream(frames, written);
        ring.Write(samples.data(), frames);
        written += frames;
    }
    ASSERT_EQ(written, 3 * kBlockFrames);
    std::int16_t block[kBlockSamples];
    for (int b = 0; b < 3; ++b) {
        ASSERT_TRUE(ring.Read(block)) << b;
        ExpectBlock(block, b);
    }
    EXPECT_FALSE(ring.Read(block));

    const auto partial = Stream(kBlockFrames - 1, written);
    ring.Write(partial.data(), kBlockFrames - 1);
    EXPECT_FALSE(ring.Read(block)) << "a block short of one frame is not handed over";
    const auto last = Stream(1, written + kBlockFrames - 1);
    ring.Write(last.data(), 1);
    ASSERT_TRUE(ring.Read(block));
    ExpectBlock(block, 3);
}
INSTANTIATE_TEST_SUITE_P(Cases, BlockRingPieces, ::testing::ValuesIn(kPieceCases), CaseName());

TEST(BlockRing, AFullRingDropsNewBlocksWholeAndKeepsTheOldest) {
    BlockRing ring;
    const int total = BlockRing::kBlocks + 4;
    const auto samples = Stream(total * kBlockFrames);
    ring.Write(samples.data(), total * kBlockFrames);
    EXPECT_EQ(ring.Dropped(), 4u);

    std::int16_t block[kBlockSamples];
    ASSERT_TRUE(ring.Read(block));
    ExpectBlock(block, 0);
    // The freed slot takes the next block written; the dropped ones are gone.
    const auto next = Stream(kBlockFrames, total * kBlockFrames);
    ring.Write(next.data(), kBlockFrames);
    for (int b = 1; b < BlockRing::kBlocks; ++b) {
        ASSERT_TRUE(ring.Read(block));
        ExpectBlock(block, b);
    }
    ASSERT_TRUE(ring.Read(block));
    ExpectBlock(block, total);
    EXPECT_FALSE(ring.Read(block));
}

TEST(BlockRing, ClearForgetsQueuedBlocksAndTheBlockBeingFilled) {
    BlockRing ring;
    const auto samples = Stream(2 * kBlockFrames + 200);
    ring.Write(samples.data(), 2 * kBlockFrames + 200);
    ring.Clear();
    std::int16_t block[kBlockSamples];
    EXPECT_FALSE(ring.Read(block));
    const auto fresh = Stream(kBlockFrames, 7 * kBlockFrames);
    ring.Write(fresh.data(), kBlockFrames);
    ASSERT_TRUE(ring.Read(block));
    ExpectBlock(block, 7);  // no frame from before the clear leaks into it
}

// The producer writes uneven pieces on its own thread, as a device callback does; every block
// the reader gets must be whole and in order, and none may vanish without being counted.
TEST(ThreadedBlockRing, ReaderSeesOnlyWholeOrderedBlocks) {
    BlockRing ring;
    constexpr int kTotalBlocks = 3000;
    std::jthread producer([&ring] {
        const auto samples = Stream(kTotalBlocks * kBlockFrames);
        const int pieces[] = {77, 512, 300, 1000, 5};
        int frame = 0;
        for (int i = 0; frame < kTotalBlocks * kBlockFrames; ++i) {
            const int take = std::min(pieces[i % 5], kTotalBlocks * kBlockFrames - frame);
            ring.Write(samples.data() + static_cast<size_t>(frame) * 2, take);
            frame += take;
            if (i % 16 == 0) std::this_thread::yield();
        }
    });
    std::int16_t block[kBlockSamples];
    int got = 0;
    int lastIndex = -1;
    while (got + static_cast<int>(ring.Dropped()) < kTotalBlocks) {
        if (!ring.Read(block)) {
            std::this_thread::yield();
            continue;
        }
        // Block index from its first sample: the stream wraps at 32768 values (32 blocks).
        const int ahead = ((block[0] / kBlockSamples - (lastIndex + 1)) % 32 + 32) % 32;
        const int index = lastIndex + 1 + ahead;
        ExpectBlock(block, index);
        lastIndex = index;
        ++got;
    }
    producer.join();
    EXPECT_FALSE(ring.Read(block));
    EXPECT_EQ(got + static_cast<int>(ring.Dropped()), kTotalBlocks);
}

}  // namespace
