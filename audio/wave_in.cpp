#include "audio/wave_in.h"

int OpenWaveInDevice(pcapture::CaptureSource& capture, int id) {
    if (capture.Open(id) == pcapture::Result::Ok) return 1;
    capture.Close();
    return 0;
}

void CloseWaveInDevice(pcapture::CaptureSource& capture) { capture.Close(); }
