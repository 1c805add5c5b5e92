#include "platform/sound/sound_result.h"

namespace psound {

const char* SoundErrorString(SoundResult result) {
    switch (result) {
        case SoundResult::Ok:
            return "No error.";
        case SoundResult::Uninitialized:
            return "The sound system is not running.";
        case SoundResult::FileNotFound:
            return "The file does not exist or is not a regular file.";
        case SoundResult::Format:
            return "The file holds no sound this program can play.";
        case SoundResult::Unsupported:
            return "This machine has no decoder for the file's sound.";
        case SoundResult::Memory:
            return "Out of memory.";
        case SoundResult::Output:
            return "The sound output could not be started.";
        case SoundResult::InvalidHandle:
            return "No such song, voice or unit.";
        case SoundResult::ChannelAlloc:
            return "Every voice is in use.";
        case SoundResult::WrongMode:
            return "This call needs a manually rendered engine.";
        case SoundResult::InvalidParam:
            return "A value is out of its range.";
    }
    return "Unknown error.";
}

}  // namespace psound
