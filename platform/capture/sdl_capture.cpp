#include "platform/capture/sdl_capture.h"

#include <SDL2/SDL.h>

namespace pcapture {

void KeepSdlOffTheSignals() { SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1"); }

SdlAudioScope::SdlAudioScope() {
    // Read when SDL lists its devices, so it must be set before audio starts.
    SDL_SetHint(SDL_HINT_AUDIO_INCLUDE_MONITORS, "1");
    KeepSdlOffTheSignals();
    m_ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

SdlAudioScope::~SdlAudioScope() {
    if (m_ok) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    // The last user of SDL also releases what SDL set up for itself (its D-Bus connection).
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

int CaptureDeviceCount() {
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0) return 0;
    const int count = SDL_GetNumAudioDevices(1);
    return count > 0 ? count : 0;
}

bool CaptureDeviceName(int id, std::string& name) {
    if (id < 0 || id >= CaptureDeviceCount()) return false;
    const char* text = SDL_GetAudioDeviceName(id, 1);
    if (text == nullptr) return false;
    name = text;  // SDL's string lives only until it lists the devices again
    return true;
}

Result SdlCapture::Open(int id) {
    Close();
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0) return Result::NotInitialised;
    std::string name;
    if (id >= 0 && !CaptureDeviceName(id, name)) return Result::NoSuchDevice;

    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = kChannels;
    want.samples = kBlockFrames;
    want.callback = &SdlCapture::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No allowed changes: SDL converts whatever the device records into this format.
    m_device = SDL_OpenAudioDevice(id >= 0 ? name.c_str() : nullptr, 1, &want, &have, 0);
    if (m_device == 0) return Result::OpenFailed;
    if (have.freq != kSampleRate || have.format != AUDIO_S16SYS || have.channels != kChannels) {
        Close();
        return Result::FormatRefused;
    }
    SDL_PauseAudioDevice(m_device, 0);
    return Result::Ok;
}

void SdlCapture::Reset() {
    if (m_device == 0) return;
    // Holding the device's lock keeps the callback out while the ring is emptied.
    SDL_LockAudioDevice(m_device);
    m_ring.Clear();
    SDL_UnlockAudioDevice(m_device);
}

void SdlCapture::Close() {
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);  // returns after SDL's audio thread has ended
        m_device = 0;
    }
    m_ring.Clear();
}

bool SdlCapture::ReadBlock(std::int16_t* block) {
    // A lost device goes on "recording" silence at the device's pace; it delivers nothing
    // here, so the reader sees the loss as a device that has gone quiet.
    if (m_device == 0 || SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED) return false;
    return m_ring.Read(block);
}

void SdlCapture::Callback(void* user, Uint8* stream, int bytes) {
    auto* self = static_cast<SdlCapture*>(user);
    constexpr int kFrameBytes = kChannels * static_cast<int>(sizeof(std::int16_t));
    self->m_ring.Write(reinterpret_cast<const std::int16_t*>(stream), bytes / kFrameBytes);
}

}  // namespace pcapture
