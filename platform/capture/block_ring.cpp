#include "platform/capture/block_ring.h"

#include <algorithm>
#include <cstring>

namespace pcapture {

void BlockRing::Write(const std::int16_t* samples, int frames) {
    while (frames > 0) {
        const int take = std::min(frames, kBlockFrames - m_partialFrames);
        std::memcpy(m_partial + m_partialFrames * kChannels, samples,
                    sizeof(std::int16_t) * take * kChannels);
        m_partialFrames += take;
        samples += take * kChannels;
        frames -= take;
        if (m_partialFrames < kBlockFrames) return;
        m_partialFrames = 0;
        const std::uint64_t written = m_written.load(std::memory_order_relaxed);
        if (written - m_read.load(std::memory_order_acquire) == kBlocks) {
            m_dropped.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        std::memcpy(m_slots[written % kBlocks], m_partial, sizeof(m_partial));
        m_written.store(written + 1, std::memory_order_release);
    }
}

bool BlockRing::Read(std::int16_t* block) {
    const std::uint64_t read = m_read.load(std::memory_order_relaxed);
    if (read == m_written.load(std::memory_order_acquire)) return false;
    std::memcpy(block, m_slots[read % kBlocks], sizeof(m_slots[0]));
    // Releases the slot to the producer only after the copy is done.
    m_read.store(read + 1, std::memory_order_release);
    return true;
}

void BlockRing::Clear() {
    m_partialFrames = 0;
    m_read.store(m_written.load(std::memory_order_relaxed), std::memory_order_release);
}

}  // namespace pcapture
