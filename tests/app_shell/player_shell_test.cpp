// The player in the running shell, with the program's sound system on SDL's dummy output: a
// played song reaches the dancer through the analysis tap.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "app/music_commands.h"
#include "app/velmoranth_app.h"
#include "app/velmoranth_shell.h"
#include "app/velmoranth_view.h"
#include "audio/beat_tracker.h"
#include "audio/music_player.h"
#include "platform/gui/main_frame.h"
#include "tests/app_shell/in_process.h"
#include "tests/gui/qt_app.h"
#include "ui/audio_player.h"

namespace {

TEST(PlayerShell, APlayedSongMakesTheDancerDance) {
    const std::filesystem::path music = std::filesystem::path(VELMORANTH_RUN_FOLDER) / "Music";
    InProcessShell inRunFolder;
    ShellQtApp qt;
    {
        VelmoranthShell shell;
        ASSERT_TRUE(shell.InitInstance());
        OpenMusicPlayer(shell.Frame());
        EXPECT_EQ(theApp.MusicPlayerOpen, 1);
        auto* window = shell.Frame()->findChild<AudioPlayer*>();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        player::OnLoadByDir({.pickFiles = {}, .pickFolder = [&music] {
                                 return std::optional<std::string>(music.string());
                             }});
        EXPECT_EQ(SongCount, 4);
        window->findChild<QPushButton*>("1071")->click();
        EXPECT_EQ(PlayerState.load(), 2);
        // The dummy recording device is silent, so dancing on the beat comes from the song.
        EXPECT_TRUE(ProcessEventsUntil([] { return DanceMode.load() == 1; }, 60000));
        EXPECT_EQ(PlayerState.load(), 2);
        shell.Frame()->close();
    }
}

}  // namespace
