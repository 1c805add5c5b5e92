#include "audio/music_player.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "audio/sound_wrapper.h"
#include "model/report_message.h"
#include "tools/songs/song_encoder.h"

namespace {

namespace fs = std::filesystem;

void Quiet(const char*, int) {}

std::vector<float> Silence(int frames) {
    return std::vector<float>(static_cast<std::size_t>(frames) * 2, 0.1f);
}

class MusicPlayer : public ::testing::Test {
  protected:
    void SetUp() override {
        SetReportMessageHandler(&Quiet);
        m_dir = fs::temp_directory_path() /
                (std::string("velmoranth_player_") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        sound::SetSoundEngineConfig({.output = psound::OutputMode::Manual});
        ASSERT_EQ(sound::SoundInit(), 0);
        player::ResetPlayer();
        m_saved = player::SoundCalls();
    }
    void TearDown() override {
        player::SoundCalls() = m_saved;
        player::ResetPlayer();
        sound::SoundRelease();
        sound::SetSoundEngineConfig({});
        SetReportMessageHandler(nullptr);
        fs::remove_all(m_dir);
    }
    std::vector<std::string> Songs(int count) {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            const fs::path file = m_dir / ("song" + std::to_string(i) + ".wav");
            EXPECT_TRUE(EncodeSong(file, SongFormat::Wav, Silence(8192)));
            paths.push_back(file.string());
        }
        return paths;
    }
    static player::SongPickers Files(std::vector<std::string> files) {
        return {.pickFiles = [files] { return std::optional(files); },
                .pickFolder = [] { return std::optional<std::string>(); }};
    }
    static player::SongPickers Cancelled() {
        return {.pickFiles = [] { return std::optional<std::vector<std::string>>(); },
                .pickFolder = [] { return std::optional<std::string>(); }};
    }
    void Load(int count) { player::OnLoadByFile(Files(Songs(count))); }

    fs::path m_dir;
    player::PlayerSoundCalls m_saved{};
};

const player::PlayerControls& C() { return player::Controls(); }

// The state machine: from a state reached by the user's steps, one more step.
struct StateCase {
    const char* name;
    std::vector<std::function<void()>> steps;
    int state;
    const char* status;
    bool transportEnabled;
    bool playPressed;
    bool pausePressed;
};

TEST_F(MusicPlayer, StateTable) {
    const auto play = [] { player::OnPlay(); };
    const auto stop = [] { player::OnStop(); };
    const auto pause = [] { player::OnPause(); };
    const auto ended = [] { player::OnSongEnded(); };
    const std::vector<StateCase> cases = {
        {"nothing loaded", {}, 0, "Load some songs", false, false, false},
        {"list loaded", {}, 1, "song0.wav loaded", true, false, false},
        {"loaded, Play", {play}, 2, "song0.wav playing", true, true, false},
        {"paused, Play", {pause, play}, 2, "song0.wav playing", true, true, false},
        {"playing, Stop", {play, stop}, 1, "song0.wav loaded", true, false, false},
        {"paused, Stop", {play, pause, stop}, 1, "song0.wav loaded", true, false, false},
        {"loaded, Pause", {pause}, 3, "song0.wav paused", true, false, true},
        {"playing, Pause", {play, pause}, 3, "song0.wav paused", true, false, true},
        {"playing, not the last ended", {play, ended}, 2, "song1.wav playing", true, true, false},
        {"playing, last ended",
         {play, ended, ended, ended},
         1,
         "song0.wav loaded",
         true,
         false,
         false},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.name);
        player::ResetPlayer();
        if (c.state == 0) {
            player::UpdateControls(-1);
        } else {
            Load(3);
        }
        for (const auto& step : c.steps) step();
        EXPECT_EQ(PlayerState.load(), c.state);
        EXPECT_EQ(C().status, c.status);
        for (const player::TransportButton& b : {C().stop, C().pause, C().play}) {
            EXPECT_EQ(b.enabled, c.transportEnabled);
        }
        EXPECT_EQ(C().play.pressed, c.playPressed);
        EXPECT_EQ(C().pause.pressed, c.pausePressed);
        EXPECT_FALSE(C().stop.pressed);
        EXPECT_EQ(C().skipBack.enabled, c.state != 0);
        EXPECT_EQ(C().skipForward.enabled, c.state != 0);
    }
}

TEST_F(MusicPlayer, ANewListWhilePlayingPlaysItsFirstSong) {
    Load(2);
    player::OnPlay();
    player::OnSkipForward();
    Load(3);
    EXPECT_EQ(PlayerState.load(), 2);
    EXPECT_EQ(CurrentSongIndex, 0);
    EXPECT_EQ(SongCount, 3);
    EXPECT_TRUE(sound::SoundIsPlaying());
}

TEST_F(MusicPlayer, SkipsWrapAroundTheList) {
    Load(5);
    player::OnSkipBack();
    EXPECT_EQ(CurrentSongIndex, 4);
    EXPECT_EQ(CurrentSongName, "song4.wav");
    player::OnSkipForward();
    EXPECT_EQ(CurrentSongIndex, 0);
    player::OnSkipForward();
    EXPECT_EQ(CurrentSongIndex, 1);
    player::OnSkipBack();
    EXPECT_EQ(CurrentSongIndex, 0);
    EXPECT_EQ(PlayerState.load(), 1);
}

TEST_F(MusicPlayer, SkippingKeepsThePlayState) {
    Load(3);
    player::OnPlay();
    player::OnSkipForward();
    EXPECT_EQ(PlayerState.load(), 2);
    EXPECT_EQ(C().status, "song1.wav playing");
    EXPECT_TRUE(sound::SoundIsPlaying());
}

TEST_F(MusicPlayer, OneSongDisablesTheSkipsAndStopsAfterItsEnd) {
    Load(1);
    EXPECT_FALSE(C().skipBack.enabled);
    EXPECT_FALSE(C().skipForward.enabled);
    player::OnPlay();
    player::OnSongEnded();
    EXPECT_EQ(PlayerState.load(), 1);
    EXPECT_EQ(C().status, "song0.wav loaded");
    EXPECT_EQ(CurrentSongIndex, 0);
}

// A folder without songs empties the list while the count of the old one stays.
TEST_F(MusicPlayer, ASongEndingAfterAnEmptyFolderWasLoadedDoesNotReadPastTheList) {
    Load(3);
    player::OnPlay();
    const fs::path empty = m_dir / "no songs";
    fs::create_directories(empty);
    std::ofstream(empty / "readme.txt") << "nothing to play\n";
    player::OnLoadByDir({.pickFiles = [] { return std::optional<std::vector<std::string>>(); },
                         .pickFolder = [empty] { return std::optional(empty.string()); }});
    EXPECT_TRUE(PlayList.empty());
    player::OnSongEnded();
    player::OnSkipForward();
    EXPECT_EQ(CurrentSongIndex, 0);
}

struct RepeatCase {
    const char* name;
    bool repeatOne;
    bool repeatAll;
    int startIndex;  // skips forward from the first song before the song ends
    int index;
    int state;
};

TEST_F(MusicPlayer, RepeatBoxesDecideWhatFollowsTheEnd) {
    const std::vector<RepeatCase> cases = {
        {"repeat one replays", true, false, 1, 1, 2},
        {"repeat one on the last replays", true, false, 2, 2, 2},
        {"repeat all wraps to the first", false, true, 2, 0, 2},
        {"repeat all in the middle goes on", false, true, 0, 1, 2},
        {"no repeat on the last stops", false, false, 2, 0, 1},
    };
    for (const RepeatCase& c : cases) {
        SCOPED_TRACE(c.name);
        player::ResetPlayer();
        Load(3);
        if (c.repeatOne) player::OnRepeatOne(true);
        if (c.repeatAll) player::OnRepeatAll(true);
        for (int i = 0; i < c.startIndex; ++i) player::OnSkipForward();
        player::OnPlay();
        player::OnSongEnded();
        EXPECT_EQ(CurrentSongIndex, c.index);
        EXPECT_EQ(PlayerState.load(), c.state);
    }
}

TEST_F(MusicPlayer, RepeatBoxesExcludeEachOther) {
    player::OnRepeatOne(true);
    EXPECT_EQ(RepeatMode, 1);
    player::OnRepeatAll(true);
    EXPECT_EQ(RepeatMode, 2);
    EXPECT_FALSE(C().repeatOne);
    EXPECT_TRUE(C().repeatAll);
    player::OnRepeatAll(false);
    EXPECT_EQ(RepeatMode, 0);
    EXPECT_FALSE(C().repeatAll);
}

TEST_F(MusicPlayer, ASongThatFailsToLoadDropsTheList) {
    std::vector<std::string> songs = Songs(3);
    songs[1] = (m_dir / "missing.wav").string();
    player::OnLoadByFile(Files(songs));
    player::OnRepeatOne(true);
    player::OnSkipForward();
    EXPECT_EQ(PlayerState.load(), 5);
    EXPECT_EQ(C().status, "missing.wav failed to load");  // the song that failed
    EXPECT_TRUE(PlayList.empty());
    EXPECT_EQ(SongCount, 0);
    for (const player::TransportButton& b :
         {C().skipBack, C().stop, C().pause, C().play, C().skipForward}) {
        EXPECT_FALSE(b.enabled);
    }
    EXPECT_TRUE(C().repeatOne);  // left alone
    Load(2);
    EXPECT_EQ(PlayerState.load(), 1);
}

TEST_F(MusicPlayer, AVeryLongPathFailsLikeAMissingSong) {
    const std::string longPath = (m_dir / std::string(5000, 'x')).string() + ".wav";
    player::OnLoadByFile(Files({longPath}));
    EXPECT_EQ(PlayerState.load(), 5);
    EXPECT_EQ(C().status, std::string(5000, 'x') + ".wav failed to load");  // none loaded before
    EXPECT_TRUE(PlayList.empty());
}

TEST_F(MusicPlayer, AnEmptyListReachingPlayNextIsAnInternalError) {
    Load(2);
    PlayList.clear();
    SongCount = 0;
    EXPECT_EQ(player::PlayNext(), 1);
    EXPECT_EQ(PlayerState.load(), 6);
    EXPECT_EQ(C().status, "Internal error. Reload songs");
    EXPECT_EQ(CurrentSongIndex, 0);
}

TEST_F(MusicPlayer, AFailingResumeLeavesTheNextSongLoaded) {
    Load(3);
    player::OnPlay();
    player::SoundCalls().ResumeAll = [] { return 1; };
    player::OnSkipForward();
    EXPECT_EQ(PlayerState.load(), 1);
    EXPECT_EQ(C().status, "song1.wav loaded");
    player::OnPlay();  // fails as well: nothing changes
    EXPECT_EQ(PlayerState.load(), 1);
}

TEST_F(MusicPlayer, CancelledPickersChangeNothing) {
    Load(3);
    player::OnSkipForward();
    player::OnLoadByFile(Cancelled());
    player::OnLoadByDir(Cancelled());
    EXPECT_EQ(PlayList.size(), 3u);
    EXPECT_EQ(SongCount, 3);
    EXPECT_EQ(CurrentSongIndex, 1);
    EXPECT_EQ(CurrentSongName, "song1.wav");
    EXPECT_EQ(PlayerState.load(), 1);
}

TEST_F(MusicPlayer, TheVolumeSliderIsTheInverseOfTheVolume) {
    Load(1);
    EXPECT_EQ(C().volumeSlider, 20);
    player::OnVolumeSlider(0);
    EXPECT_EQ(VolumePercent, 100.0f);
    EXPECT_FLOAT_EQ(SoundVolume, 1.0f);
    player::OnVolumeSlider(70);
    EXPECT_EQ(VolumePercent, 30.0f);
    EXPECT_FLOAT_EQ(SoundVolume, 0.3f);
    player::OnPositionSlider(50);
    player::UpdateControls(-1);
    EXPECT_EQ(C().volumeSlider, 70);
    EXPECT_FLOAT_EQ(SoundVolume, 0.3f);
    EXPECT_EQ(VolumePercent, 30.0f);
}

TEST_F(MusicPlayer, ThePositionSliderFollowsTheSong) {
    Load(1);
    player::OnPositionSlider(50);
    player::RefreshPosition();
    EXPECT_NEAR(C().positionSlider, 50, 1);
}

TEST(StripPath, KeepsThePartAfterTheLastSlash) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/music/a/b.mp3", "b.mp3"},
        // A backslash belongs to the file's name.
        {"/music/back\\slash.wav", "back\\slash.wav"},
        {"a/b\\c.ogg", "b\\c.ogg"},
        {"plain.wav", "plain.wav"},
        {"/music/", ""},
    };
    for (const auto& [path, name] : cases) EXPECT_EQ(player::StripPath(path), name) << path;
}

// The folder walk on a tree made here.
class SongFolderWalk : public ::testing::Test {
  protected:
    void SetUp() override {
        // One folder per test: ctest runs the tests side by side.
        m_root = fs::temp_directory_path() /
                 (std::string("velmoranth_walk_") +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root);
    }
    void TearDown() override { fs::remove_all(m_root); }
    void File(const std::string& relative) {
        fs::create_directories((m_root / relative).parent_path());
        std::ofstream(m_root / relative) << "x";
    }
    std::vector<std::string> Walk() {
        std::vector<std::string> relative;
        for (const std::string& p : player::WalkSongFolder(m_root.string())) {
            relative.push_back(fs::path(p).lexically_relative(m_root).string());
        }
        return relative;
    }
    fs::path m_root;
};

TEST_F(SongFolderWalk, TakesSongsByLowerCasedExtension) {
    for (const char* f :
         {"b.MP3", "a.txt", "mp3", "c.Wav", "d.ogg", "e.wma", "f.flac", "g.mp3.txt"}) {
        File(f);
    }
    EXPECT_EQ(Walk(), (std::vector<std::string>{"b.MP3", "c.Wav", "d.ogg", "e.wma"}));
}

TEST_F(SongFolderWalk, GoesDepthFirstWithTheLastSubfolderFirst) {
    for (const char* f :
         {"1.mp3", "a/2.mp3", "a/x/3.mp3", "b/4.mp3", "b/y/5.mp3", "b/z/6.mp3", "9.mp3"}) {
        File(f);
    }
    // A folder's files come before its subfolders; subfolders by name, the last one first.
    EXPECT_EQ(Walk(), (std::vector<std::string>{"1.mp3", "9.mp3", "b/4.mp3", "b/z/6.mp3",
                                                "b/y/5.mp3", "a/2.mp3", "a/x/3.mp3"}));
}

TEST_F(SongFolderWalk, DoesNotEnterSymlinkedFolders) {
    File("a/1.mp3");
    fs::create_directory_symlink(m_root, m_root / "a" / "loop");
    EXPECT_EQ(Walk(), (std::vector<std::string>{"a/1.mp3"}));
}

TEST_F(SongFolderWalk, LoadByDirPutsTheGeneratedSongsInTheList) {
    player::SongPickers pickers{.pickFiles = {},
                                .pickFolder = [] { return std::optional<std::string>("Music"); }};
    player::ResetPlayer();
    EXPECT_EQ(player::LoadPlayListByDir(pickers), 4);
    for (const std::string& p : PlayList) EXPECT_EQ(p.rfind("Music/Velmoranth Demo ", 0), 0u) << p;
    player::ResetPlayer();
}

}  // namespace
