#pragma once
// Recording devices on SDL2. Monitor sources (what the computer itself plays) are listed
// with the microphones, so played sound can be analysed too.

#include "platform/capture/block_ring.h"
#include "platform/capture/capture_source.h"

#include <SDL2/SDL_audio.h>

#include <string>

namespace pcapture {

// Tells SDL to leave SIGINT and SIGTERM alone: its handlers would turn them into quit events
// nobody reads. Must come before any SDL subsystem starts; SdlAudioScope calls it too.
void KeepSdlOffTheSignals();

// Starts SDL's audio for as long as it lives. Create one on the UI thread before any
// recording device is listed or opened; SDL counts nested starts.
class SdlAudioScope {
public:
    SdlAudioScope();
    ~SdlAudioScope();
    SdlAudioScope(const SdlAudioScope&) = delete;
    SdlAudioScope& operator=(const SdlAudioScope&) = delete;
    bool Ok() const { return m_ok; }

private:
    bool m_ok = false;
};

// Recording devices known to SDL now; 0 while SDL's audio is not started.
int CaptureDeviceCount();
// The name of recording device `id`; false for an id that is not listed.
bool CaptureDeviceName(int id, std::string& name);

class SdlCapture final : public CaptureSource {
public:
    SdlCapture() = default;
    ~SdlCapture() override { Close(); }
    SdlCapture(const SdlCapture&) = delete;
    SdlCapture& operator=(const SdlCapture&) = delete;

    int DeviceCount() override { return CaptureDeviceCount(); }
    [[nodiscard]] Result Open(int id) override;
    void Reset() override;
    void Close() override;
    [[nodiscard]] bool ReadBlock(std::int16_t* block) override;

    std::uint64_t DroppedBlocks() const { return m_ring.Dropped(); }

private:
    // Runs on SDL's audio thread.
    static void Callback(void* user, Uint8* stream, int bytes);

    SDL_AudioDeviceID m_device = 0;
    BlockRing m_ring;
};

}  // namespace pcapture
