#pragma once
// The 3D sound engine: songs decoded by ffmpeg, mixed by OpenAL Soft in loopback mode one
// 1024-frame block at a time, and played by SDL2's output device, whose callback thread is the
// mixer thread. A manual engine has no device and no threads: the caller renders blocks.
//
// One song feeds its voices (up to four voices in all) from one decoder, as a group: pause,
// resume and seek act on the group, so its voices stay on the same frame. Each voice runs its
// DSP units on the mixer thread on every block, before its volume and its place in the room,
// so a voice at volume 0 still feeds its units.
//
// UI thread: every call. Mixer thread: the rendering. One lock guards the engine's state; the
// mixer holds it for the block it renders, which takes well under a millisecond.

#include <cstdint>
#include <memory>

#include "platform/sound/sound_result.h"
#include "platform/sound/vec3.h"

struct DspState;  // a unit's state; the units of this program do not read it

namespace psound {

// A DSP unit's read callback: `length` interleaved frames in and out, 2 channels each.
using DspRead = int (*)(DspState* state, const float* in, float* out, unsigned int length,
                        int inChannels, int outChannels);

enum class OutputMode { Device, Manual };
enum class ReverbPreset { Off, Auditorium };

struct EngineConfig {
    OutputMode output = OutputMode::Device;
    // Test seams: a nonzero code makes Create or Init fail with it.
    SoundResult failCreate = SoundResult::Ok;
    SoundResult failInit = SoundResult::Ok;
};

struct EngineStats {
    std::uint64_t blocks = 0;     // blocks rendered
    std::uint64_t underruns = 0;  // blocks a late decoder left silent
};

class SoundEngine {
  public:
    static constexpr int kMaxVoices = 4;
    static constexpr int kRate = 44100;

    // The engine object and the audio subsystem; nothing plays yet.
    [[nodiscard]] static SoundResult Create(const EngineConfig& config,
                                            std::unique_ptr<SoundEngine>& out);
    // Stops the output device (its thread has ended when this returns), then the songs.
    ~SoundEngine();
    SoundEngine(const SoundEngine&) = delete;
    SoundEngine& operator=(const SoundEngine&) = delete;

    // The mixer and, for a device engine, the output device.
    [[nodiscard]] SoundResult Init();

    SoundResult Set3DSettings(float dopplerScale, float distanceFactor, float rolloffScale);
    SoundResult SetReverb(ReverbPreset preset);
    SoundResult CreateDsp(DspRead read, int& dsp);

    // Opens the song; every voice of it starts paused at its start.
    SoundResult OpenSong(const char* path, int& song);
    SoundResult ReleaseSong(int song);  // its voices go with it
    SoundResult PlayVoice(int song, bool threeD, int& voice);
    SoundResult SetVoicePosition(int voice, Vec3 position);
    SoundResult SetVoiceDistance(int voice, float minDistance, float maxDistance);
    SoundResult AddVoiceDsp(int voice, int dsp);
    SoundResult SetVoiceVolume(int voice, float volume);

    SoundResult SetSongPaused(int song, bool paused);
    SoundResult SetSongPositionMs(int song, std::uint32_t ms);
    // Frames rendered since the start, in milliseconds, at most the song's length.
    SoundResult GetSongPositionMs(int song, std::uint32_t& ms) const;
    SoundResult GetSongLengthMs(int song, std::uint32_t& ms) const;
    // Voices started and not yet at their song's end; paused voices count.
    int VoicesPlaying() const;

    // The one occluding geometry: the size of the world (from the origin to its edge, the
    // vertices must lie within it), then room for the polygons, the polygons and its place.
    SoundResult SetGeometrySettings(float maxWorldSize);
    SoundResult CreateGeometry(int maxPolygons, int maxVertices);
    SoundResult AddPolygon(float directOcclusion, float reverbOcclusion, bool doubleSided,
                           const Vec3* vertices, int count);
    SoundResult SetGeometryPosition(Vec3 position);

    // The listener (right-handed coordinates) and a forward and up vector.
    SoundResult SetListener(Vec3 position, Vec3 forward, Vec3 up);
    // The mixer takes up the listener and every change made since the last update, with each
    // 3D voice's direct sound and reverb send scaled by what the geometry occludes of it.
    SoundResult Update();

    // Manual engine only: renders `blocks` blocks of 1024 stereo frames into `out`.
    SoundResult RenderBlocks(int blocks, float* out);
    EngineStats Stats() const;

  private:
    struct Impl;
    explicit SoundEngine(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace psound
