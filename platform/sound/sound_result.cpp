#include "platform/sound/sound_result.h"

namespace psound {

const char* SoundErrorString(SoundResult result) {
    switch (result) {
        case SoundResult::Ok:
            return "No errors.";
        case SoundResult::Uninitialized:
            return "The sound system is not running.";
        case SoundResult::FileNotFound:
            return "File not found.";
        case SoundResult::Format:
            return "Unsupported file or audio format.";
        case SoundResult::Unsupported:
            return "No decoder for this audio format.";
        case SoundResult::Memory:
            return "Not enough memory or resources.";
        case SoundResult::Output:
            return "Error initializing output device.";
        case SoundResult::InvalidHandle:
            return "An invalid object handle was used.";
        case SoundResult::ChannelAlloc:
            return "Error trying to allocate a channel.";
        case SoundResult::WrongMode:
            return "This call needs a manually rendered engine.";
    }
    return "Unknown error.";
}

}  // namespace psound
