#include "bench/sound/bare_loopback.h"

#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>
#include <AL/efx-presets.h>
#include <AL/efx.h>

#include "platform/sound/loopback_format.h"

BareLoopback::~BareLoopback() {
    if (m_context) {
        for (const ALuint source : m_sources) alSourceStop(source);
        alDeleteSources(kSources, m_sources.data());
        for (auto& buffers : m_buffers) alDeleteBuffers(kBuffers, buffers.data());
        alDeleteAuxiliaryEffectSlots(1, &m_slot);
        alDeleteEffects(1, &m_effect);
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_context);
    }
    if (m_device) alcCloseDevice(m_device);
}

bool BareLoopback::Open(bool reverb) {
    m_device = alcLoopbackOpenDeviceSOFT(nullptr);
    if (!m_device) return false;
    m_context = alcCreateContext(m_device, psound::kLoopbackAttributes);
    if (!m_context || !alcMakeContextCurrent(m_context)) return false;
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    alListenerf(AL_METERS_PER_UNIT, 0.001f);
    alGenSources(kSources, m_sources.data());
    for (auto& buffers : m_buffers) alGenBuffers(kBuffers, buffers.data());
    alGenAuxiliaryEffectSlots(1, &m_slot);
    alGenEffects(1, &m_effect);
    const EFXEAXREVERBPROPERTIES preset = EFX_REVERB_PRESET_AUDITORIUM;
    alEffecti(m_effect, AL_EFFECT_TYPE, AL_EFFECT_EAXREVERB);
    alEffectf(m_effect, AL_EAXREVERB_DECAY_TIME, preset.flDecayTime);
    alAuxiliaryEffectSloti(m_slot, AL_EFFECTSLOT_EFFECT,
                           reverb ? static_cast<ALint>(m_effect) : AL_EFFECT_NULL);
    alAuxiliaryEffectSlotf(m_slot, AL_EFFECTSLOT_GAIN, reverb ? 1.0f : 0.0f);
    const float speakerX[2] = {7850.0f, -6101.0f};
    for (int i = 0; i < 2; ++i) {
        const ALuint s = m_sources[static_cast<std::size_t>(i)];
        alSource3f(s, AL_POSITION, speakerX[i], 2425.0f, 6485.0f);
        alSourcef(s, AL_ROLLOFF_FACTOR, 0.001f);
        alSourcef(s, AL_REFERENCE_DISTANCE, 10.0f);
        alSourcef(s, AL_MAX_DISTANCE, 10000.0f);
        alSource3i(s, AL_AUXILIARY_SEND_FILTER, static_cast<ALint>(m_slot), 0, AL_FILTER_NULL);
    }
    alSourcei(m_sources[2], AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    alSourcei(m_sources[2], AL_SOURCE_RELATIVE, AL_TRUE);
    return alGetError() == AL_NO_ERROR;
}

void BareLoopback::Feed(const float* stereo) {
    for (int i = 0; i < kFrames; ++i) m_mono[static_cast<std::size_t>(i)] = stereo[2 * i];
    for (std::size_t s = 0; s < kSources; ++s) {
        const ALuint source = m_sources[s];
        ALint processed = 0;
        alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
        for (ALint i = 0; i < processed; ++i) {
            ALuint buffer = 0;
            alSourceUnqueueBuffers(source, 1, &buffer);
        }
        m_queued[s] -= processed;
        // Two blocks stay queued, so the source never runs dry between renders. Buffers are
        // queued in turn and come back in that order, so the next in turn is free.
        while (m_queued[s] < 2) {
            const ALuint buffer = m_buffers[s][m_next[s]];
            m_next[s] = (m_next[s] + 1) % kBuffers;
            if (s < 2)
                alBufferData(buffer, AL_FORMAT_MONO_FLOAT32, m_mono.data(), sizeof(m_mono), 44100);
            else
                alBufferData(buffer, AL_FORMAT_STEREO_FLOAT32, stereo, kFrames * 2 * sizeof(float),
                             44100);
            alSourceQueueBuffers(source, 1, &buffer);
            ++m_queued[s];
        }
        ALint playing = 0;
        alGetSourcei(source, AL_SOURCE_STATE, &playing);
        if (playing != AL_PLAYING) alSourcePlay(source);
    }
}

void BareLoopback::Render(float* out) { alcRenderSamplesSOFT(m_device, out, kFrames); }
