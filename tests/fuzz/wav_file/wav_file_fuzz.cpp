// Any bytes: the WAV reader either refuses them or yields whole frames that mix to mono.
#include "tests/audio/support/wav_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WavAudio audio;
    if (ParseWav({data, size}, audio) != WavResult::Ok) return 0;
    if (audio.channels < 1 || audio.channels > 2) std::abort();
    if (audio.samples.size() % static_cast<std::size_t>(audio.channels) != 0) std::abort();
    if (MonoMix(audio).size() * static_cast<std::size_t>(audio.channels) != audio.samples.size())
        std::abort();
    return 0;
}
