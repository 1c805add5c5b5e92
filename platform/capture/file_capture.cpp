#include "platform/capture/file_capture.h"

#include <cstdint>

namespace pcapture {

Result FileCapture::Open(int id) {
    Close();
    if (id != -1 && id != 0) return Result::NoSuchDevice;
    m_file.reset(std::fopen(m_path.c_str(), "rb"));
    return m_file ? Result::Ok : Result::OpenFailed;
}

bool FileCapture::ReadBlock(std::int16_t* block) {
    if (!m_file) return false;
    std::uint8_t bytes[kBlockSamples * 2];
    if (std::fread(bytes, sizeof(bytes), 1, m_file.get()) != 1) return false;
    for (int i = 0; i < kBlockSamples; ++i) {
        block[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return true;
}

}  // namespace pcapture
