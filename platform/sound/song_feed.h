#pragma once
// Decoded blocks of one song for the mixer. With a decoder thread the feed keeps at least half
// a second decoded ahead and the mixer only takes what is ready, so it never waits for the
// decoder; without one (the manual engine) each block is decoded when it is taken.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/sound/song_decoder.h"

namespace psound {

constexpr int kBlockFrames = 1024;

struct SongBlock {
    std::array<float, kBlockFrames * kSongChannels> samples{};  // zero after the song's end
    int frames = 0;     // frames of song in the block; fewer than kBlockFrames only at the end
    bool last = false;  // the decoder ran out in or right after this block
};

class SongFeed {
  public:
    SongFeed(std::unique_ptr<SongDecoder> decoder, bool threaded);
    ~SongFeed();  // stops and joins the decoder thread
    SongFeed(const SongFeed&) = delete;
    SongFeed& operator=(const SongFeed&) = delete;

    // The next block; false when none is ready (the decoder is late).
    [[nodiscard]] bool Take(SongBlock& block);
    // Drops what was decoded and goes on from the frame.
    void Seek(std::int64_t frame);
    std::uint64_t Underruns() const { return m_underruns; }

  private:
    static constexpr std::size_t kAheadBlocks = 24;  // 0.56 s at 1024 frames a block

    void DecodeBlock(SongBlock& block);
    void Run(const std::stop_token& stop);

    std::unique_ptr<SongDecoder> m_decoder;
    std::mutex m_mutex;  // the queue and the seek request; the decoder is the thread's alone
    std::condition_variable_any m_wake;
    std::deque<SongBlock> m_ready;
    bool m_ended = false;
    std::int64_t m_seekTo = -1;
    std::uint64_t m_generation = 0;  // counts seeks
    std::uint64_t m_underruns = 0;   // mixer side only
    std::jthread m_thread;           // last: it starts after everything it uses
};

}  // namespace psound
