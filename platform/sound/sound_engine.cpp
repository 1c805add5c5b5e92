#include "platform/sound/sound_engine.h"

#define AL_ALEXT_PROTOTYPES
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <AL/efx-presets.h>
#include <AL/efx.h>
#include <SDL.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/sound/loopback_format.h"
#include "platform/sound/output_open.h"
#include "platform/sound/room_geometry.h"
#include "platform/sound/song_feed.h"

namespace psound {

namespace {

constexpr int kQueueAhead = 2;  // blocks queued on each source: the one playing and the next
constexpr int kBuffersPerVoice = kQueueAhead + 1;
constexpr float kSpeedOfSound = 343.3f;  // metres a second
// As long as start-up waits for the analysis thread's device: past it, no sound.
constexpr std::chrono::milliseconds kOutputOpenLimit{5000};
static_assert(kLoopbackAttributes[1] == SoundEngine::kRate, "the mixer renders at the song rate");

struct Voice {
    bool used = false;
    int song = -1;
    bool threeD = false;
    ALuint source = 0;
    std::array<ALuint, kBuffersPerVoice> buffers{};
    std::vector<ALuint> free;  // buffers not queued
    ALuint directFilter = 0;
    ALuint sendFilter = 0;
    Vec3 position;
    Occlusion occlusion;  // what the filters pass now
    std::vector<DspRead> dsps;
};

struct Song {
    std::unique_ptr<SongFeed> feed;
    std::uint32_t lengthMs = 0;
    std::int64_t positionFrames = 0;
    bool paused = true;
    bool decoderDone = false;
    bool ended = false;
    std::deque<int> queuedFrames;  // song frames in each block queued on the sources
};

}  // namespace

struct SoundEngine::Impl {
    EngineConfig config;
    mutable std::mutex mutex;
    bool sdlAudio = false;
    SDL_AudioDeviceID output = 0;
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    ALuint reverbSlot = 0;
    ALuint reverbEffect = 0;
    float rolloffScale = 1.0f;
    float maxWorldSize = 0.0f;  // 0: no geometry settings made, no limit
    std::unique_ptr<RoomGeometry> geometry;
    Vec3 listener;
    std::vector<DspRead> units;
    std::array<Voice, kMaxVoices> voices;
    std::array<std::unique_ptr<Song>, kMaxVoices> songs;
    EngineStats stats;
    // Mixer scratch, made once so the mixer never allocates.
    SongBlock block;
    std::array<float, kBlockFrames * 2> dspA{}, dspB{};
    std::array<float, kBlockFrames> mono{};
    std::array<float, kBlockFrames * 2> carry{};  // a rendered block the device has not taken
    int carryRead = kBlockFrames;                 // frames of `carry` already handed out

    bool Ready() const { return context != nullptr; }
    Song* FindSong(int song) const {
        return song >= 0 && song < kMaxVoices && songs[static_cast<std::size_t>(song)]
                   ? songs[static_cast<std::size_t>(song)].get()
                   : nullptr;
    }
    Voice* FindVoice(int voice) {
        return voice >= 0 && voice < kMaxVoices && voices[static_cast<std::size_t>(voice)].used
                   ? &voices[static_cast<std::size_t>(voice)]
                   : nullptr;
    }
    void FreeVoice(Voice& voice);
    void AttachFilters(const Voice& voice);
    void FlushVoice(Voice& voice);
    void FeedVoice(Voice& voice, const SongBlock& block);
    void AdvanceSong(int index, Song& song);
    void RenderBlock(float* out);
    void Shutdown();
    static void OutputCallback(void* user, Uint8* stream, int bytes);
};

void SoundEngine::Impl::FlushVoice(Voice& voice) {
    alSourceStop(voice.source);
    ALint queued = 0;
    alGetSourcei(voice.source, AL_BUFFERS_QUEUED, &queued);
    for (ALint i = 0; i < queued; ++i) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(voice.source, 1, &buffer);
        voice.free.push_back(buffer);
    }
}

void SoundEngine::Impl::FreeVoice(Voice& voice) {
    FlushVoice(voice);
    alSourcei(voice.source, AL_DIRECT_FILTER, AL_FILTER_NULL);
    alSource3i(voice.source, AL_AUXILIARY_SEND_FILTER, AL_EFFECTSLOT_NULL, 0, AL_FILTER_NULL);
    alDeleteSources(1, &voice.source);
    alDeleteBuffers(kBuffersPerVoice, voice.buffers.data());
    alDeleteFilters(1, &voice.directFilter);
    alDeleteFilters(1, &voice.sendFilter);
    voice = Voice{};
}

// The voice's occlusion as its filters' gains. A source copies a filter's values when the
// filter is attached, so each change is attached anew.
void SoundEngine::Impl::AttachFilters(const Voice& voice) {
    alFilterf(voice.directFilter, AL_LOWPASS_GAIN, voice.occlusion.direct);
    alSourcei(voice.source, AL_DIRECT_FILTER, static_cast<ALint>(voice.directFilter));
    alFilterf(voice.sendFilter, AL_LOWPASS_GAIN, voice.occlusion.reverb);
    alSource3i(voice.source, AL_AUXILIARY_SEND_FILTER, static_cast<ALint>(reverbSlot), 0,
               static_cast<ALint>(voice.sendFilter));
}

// The voice's units in turn on the block, then the result queued on its source: the 3D voices
// take the first output channel, the plain voice both. Each unit reads where the one before
// wrote; the two scratch blocks take turns, so nothing is copied and no unit writes over its
// own input.
void SoundEngine::Impl::FeedVoice(Voice& voice, const SongBlock& songBlock) {
    const float* in = songBlock.samples.data();
    for (const DspRead read : voice.dsps) {
        float* out = in == dspA.data() ? dspB.data() : dspA.data();
        read(nullptr, in, out, kBlockFrames, 2, 2);
        in = out;
    }
    if (voice.free.empty()) return;
    const ALuint buffer = voice.free.back();
    voice.free.pop_back();
    if (voice.threeD) {
        for (std::size_t i = 0; i < kBlockFrames; ++i) mono[i] = in[2 * i];
        alBufferData(buffer, AL_FORMAT_MONO_FLOAT32, mono.data(), sizeof(mono), kRate);
    } else {
        alBufferData(buffer, AL_FORMAT_STEREO_FLOAT32, in, sizeof(dspA), kRate);
    }
    alSourceQueueBuffers(voice.source, 1, &buffer);
}

void SoundEngine::Impl::AdvanceSong(int index, Song& song) {
    Voice* first = nullptr;
    for (Voice& v : voices)
        if (v.used && v.song == index && !first) first = &v;
    if (!first || song.ended || song.paused) return;
    // What the last render played counts as played.
    ALint processed = 0;
    alGetSourcei(first->source, AL_BUFFERS_PROCESSED, &processed);
    for (ALint i = 0; i < processed && !song.queuedFrames.empty(); ++i) {
        song.positionFrames += song.queuedFrames.front();
        song.queuedFrames.pop_front();
    }
    for (Voice& v : voices) {
        if (!v.used || v.song != index) continue;
        for (ALint i = 0; i < processed; ++i) {
            ALuint buffer = 0;
            alSourceUnqueueBuffers(v.source, 1, &buffer);
            v.free.push_back(buffer);
        }
    }
    if (song.decoderDone && song.queuedFrames.empty()) {
        song.ended = true;
        return;
    }
    while (static_cast<int>(song.queuedFrames.size()) < kQueueAhead && !song.decoderDone) {
        if (!song.feed->Take(block)) {
            ++stats.underruns;  // a late decoder: this block is silent for the song
            break;
        }
        for (Voice& v : voices)
            if (v.used && v.song == index) FeedVoice(v, block);
        song.queuedFrames.push_back(block.frames);
        song.decoderDone = block.last;
    }
    for (Voice& v : voices) {
        if (!v.used || v.song != index) continue;
        ALint state = 0;
        alGetSourcei(v.source, AL_SOURCE_STATE, &state);
        if (state != AL_PLAYING && !song.queuedFrames.empty()) alSourcePlay(v.source);
    }
}

void SoundEngine::Impl::RenderBlock(float* out) {
    for (int i = 0; i < kMaxVoices; ++i)
        if (Song* song = FindSong(i)) AdvanceSong(i, *song);
    alcRenderSamplesSOFT(device, out, kBlockFrames);
    ++stats.blocks;
}

void SoundEngine::Impl::OutputCallback(void* user, Uint8* stream, int bytes) {
    auto& impl = *static_cast<Impl*>(user);
    auto* out = reinterpret_cast<float*>(stream);
    int frames = bytes / static_cast<int>(2 * sizeof(float));
    std::lock_guard lock(impl.mutex);
    while (frames > 0) {
        if (impl.carryRead == kBlockFrames) {
            impl.RenderBlock(impl.carry.data());
            impl.carryRead = 0;
        }
        const int take = std::min(frames, kBlockFrames - impl.carryRead);
        std::memcpy(out, impl.carry.data() + 2 * impl.carryRead,
                    static_cast<std::size_t>(take) * 2 * sizeof(float));
        out += 2 * take;
        frames -= take;
        impl.carryRead += take;
    }
}

void SoundEngine::Impl::Shutdown() {
    if (output) SDL_CloseAudioDevice(output);  // the mixer thread has ended after this
    output = 0;
    std::lock_guard lock(mutex);
    for (Voice& v : voices)
        if (v.used) FreeVoice(v);
    for (auto& song : songs) song.reset();
    if (context) {
        alDeleteAuxiliaryEffectSlots(1, &reverbSlot);
        alDeleteEffects(1, &reverbEffect);
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
    }
    context = nullptr;
    if (device) alcCloseDevice(device);
    device = nullptr;
    if (sdlAudio) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sdlAudio = false;
}

SoundEngine::SoundEngine(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
SoundEngine::~SoundEngine() { m_impl->Shutdown(); }

SoundResult SoundEngine::Create(const EngineConfig& config, std::unique_ptr<SoundEngine>& out) {
    out.reset();
    if (config.failCreate != SoundResult::Ok) return config.failCreate;
    auto impl = std::make_unique<Impl>();
    impl->config = config;
    if (config.output == OutputMode::Device) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return SoundResult::Output;
        impl->sdlAudio = true;
    }
    out.reset(new SoundEngine(std::move(impl)));
    return SoundResult::Ok;
}

SoundResult SoundEngine::Init() {
    Impl& d = *m_impl;
    if (d.config.failInit != SoundResult::Ok) return d.config.failInit;
    if (d.Ready()) return SoundResult::Ok;
    d.device = alcLoopbackOpenDeviceSOFT(nullptr);
    if (!d.device) return SoundResult::Output;
    d.context = alcCreateContext(d.device, kLoopbackAttributes);
    if (!d.context || !alcMakeContextCurrent(d.context) ||
        !alcIsExtensionPresent(d.device, "ALC_EXT_EFX")) {
        d.Shutdown();
        return SoundResult::Output;
    }
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    alGenAuxiliaryEffectSlots(1, &d.reverbSlot);
    alGenEffects(1, &d.reverbEffect);
    const EFXEAXREVERBPROPERTIES preset = EFX_REVERB_PRESET_AUDITORIUM;
    alEffecti(d.reverbEffect, AL_EFFECT_TYPE, AL_EFFECT_EAXREVERB);
    alEffectf(d.reverbEffect, AL_EAXREVERB_DENSITY, preset.flDensity);
    alEffectf(d.reverbEffect, AL_EAXREVERB_DIFFUSION, preset.flDiffusion);
    alEffectf(d.reverbEffect, AL_EAXREVERB_GAIN, preset.flGain);
    alEffectf(d.reverbEffect, AL_EAXREVERB_GAINHF, preset.flGainHF);
    alEffectf(d.reverbEffect, AL_EAXREVERB_GAINLF, preset.flGainLF);
    alEffectf(d.reverbEffect, AL_EAXREVERB_DECAY_TIME, preset.flDecayTime);
    alEffectf(d.reverbEffect, AL_EAXREVERB_DECAY_HFRATIO, preset.flDecayHFRatio);
    alEffectf(d.reverbEffect, AL_EAXREVERB_DECAY_LFRATIO, preset.flDecayLFRatio);
    alEffectf(d.reverbEffect, AL_EAXREVERB_REFLECTIONS_GAIN, preset.flReflectionsGain);
    alEffectf(d.reverbEffect, AL_EAXREVERB_REFLECTIONS_DELAY, preset.flReflectionsDelay);
    alEffectf(d.reverbEffect, AL_EAXREVERB_LATE_REVERB_GAIN, preset.flLateReverbGain);
    alEffectf(d.reverbEffect, AL_EAXREVERB_LATE_REVERB_DELAY, preset.flLateReverbDelay);
    alEffectf(d.reverbEffect, AL_EAXREVERB_AIR_ABSORPTION_GAINHF, preset.flAirAbsorptionGainHF);
    alEffectf(d.reverbEffect, AL_EAXREVERB_ROOM_ROLLOFF_FACTOR, preset.flRoomRolloffFactor);
    alEffecti(d.reverbEffect, AL_EAXREVERB_DECAY_HFLIMIT, preset.iDecayHFLimit);
    if (alGetError() != AL_NO_ERROR) {
        d.Shutdown();
        return SoundResult::Output;
    }
    if (d.config.output == OutputMode::Manual) return SoundResult::Ok;
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kBlockFrames;
    want.callback = &Impl::OutputCallback;
    want.userdata = &d;
    SDL_AudioSpec have{};
    d.output = OpenOutputWithin(want, have, kOutputOpenLimit);
    if (!d.output) {
        d.Shutdown();
        return SoundResult::Output;
    }
    SDL_PauseAudioDevice(d.output, 0);
    return SoundResult::Ok;
}

SoundResult SoundEngine::Set3DSettings(float dopplerScale, float distanceFactor,
                                       float rolloffScale) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    alDopplerFactor(dopplerScale);
    alSpeedOfSound(kSpeedOfSound * distanceFactor);
    // Air absorption works in metres: without this a far voice's filter gain underflows.
    if (distanceFactor > 0.0f) alListenerf(AL_METERS_PER_UNIT, 1.0f / distanceFactor);
    m_impl->rolloffScale = rolloffScale;
    for (Voice& v : m_impl->voices)
        if (v.used && v.threeD) alSourcef(v.source, AL_ROLLOFF_FACTOR, rolloffScale);
    return SoundResult::Ok;
}

SoundResult SoundEngine::SetReverb(ReverbPreset preset) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    // Off takes the reverb out of the slot rather than muting it: a muted reverb still costs
    // nearly all of a block's mixing.
    alAuxiliaryEffectSloti(m_impl->reverbSlot, AL_EFFECTSLOT_EFFECT,
                           preset == ReverbPreset::Auditorium
                               ? static_cast<ALint>(m_impl->reverbEffect)
                               : AL_EFFECT_NULL);
    return SoundResult::Ok;
}

SoundResult SoundEngine::CreateDsp(DspRead read, int& dsp) {
    std::lock_guard lock(m_impl->mutex);
    dsp = -1;
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    if (!read) return SoundResult::InvalidHandle;
    m_impl->units.push_back(read);
    dsp = static_cast<int>(m_impl->units.size()) - 1;
    return SoundResult::Ok;
}

SoundResult SoundEngine::OpenSong(const char* path, int& song) {
    song = -1;
    {
        std::lock_guard lock(m_impl->mutex);
        if (!m_impl->Ready()) return SoundResult::Uninitialized;
    }
    // Opening reads the file: outside the lock, so the mixer goes on meanwhile.
    std::unique_ptr<SongDecoder> decoder;
    if (const SoundResult opened = SongDecoder::Open(path, decoder); opened != SoundResult::Ok)
        return opened;
    auto made = std::make_unique<Song>();
    made->lengthMs = decoder->LengthMs();
    made->feed =
        std::make_unique<SongFeed>(std::move(decoder), m_impl->config.output == OutputMode::Device);
    std::lock_guard lock(m_impl->mutex);
    for (int i = 0; i < kMaxVoices; ++i) {
        auto& slot = m_impl->songs[static_cast<std::size_t>(i)];
        if (slot) continue;
        slot = std::move(made);
        song = i;
        return SoundResult::Ok;
    }
    return SoundResult::ChannelAlloc;
}

SoundResult SoundEngine::ReleaseSong(int song) {
    std::unique_ptr<Song> gone;
    {
        std::lock_guard lock(m_impl->mutex);
        if (!m_impl->Ready()) return SoundResult::Uninitialized;
        if (!m_impl->FindSong(song)) return SoundResult::InvalidHandle;
        for (Voice& v : m_impl->voices)
            if (v.used && v.song == song) m_impl->FreeVoice(v);
        gone = std::move(m_impl->songs[static_cast<std::size_t>(song)]);
    }
    gone.reset();  // joins its decoder thread, outside the lock
    return SoundResult::Ok;
}

SoundResult SoundEngine::PlayVoice(int song, bool threeD, int& voice) {
    std::lock_guard lock(m_impl->mutex);
    voice = -1;
    Impl& d = *m_impl;
    if (!d.Ready()) return SoundResult::Uninitialized;
    if (!d.FindSong(song)) return SoundResult::InvalidHandle;
    const auto slot =
        std::find_if(d.voices.begin(), d.voices.end(), [](const Voice& v) { return !v.used; });
    if (slot == d.voices.end()) return SoundResult::ChannelAlloc;
    Voice& v = *slot;
    alGetError();
    alGenSources(1, &v.source);
    alGenBuffers(kBuffersPerVoice, v.buffers.data());
    alGenFilters(1, &v.directFilter);
    alGenFilters(1, &v.sendFilter);
    if (alGetError() != AL_NO_ERROR) return SoundResult::Memory;
    v.used = true;
    v.song = song;
    v.threeD = threeD;
    v.free.assign(v.buffers.begin(), v.buffers.end());
    if (threeD) {
        alSourcef(v.source, AL_ROLLOFF_FACTOR, d.rolloffScale);
        // Occlusion scales all frequencies alike: the low-pass filters keep their top open.
        for (const ALuint filter : {v.directFilter, v.sendFilter}) {
            alFilteri(filter, AL_FILTER_TYPE, AL_FILTER_LOWPASS);
            alFilterf(filter, AL_LOWPASS_GAINHF, 1.0f);
        }
        d.AttachFilters(v);  // open until an update finds walls in the way
    } else {
        // The plain voice reaches the output unchanged: no panning, distance or reverb.
        alSourcei(v.source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
        alSourcei(v.source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSourcef(v.source, AL_ROLLOFF_FACTOR, 0.0f);
    }
    voice = static_cast<int>(slot - d.voices.begin());
    return SoundResult::Ok;
}

SoundResult SoundEngine::SetVoicePosition(int voice, Vec3 position) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    Voice* v = m_impl->FindVoice(voice);
    if (!v) return SoundResult::InvalidHandle;
    alSource3f(v->source, AL_POSITION, position.x, position.y, position.z);
    v->position = position;
    return SoundResult::Ok;
}

SoundResult SoundEngine::SetVoiceDistance(int voice, float minDistance, float maxDistance) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    Voice* v = m_impl->FindVoice(voice);
    if (!v) return SoundResult::InvalidHandle;
    alSourcef(v->source, AL_REFERENCE_DISTANCE, minDistance);
    alSourcef(v->source, AL_MAX_DISTANCE, maxDistance);
    return SoundResult::Ok;
}

SoundResult SoundEngine::AddVoiceDsp(int voice, int dsp) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    Voice* v = m_impl->FindVoice(voice);
    if (!v || dsp < 0 || dsp >= static_cast<int>(m_impl->units.size()))
        return SoundResult::InvalidHandle;
    v->dsps.push_back(m_impl->units[static_cast<std::size_t>(dsp)]);
    return SoundResult::Ok;
}

SoundResult SoundEngine::SetVoiceVolume(int voice, float volume) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    Voice* v = m_impl->FindVoice(voice);
    if (!v) return SoundResult::InvalidHandle;
    alSourcef(v->source, AL_GAIN, std::clamp(volume, 0.0f, 1.0f));
    return SoundResult::Ok;
}

SoundResult SoundEngine::SetSongPaused(int song, bool paused) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    Song* s = m_impl->FindSong(song);
    if (!s) return SoundResult::InvalidHandle;
    s->paused = paused;
    // Resuming is done by the next block, for every voice of the song at once.
    if (paused)
        for (Voice& v : m_impl->voices)
            if (v.used && v.song == song) alSourcePause(v.source);
    return SoundResult::Ok;
}

SoundResult SoundEngine::SetSongPositionMs(int song, std::uint32_t ms) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    Song* s = m_impl->FindSong(song);
    if (!s) return SoundResult::InvalidHandle;
    std::int64_t frame = static_cast<std::int64_t>(ms) * kRate / 1000;
    // The length is the container's estimate: a seek stays a block short of it.
    if (s->lengthMs > 0)
        frame = std::min<std::int64_t>(
            frame, std::max<std::int64_t>(
                       static_cast<std::int64_t>(s->lengthMs) * kRate / 1000 - kBlockFrames, 0));
    for (Voice& v : m_impl->voices)
        if (v.used && v.song == song) m_impl->FlushVoice(v);
    s->queuedFrames.clear();
    s->positionFrames = frame;
    s->decoderDone = false;
    s->ended = false;  // a song played to its end starts again from the new position
    s->feed->Seek(frame);
    return SoundResult::Ok;
}

SoundResult SoundEngine::GetSongPositionMs(int song, std::uint32_t& ms) const {
    std::lock_guard lock(m_impl->mutex);
    ms = 0;
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    const Song* s = m_impl->FindSong(song);
    if (!s) return SoundResult::InvalidHandle;
    ms = static_cast<std::uint32_t>(s->positionFrames * 1000 / kRate);
    // The length is the container's claim and the song plays until its decoder runs out, which
    // can be later (joined files, a length guessed from the bit rate): the position stops at
    // the length rather than run past what the player shows.
    if (s->lengthMs > 0) ms = std::min(ms, s->lengthMs);
    return SoundResult::Ok;
}

SoundResult SoundEngine::GetSongLengthMs(int song, std::uint32_t& ms) const {
    std::lock_guard lock(m_impl->mutex);
    ms = 0;
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    const Song* s = m_impl->FindSong(song);
    if (!s) return SoundResult::InvalidHandle;
    ms = s->lengthMs;
    return SoundResult::Ok;
}

int SoundEngine::VoicesPlaying() const {
    std::lock_guard lock(m_impl->mutex);
    int playing = 0;
    for (const Voice& v : m_impl->voices)
        if (v.used && !m_impl->songs[static_cast<std::size_t>(v.song)]->ended) ++playing;
    return playing;
}

SoundResult SoundEngine::SetGeometrySettings(float maxWorldSize) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    if (!(maxWorldSize > 0.0f)) return SoundResult::InvalidParam;
    m_impl->maxWorldSize = maxWorldSize;
    return SoundResult::Ok;
}

SoundResult SoundEngine::CreateGeometry(int maxPolygons, int maxVertices) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    if (maxPolygons < 1 || maxVertices < 3) return SoundResult::InvalidParam;
    m_impl->geometry = std::make_unique<RoomGeometry>(maxPolygons, maxVertices);
    return SoundResult::Ok;
}

SoundResult SoundEngine::AddPolygon(float directOcclusion, float reverbOcclusion, bool doubleSided,
                                    const Vec3* vertices, int count) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    if (!m_impl->geometry) return SoundResult::InvalidHandle;
    const float world = m_impl->maxWorldSize;
    for (int i = 0; world > 0.0f && vertices && i < count; ++i)
        if (std::fabs(vertices[i].x) > world || std::fabs(vertices[i].y) > world ||
            std::fabs(vertices[i].z) > world)
            return SoundResult::InvalidParam;
    return m_impl->geometry->AddPolygon(directOcclusion, reverbOcclusion, doubleSided, vertices,
                                        count);
}

SoundResult SoundEngine::SetGeometryPosition(Vec3 position) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    if (!m_impl->geometry) return SoundResult::InvalidHandle;
    m_impl->geometry->SetPosition(position);
    return SoundResult::Ok;
}

SoundResult SoundEngine::SetListener(Vec3 position, Vec3 forward, Vec3 up) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    m_impl->listener = position;
    alListener3f(AL_POSITION, position.x, position.y, position.z);
    alListener3f(AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    const ALfloat orientation[] = {forward.x, forward.y, forward.z, up.x, up.y, up.z};
    alListenerfv(AL_ORIENTATION, orientation);
    return SoundResult::Ok;
}

SoundResult SoundEngine::Update() {
    std::lock_guard lock(m_impl->mutex);
    Impl& d = *m_impl;
    if (!d.Ready()) return SoundResult::Uninitialized;
    for (Voice& v : d.voices) {
        if (!v.used || !v.threeD) continue;
        const Occlusion now =
            d.geometry ? d.geometry->Occlude(d.listener, v.position) : Occlusion{};
        if (now.direct == v.occlusion.direct && now.reverb == v.occlusion.reverb) continue;
        v.occlusion = now;
        d.AttachFilters(v);
    }
    return alGetError() == AL_NO_ERROR ? SoundResult::Ok : SoundResult::Output;
}

SoundResult SoundEngine::RenderBlocks(int blocks, float* out) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->Ready()) return SoundResult::Uninitialized;
    if (m_impl->config.output != OutputMode::Manual) return SoundResult::WrongMode;
    for (int b = 0; b < blocks; ++b)
        m_impl->RenderBlock(out + static_cast<std::ptrdiff_t>(b) * kBlockFrames * 2);
    return SoundResult::Ok;
}

EngineStats SoundEngine::Stats() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->stats;
}

}  // namespace psound
