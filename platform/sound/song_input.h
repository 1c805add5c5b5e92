#pragma once
// A song file as the demuxer reads it: through reads of our own, so that what is read without
// any sound coming of it is bounded. Without that, a file of zeros or junk is read to its end
// while the demuxer hunts for a frame, gigabytes of it held in memory, on the UI thread.

#include <cstdint>

struct AVIOContext;

namespace psound {

class SongInput {
  public:
    // Reading stops after this many bytes without a sound: the demuxer then sees the file's end.
    // The format probe (1 MiB), the stream probe (5 MB of packets) and the largest cover-art
    // tags in front of a song's first frame all fit well within it.
    static constexpr std::int64_t kReadWithoutSound = std::int64_t{16} << 20;

    SongInput() = default;
    ~SongInput();
    SongInput(const SongInput&) = delete;
    SongInput& operator=(const SongInput&) = delete;

    // False when the file cannot be opened or is no regular file (a pipe would block the read).
    [[nodiscard]] bool Open(const char* path);
    AVIOContext* Context() const { return m_context; }
    // A sound was decoded: the next kReadWithoutSound bytes may be read.
    void Heard() { m_sinceSound = 0; }

  private:
    static int Read(void* opaque, std::uint8_t* buffer, int size);
    static std::int64_t Seek(void* opaque, std::int64_t offset, int whence);

    int m_file = -1;
    std::int64_t m_size = 0;
    std::int64_t m_sinceSound = 0;
    AVIOContext* m_context = nullptr;
};

// Test seam: the bytes every song input has read since the program started.
std::uint64_t SongBytesRead();

}  // namespace psound
