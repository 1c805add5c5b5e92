#pragma once
// A single-producer, single-consumer ring of recorded blocks. The device's callback thread
// writes frames in pieces of any size; the reader only ever sees whole blocks, oldest first.
// No locks and no allocation, so the producer may run inside an audio callback.

#include "platform/capture/capture_source.h"

#include <atomic>
#include <cstdint>

namespace pcapture {

class BlockRing {
public:
    static constexpr int kBlocks = 16;  // 186 ms of sound at 86 blocks a second

    // Producer: appends `frames` interleaved stereo frames. A block that finds the ring full
    // is dropped whole (and counted), so the reader never sees a gap inside a block.
    void Write(const std::int16_t* samples, int frames);
    // Consumer: copies the oldest whole block out; false when none waits.
    [[nodiscard]] bool Read(std::int16_t* block);
    // Empties the ring. Only while the producer is stopped.
    void Clear();

    std::uint64_t Dropped() const { return m_dropped.load(std::memory_order_relaxed); }

private:
    std::int16_t m_slots[kBlocks][kBlockSamples] = {};
    std::int16_t m_partial[kBlockSamples] = {};  // the block being filled, producer only
    int m_partialFrames = 0;
    std::atomic<std::uint64_t> m_written{0};  // whole blocks published, written by the producer
    std::atomic<std::uint64_t> m_read{0};     // blocks taken, written by the consumer
    std::atomic<std::uint64_t> m_dropped{0};
};

}  // namespace pcapture
