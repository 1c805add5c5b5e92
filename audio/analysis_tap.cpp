#include "audio/analysis_tap.h"

#include <algorithm>

std::atomic<float> FmodTapBuffer[2 * kTapBankSize];
std::atomic<int> FmodTapBank{0};
std::atomic<int> FmodBlockReady{0};
std::atomic<std::uint64_t> TapBankSeq[2];
std::atomic<std::uint64_t> TapBlocksTorn{0};

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

// Sequence number of the block handed over last; only the reader touches it.
std::atomic<std::uint64_t> lastTakenSeq{0};

// Copies input channel `source` of each frame to every output channel; silence without input.
void RouteChannel(const float* in, float* out, unsigned int length, int inChannels,
                  int outChannels, int source) {
    const int outs = std::max(outChannels, 0);
    for (unsigned int i = 0; i < length; ++i) {
        const float v = inChannels > 0 ? in[static_cast<std::size_t>(i) * inChannels + source]
                                       : 0.0f;
        std::fill_n(out + static_cast<std::size_t>(i) * outs, outs, v);
    }
}

// Channel 1 when there is one: a mono input must not read into the next frame.
int RightChannel(int inChannels) { return inChannels >= 2 ? 1 : 0; }

}  // namespace

int Stereo2LeftRead(DspState*, const float* inBuffer, float* outBuffer, unsigned int length,
                    int inChannels, int outChannels) {
    const int bank = 1 - FmodTapBank.load(kRelaxed);
    FmodTapBank.store(bank, kRelaxed);
    const int right = RightChannel(inChannels);
    RouteChannel(inBuffer, outBuffer, length, inChannels, outChannels, right);

    // The number continues from the other bank's (the block before this one), so it grows
    // with every block whichever bank holds it; 64 bits never wrap.
    const std::uint64_t seq = TapBankSeq[1 - bank].load(kRelaxed) | 1u;
    TapBankSeq[bank].store(seq, kRelaxed);
    // Each value is stored with release, so a reader that sees it also sees the odd number.
    std::atomic<float>* tap = FmodTapBuffer + bank * kTapBankSize;
    const unsigned int tapped = std::min<unsigned int>(length, kTapFramesPerBlock);
    int k = 0;
    for (unsigned int i = 0; i < tapped && inChannels > 0; i += 2, ++k) {
        const float* frame = inBuffer + static_cast<std::size_t>(i) * inChannels;
        tap[k].store((frame[0] + frame[right]) / 2.0f, std::memory_order_release);
    }
    // A short block clears the rest, so no value of an older block is handed over with it.
    for (; k < kTapBankSize; ++k) tap[k].store(0.0f, std::memory_order_release);
    TapBankSeq[bank].store(seq + 1, std::memory_order_release);
    SetFmodBlockReady(bank + 1);
    return kDspOk;
}

int Stereo2RightRead(DspState*, const float* inBuffer, float* outBuffer, unsigned int length,
                     int inChannels, int outChannels) {
    RouteChannel(inBuffer, outBuffer, length, inChannels, outChannels, 0);
    return kDspOk;
}

void SetFmodBlockReady(int value) { FmodBlockReady.store(value, std::memory_order_release); }

bool TakeTapBlock(float* block) {
    // Taking the flag before the copy keeps a block flagged during the copy for the next pass.
    const int ready = FmodBlockReady.exchange(0, std::memory_order_acquire);
    if (ready != 1 && ready != 2) return false;
    const int bank = ready - 1;
    const std::uint64_t before = TapBankSeq[bank].load(std::memory_order_acquire);
    // The mixer may have refilled the bank and raised the same flag again since that block was
    // taken, or the flag may be an older bank's, seen before the newer flag replaced it.
    if (before <= lastTakenSeq.load(kRelaxed)) return false;
    const std::atomic<float>* tap = FmodTapBuffer + bank * kTapBankSize;
    // Acquire loads keep the second look at the number after the copy.
    for (int k = 0; k < kTapBankSize; ++k) block[k] = tap[k].load(std::memory_order_acquire);
    if ((before & 1u) != 0 || TapBankSeq[bank].load(kRelaxed) != before) {
        TapBlocksTorn.fetch_add(1, kRelaxed);
        return false;
    }
    lastTakenSeq.store(before, kRelaxed);
    return true;
}
