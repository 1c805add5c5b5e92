// Writes the demo songs into <run folder>/Music/.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/songs/demo_song.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_songs RUN_FOLDER\n");
        return 2;
    }
    const std::filesystem::path music = std::filesystem::path(argv[1]) / "Music";
    std::error_code error;
    std::filesystem::create_directories(music, error);
    for (const DemoSong& song : DemoSongs()) {
        const auto file = music / (std::string(song.name) + "." + SongFormatExtension(song.format));
        if (!EncodeSong(file, song.format, ComposeDemoSong(song.beatsPerMinute, song.seconds))) {
            std::fprintf(stderr, "make_songs: cannot write %s\n", file.c_str());
            return 1;
        }
    }
    return 0;
}
