// Puts the sound system into start-up, shut-down and the frame. Linked into the program only,
// so the scene tests run without an output device.
#include "app/subsystem_calls.h"
#include "audio/music_player.h"
#include "audio/sound_wrapper.h"
#include "render/frame_hooks.h"

namespace {

bool InstallSoundSystem() {
    SoundSystem.SoundInit = &sound::SoundInit;
    SoundSystem.SoundRelease = [] { sound::SoundRelease(); };
    FrameSound.SongPlaying = [] { return SoundReady != 0 && PlayerState == player::kPlaying; };
    FrameSound.ChannelsPlaying = &sound::SoundIsPlaying;
    FrameSound.SongEnded = &player::OnSongEnded;
    // The orbit cameras' back vector is what the listener takes as its forward vector.
    FrameSound.UpdateListener = [](const float* eye, const float* back, const float* up) {
        sound::SoundUpdateListener(eye, back, up);
    };
    return true;
}

[[maybe_unused]] const bool kSoundInstalled = InstallSoundSystem();

}  // namespace
