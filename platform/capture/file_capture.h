#pragma once
// A recording source that reads raw little-endian 16-bit stereo frames from a file, one
// block per read and as fast as it is read. At the end of the file it stops delivering,
// like a device that has gone quiet; a last partial block is never delivered.

#include "platform/capture/capture_source.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace pcapture {

class FileCapture final : public CaptureSource {
public:
    explicit FileCapture(std::filesystem::path file) : m_path(std::move(file)) {}

    int DeviceCount() override { return 1; }
    // Device 0 and the default device (-1) both name the file.
    [[nodiscard]] Result Open(int id) override;
    void Reset() override {}
    void Close() override { m_file.reset(); }
    [[nodiscard]] bool ReadBlock(std::int16_t* block) override;

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::filesystem::path m_path;
    std::unique_ptr<std::FILE, FileCloser> m_file;
};

}  // namespace pcapture
