#pragma once
// A recording source: a device (or a stand-in) that delivers whole blocks of 512 stereo
// 16-bit frames at 44100 Hz. Every member is called on the analysis thread only.

#include <cstdint>

namespace pcapture {

constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
constexpr int kBlockFrames = 512;
constexpr int kBlockSamples = kBlockFrames * kChannels;  // interleaved int16 values per block

enum class Result : int { Ok = 0, NotInitialised, NoSuchDevice, OpenFailed, FormatRefused };
const char* ResultText(Result result);

class CaptureSource {
public:
    virtual ~CaptureSource() = default;

    // Devices that Open accepts as ids 0 to count - 1.
    virtual int DeviceCount() = 0;
    // Opens device `id`, or the default device for -1, closing any device open before.
    [[nodiscard]] virtual Result Open(int id) = 0;
    // Drops every block recorded so far; the device keeps recording.
    virtual void Reset() = 0;
    // After it returns nothing records any more and no block is left. Safe when closed.
    virtual void Close() = 0;
    // Copies the oldest whole block (kBlockSamples values) into `block`; false when none waits.
    [[nodiscard]] virtual bool ReadBlock(std::int16_t* block) = 0;
};

}  // namespace pcapture
