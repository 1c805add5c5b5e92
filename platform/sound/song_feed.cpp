#include "platform/sound/song_feed.h"

#include <utility>

namespace psound {

SongFeed::SongFeed(std::unique_ptr<SongDecoder> decoder, bool threaded)
    : m_decoder(std::move(decoder)) {
    if (threaded) m_thread = std::jthread([this](std::stop_token stop) { Run(stop); });
}

SongFeed::~SongFeed() {
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_wake.notify_all();
        m_thread.join();
    }
}

void SongFeed::DecodeBlock(SongBlock& block) {
    block.samples.fill(0.0f);
    block.frames = m_decoder->Read(block.samples.data(), kBlockFrames);
    block.last = block.frames < kBlockFrames || m_decoder->Ended();
}

bool SongFeed::Take(SongBlock& block) {
    if (!m_thread.joinable()) {
        if (m_seekTo >= 0) m_decoder->SeekFrame(std::exchange(m_seekTo, -1));
        DecodeBlock(block);
        return true;
    }
    // The mixer never waits: a decoder holding the lock counts as late.
    std::unique_lock lock(m_mutex, std::try_to_lock);
    if (!lock.owns_lock() || m_ready.empty()) {
        ++m_underruns;
        return false;
    }
    block = m_ready.front();
    m_ready.pop_front();
    lock.unlock();
    m_wake.notify_one();
    return true;
}

void SongFeed::Seek(std::int64_t frame) {
    {
        std::lock_guard lock(m_mutex);
        m_seekTo = frame;
        ++m_generation;
        m_ready.clear();
        m_ended = false;
    }
    m_wake.notify_one();
}

// Decodes outside the lock, so the mixer finds it free; a block decoded across a seek is
// dropped by its generation.
void SongFeed::Run(const std::stop_token& stop) {
    std::unique_lock lock(m_mutex);
    while (!stop.stop_requested()) {
        const auto hasWork = [&] {
            return m_seekTo >= 0 || (!m_ended && m_ready.size() < kAheadBlocks);
        };
        if (!hasWork()) {
            m_wake.wait(lock, stop, hasWork);
            continue;
        }
        const std::int64_t seekTo = std::exchange(m_seekTo, -1);
        const std::uint64_t generation = m_generation;
        lock.unlock();
        if (seekTo >= 0) m_decoder->SeekFrame(seekTo);
        SongBlock block;
        DecodeBlock(block);
        lock.lock();
        if (generation != m_generation) continue;
        m_ended = block.last;
        m_ready.push_back(block);
    }
}

}  // namespace psound
