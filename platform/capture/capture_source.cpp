#include "platform/capture/capture_source.h"

namespace pcapture {

const char* ResultText(Result result) {
    switch (result) {
        case Result::Ok: return "no error";
        case Result::NotInitialised: return "the audio system is not started";
        case Result::NoSuchDevice: return "no such recording device";
        case Result::OpenFailed: return "the recording device could not be opened";
        case Result::FormatRefused: return "the recording device refused 44100 Hz 16-bit stereo";
    }
    return "unknown error";
}

}  // namespace pcapture
