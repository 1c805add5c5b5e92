#pragma once
// OpenAL Soft on its own, set up as the sound engine sets it up, to measure what the library
// costs per block beside what the engine adds.

#include <AL/al.h>
#include <AL/alc.h>

#include <array>

class BareLoopback {
  public:
    BareLoopback() = default;
    ~BareLoopback();
    BareLoopback(const BareLoopback&) = delete;
    BareLoopback& operator=(const BareLoopback&) = delete;

    // Two 3D mono sources at the speakers and a stereo one; with reverb the 3D ones send to
    // a reverb of the auditorium's decay time (the reverb's cost does not hang on its values).
    bool Open(bool reverb);
    // Queues the next 1024 stereo frames on every source, the 3D ones taking channel 0.
    void Feed(const float* stereo);
    void Render(float* out);

  private:
    static constexpr int kSources = 3, kBuffers = 3, kFrames = 1024;
    ALCdevice* m_device = nullptr;
    ALCcontext* m_context = nullptr;
    std::array<ALuint, kSources> m_sources{};
    std::array<std::array<ALuint, kBuffers>, kSources> m_buffers{};
    std::array<int, kSources> m_queued{};
    std::array<std::size_t, kSources> m_next{};
    ALuint m_slot = 0, m_effect = 0;
    std::array<float, kFrames> m_mono{};
};
