#pragma once
// The analysis tap: the read callbacks of the two DSP units on the song's speaker channels.
// "Stereo2Left" also copies a mono mix of every second frame of the block into one bank of a
// two-bank buffer and flags it; the analysis thread takes the newest complete bank.
//
// Writer: the sound layer's mixer thread (the callbacks). Reader: the analysis thread
// (TakeTapBlock). No locks: a sequence number per bank tells the reader whether the bank
// changed while it was copied, so a torn block is never handed over. The numbers grow across
// both banks, so the reader also refuses a block no newer than the last one it took: a flag
// raised again for a bank it has already copied hands nothing over twice, or out of order.

#include <atomic>
#include <cstdint>

constexpr int kTapBankSize = 512;        // values per bank: one analysis block
constexpr int kTapFramesPerBlock = 1024;  // mixer frames tapped per block, every second one

// The unit's state, owned by the sound layer; the callbacks do not read it.
struct DspState;
// The sound layer's DSP read callback: interleaved input and output of `length` frames.
using DspReadCallback = int (*)(DspState* state, const float* inBuffer, float* outBuffer,
                                unsigned int length, int inChannels, int outChannels);
constexpr int kDspOk = 0;

extern std::atomic<float> FmodTapBuffer[2 * kTapBankSize];  // bank b: entries b x 512 on
extern std::atomic<int> FmodTapBank;     // bank of the latest "Stereo2Left" read; starts 0
extern std::atomic<int> FmodBlockReady;  // 0 no new block, else 1 + the bank holding one
extern std::atomic<std::uint64_t> TapBankSeq[2];  // odd while the mixer writes the bank
extern std::atomic<std::uint64_t> TapBlocksTorn;  // blocks discarded as changed under the copy

// Every output channel gets input channel 1; the tap gets (channel 0 + channel 1) / 2 of
// every even frame below 1024. A mono input stands in for both channels.
int Stereo2LeftRead(DspState* state, const float* inBuffer, float* outBuffer,
                    unsigned int length, int inChannels, int outChannels);
// Every output channel gets input channel 0; nothing is tapped.
int Stereo2RightRead(DspState* state, const float* inBuffer, float* outBuffer,
                     unsigned int length, int inChannels, int outChannels);

void SetFmodBlockReady(int value);

// Analysis thread: copies the newest flagged bank into `block` (kTapBankSize values) and
// clears the flag. False when no block is flagged, the bank changed during the copy, or the
// bank holds no block newer than the last one taken.
[[nodiscard]] bool TakeTapBlock(float* block);
