#include "audio/music_detect.h"

std::atomic<float> MinMusicDetect{20.0f};
