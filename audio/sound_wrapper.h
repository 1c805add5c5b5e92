#pragma once
// The program's one sound system and the one song loaded at a time. Each song plays as three
// voices of one group: two 3D voices at the club's two speakers, carrying the analysis tap's
// units, and one plain stereo voice. Only one kind is heard, by volume: the 3D pair (with the
// auditorium reverb) when 3D sound is on, else the plain voice. UI thread only.
//
// Every call's result goes to LastFmodResult; each function returns 1 when a step failed (the
// first failing step's code is kept), else 0. Every function is safe before SoundInit and
// after SoundRelease: it fails.

#include <cstdint>

#include "platform/sound/sound_engine.h"

extern int LastFmodResult;           // the latest engine result a wrapper stored
extern std::uint8_t Sound3DEnabled;  // 1: the 3D pair is heard; 0: the plain voice
extern float SoundVolume;            // 0 to 1, of the voices heard
extern std::uint32_t SongLengthMs;   // of the current song; 0 without one

namespace sound {

// Tests choose a manual engine or inject failures; the program keeps the device engine.
void SetSoundEngineConfig(const psound::EngineConfig& config);

int SoundInit();
int LoadSong(const char* path);
int SoundPauseAll();
int SoundResumeAll();
int SoundSetVolume(float volume);
int SoundSet3D(std::uint8_t flag);
int SoundSeek(float fraction);
float SoundGetPosition();
int SoundUpdateListener(const float* position, const float* forward, const float* up);
bool SoundIsPlaying();
int SoundRelease();

// The engine, for tests that render blocks of a manual engine; null when none runs.
psound::SoundEngine* CurrentSoundEngine();

}  // namespace sound
