#pragma once
// Wave input on the capture layer: the recording device that the analysis thread opens,
// reads and closes. The device records continuously into a ring of whole blocks, so there
// are no buffers to queue and no partly filled block is ever read.

#include "platform/capture/capture_source.h"

constexpr int WaveInChannels = pcapture::kChannels;  // channels of the recording format

// Opens recording device `id` (-1: the default device) at 44100 Hz, 16-bit, 2 channels and
// starts it. 1 when it is open and recording, else 0 (with nothing left open).
[[nodiscard]] int OpenWaveInDevice(pcapture::CaptureSource& capture, int id);
// Stops and closes the device; no block recorded before stays behind.
void CloseWaveInDevice(pcapture::CaptureSource& capture);
