#pragma once
// A fresh temporary folder that is the current directory for the lifetime of the object, so
// marker files and model files of one test never reach another.

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

class ScopedTempDir {
public:
    ScopedTempDir() : m_previous(std::filesystem::current_path()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "vm-XXXXXX").string();
        if (mkdtemp(pattern.data())) m_path = pattern;
        std::filesystem::current_path(m_path);
    }
    ~ScopedTempDir() {
        std::error_code error;
        std::filesystem::current_path(m_previous, error);
        std::filesystem::remove_all(m_path, error);
    }
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    // Writes a file under the folder, making its parent folders.
    void Write(const std::string& relative, const std::string& bytes = "") const {
        const std::filesystem::path file = m_path / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
};
