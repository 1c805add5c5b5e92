#include "platform/sound/song_input.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace psound {

namespace {

constexpr int kBufferBytes = 32768;  // what the demuxer takes from one read
std::atomic<std::uint64_t> g_bytesRead{0};

}  // namespace

SongInput::~SongInput() {
    if (m_context) {
        av_freep(&m_context->buffer);  // the context may have replaced the buffer it was given
        avio_context_free(&m_context);
    }
    if (m_file >= 0) ::close(m_file);
}

bool SongInput::Open(const char* path) {
    if (!path) return false;
    m_file = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (m_file < 0 || ::fstat(m_file, &info) != 0 || !S_ISREG(info.st_mode)) return false;
    m_size = info.st_size;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
    if (!buffer) return false;
    m_context = avio_alloc_context(buffer, kBufferBytes, 0, this, &SongInput::Read, nullptr,
                                   &SongInput::Seek);
    if (!m_context) av_free(buffer);
    return m_context != nullptr;
}

int SongInput::Read(void* opaque, std::uint8_t* buffer, int size) {
    auto& self = *static_cast<SongInput*>(opaque);
    const std::int64_t allowed =
        std::min<std::int64_t>(size, kReadWithoutSound - self.m_sinceSound);
    if (allowed <= 0) return AVERROR_EOF;  // the song ends here, or never began
    ssize_t got = 0;
    do {
        got = ::read(self.m_file, buffer, static_cast<std::size_t>(allowed));
    } while (got < 0 && errno == EINTR);
    if (got < 0) return AVERROR(errno);
    if (got == 0) return AVERROR_EOF;
    self.m_sinceSound += got;
    g_bytesRead.fetch_add(static_cast<std::uint64_t>(got), std::memory_order_relaxed);
    return static_cast<int>(got);
}

std::int64_t SongInput::Seek(void* opaque, std::int64_t offset, int whence) {
    auto& self = *static_cast<SongInput*>(opaque);
    if (whence & AVSEEK_SIZE) return self.m_size;
    const off_t to = ::lseek(self.m_file, offset, whence & ~AVSEEK_FORCE);
    return to < 0 ? AVERROR(errno) : to;
}

std::uint64_t SongBytesRead() { return g_bytesRead.load(std::memory_order_relaxed); }

}  // namespace psound
