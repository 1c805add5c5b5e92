#pragma once
// Result codes of the sound layer, with a text for each that messages can show.

namespace psound {

enum class SoundResult : int {
    Ok = 0,
    Uninitialized,  // the call came before the engine was made or after it was released
    FileNotFound,   // missing, not a regular file, or a path the system refuses
    Format,         // not a song file, or one with no decodable sound in it
    Unsupported,    // a song whose codec this machine cannot decode
    Memory,
    Output,         // no output device, or the mixer could not start
    InvalidHandle,  // a song, voice or unit that does not exist (any more)
    ChannelAlloc,   // every voice is taken
    WrongMode,      // a manual engine's call on a device engine
    InvalidParam,   // a value out of its range, or a geometry that is full
};

const char* SoundErrorString(SoundResult result);

}  // namespace psound
