// Writes the generated models and textures into <run folder>/Models. Same bytes every run.
// Usage: make_content <run folder>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "tools/content/content_registry.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_content <run folder>\n");
        return 2;
    }
    const std::filesystem::path models = std::filesystem::path(argv[1]) / "Models";
    std::error_code error;
    std::filesystem::create_directories(models, error);
    if (error) {
        std::fprintf(stderr, "cannot make %s\n", models.c_str());
        return 1;
    }
    if (!content::WriteAllFamilies(models)) return 1;
    // The build's record that every family has written its files.
    std::ofstream(models / ".complete") << "complete\n";
    return 0;
}
