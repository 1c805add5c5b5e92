#pragma once
// Opening SDL's output device with a bound on the wait. A recording device whose open never
// returns (a driver reading a pipe nobody writes) holds SDL's device lock, and the output's
// open would wait behind it for ever, holding start-up with it.

#include <SDL.h>

#include <chrono>

namespace psound {

// The opened device (paused, as SDL opens it), or 0 when the open failed or did not return
// within the limit. An open given up on closes its device as soon as it returns; since the
// device was never unpaused, its callback never runs.
SDL_AudioDeviceID OpenOutputWithin(const SDL_AudioSpec& want, SDL_AudioSpec& have,
                                   std::chrono::milliseconds limit);

}  // namespace psound
