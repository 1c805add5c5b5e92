#pragma once
// The format the mixer renders in: 44100 Hz float stereo, plain stereo panning without
// head-related filters, so the output is the same on every machine.

#include <AL/alc.h>
#include <AL/alext.h>

namespace psound {

inline constexpr ALCint kLoopbackAttributes[] = {ALC_FREQUENCY,
                                                 44100,
                                                 ALC_FORMAT_CHANNELS_SOFT,
                                                 ALC_STEREO_SOFT,
                                                 ALC_FORMAT_TYPE_SOFT,
                                                 ALC_FLOAT_SOFT,
                                                 ALC_HRTF_SOFT,
                                                 ALC_FALSE,
                                                 0};

}  // namespace psound
