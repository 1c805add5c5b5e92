#pragma once
// One song file decoded to 44100 Hz float stereo, whatever its format (MP3, WAV, OGG, WMA, or
// another container songs come in, such as FLAC, MP4 or Matroska), channel count or rate. Mono
// is doubled and more channels are mixed down, so every reader sees two channels.
// Single-threaded: one owner.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/sound/sound_result.h"

namespace psound {

constexpr int kSongRate = 44100;
constexpr int kSongChannels = 2;

class SongDecoder {
  public:
    ~SongDecoder();
    SongDecoder(const SongDecoder&) = delete;
    SongDecoder& operator=(const SongDecoder&) = delete;

    // Opens the file and decodes its first sound, so a file that opens but holds nothing
    // playable fails here rather than in the middle of playback. It fails soon (a bounded read)
    // on a large file without sound, and on a file whose decoder makes far more sound than its
    // container says it holds; such a decoder found later ends the song there.
    [[nodiscard]] static SoundResult Open(const char* path, std::unique_ptr<SongDecoder>& out);

    // Up to `frames` interleaved stereo frames into `out`; fewer only at the end of the song.
    // A decode error ends the song: from then on the result is 0.
    int Read(float* out, int frames);
    bool Ended() const;

    // Moves to the frame (clamped to the song); the next Read starts there.
    void SeekFrame(std::int64_t frame);

    // The container's length estimate; 0 when it gives none. The end of the song is where
    // Read runs out, which can differ by a codec delay.
    std::uint32_t LengthMs() const;

  private:
    struct Impl;
    explicit SongDecoder(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

// Decodes a whole file into interleaved stereo; `samples` stays empty when it cannot be opened.
[[nodiscard]] SoundResult DecodeSongFile(const char* path, std::vector<float>& samples);

}  // namespace psound
