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
    }
    return "Unknown error.";
}

}  // namespace psound
