#include "audio/music_player.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <deque>
#include <filesystem>
#include <system_error>
#include <utility>

#include "audio/sound_wrapper.h"

std::atomic<int> PlayerState{0};
int RepeatMode = 0;
std::vector<std::string> PlayList;
int SongCount = 0;
int CurrentSongIndex = 0;
std::string CurrentSongPath;
std::string CurrentSongName;
float VolumePercent = 80.0f;  // the wrapper's SoundVolume starts at 0.8 to match

namespace player {
namespace {

namespace fs = std::filesystem;

PlayerControls g_controls;
std::function<void()> g_observer;

void Notify() {
    if (g_observer) g_observer();
}

void DropList() {
    PlayList.clear();
    SongCount = 0;
}

void SetTransport(bool enabled) {
    for (TransportButton* b : {&g_controls.stop, &g_controls.pause, &g_controls.play}) {
        *b = {.enabled = enabled, .pressed = false};
    }
}

std::string StatusFor(int state) {
    switch (state) {
        case kNoSongs:
            return "Load some songs";
        case kLoaded:
            return CurrentSongName + " loaded";
        case kPlaying:
            return CurrentSongName + " playing";
        case kPaused:
            return CurrentSongName + " paused";
        case kFailedToLoad:
            return CurrentSongName + " failed to load";
        default:
            return "Internal error. Reload songs";
    }
}

// States 0 to 3; the list of state 0 is dropped here so the skips below see its count of 0.
void ShowWorkingState(int state) {
    if (state == kNoSongs) DropList();
    SetTransport(state != kNoSongs);
    g_controls.play.pressed = state == kPlaying;
    g_controls.pause.pressed = state == kPaused;
    const bool skips = SongCount >= 2 && state != kNoSongs;
    g_controls.skipBack = {.enabled = skips, .pressed = false};
    g_controls.skipForward = g_controls.skipBack;
    g_controls.repeatOne = RepeatMode == 1;
    g_controls.repeatAll = RepeatMode == 2;
}

// States 5 and 6 leave the repeat boxes alone.
void ShowBrokenState() {
    SetTransport(false);
    g_controls.skipBack = {};
    g_controls.skipForward = {};
    DropList();
}

int SliderPercent(float fraction) { return static_cast<int>(std::trunc(fraction * 100.0f)); }

bool IsSongFile(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    std::string ext = dot == std::string::npos ? path : path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == "mp3" || ext == "wav" || ext == "ogg" || ext == "wma";
}

std::vector<fs::directory_entry> SortedEntries(const std::string& folder) {
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        entries.push_back(*it);
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename() < b.path().filename();
    });
    return entries;
}

void NewList(int count) {
    if (count > 0) SetSongList(count);
}

}  // namespace

PlayerSoundCalls& SoundCalls() {
    static PlayerSoundCalls calls{&sound::LoadSong,       &sound::SoundPauseAll,
                                  &sound::SoundResumeAll, &sound::SoundSeek,
                                  &sound::SoundSetVolume, &sound::SoundGetPosition};
    return calls;
}

const PlayerControls& Controls() { return g_controls; }

void SetControlsObserver(std::function<void()> observer) { g_observer = std::move(observer); }

void ResetPlayer() {
    PlayerState = kNoSongs;
    RepeatMode = 0;
    DropList();
    CurrentSongIndex = 0;
    CurrentSongPath.clear();
    CurrentSongName.clear();
    VolumePercent = 80.0f;
    g_controls = {};
}

void UpdateControls(int state) {
    if (state >= 0) PlayerState = state;
    g_controls.volumeSlider = 100 - static_cast<int>(std::trunc(VolumePercent));
    g_controls.positionSlider = SliderPercent(SoundCalls().GetPosition());
    const int current = PlayerState;
    if (current >= kNoSongs && current <= kPaused) {
        ShowWorkingState(current);
    } else {
        ShowBrokenState();
    }
    g_controls.status = StatusFor(current);
    Notify();
}

int PlayNext() {
    int next = CurrentSongIndex + 1;
    if (next >= SongCount) {
        PlayerState = kLoaded;  // past the end: the first song, stopped
        next = 0;
    }
    // A loader that found no songs has emptied the list but left the count of the one before.
    if (next >= SongCount || static_cast<std::size_t>(next) >= PlayList.size()) {
        CurrentSongIndex = 0;
        UpdateControls(kInternalError);
        return 1;
    }
    CurrentSongIndex = next;
    CurrentSongPath = PlayList[static_cast<std::size_t>(next)];
    // Named before the load, so that a failure names the song that failed.
    CurrentSongName = StripPath(CurrentSongPath);
    const int loaded = SoundCalls().LoadSong(CurrentSongPath.c_str());
    if (loaded != 0) {
        UpdateControls(kFailedToLoad);
        return loaded;
    }
    int state = kLoaded;
    if (PlayerState == kPlaying) {
        // A song that loaded but does not start is shown stopped, so the frame does not take
        // the silence for its end and load the next song on every frame.
        const int resumed = SoundCalls().ResumeAll();
        if (resumed != 0) {
            UpdateControls(kLoaded);
            return resumed;
        }
        state = kPlaying;
    }
    UpdateControls(state);
    return loaded;
}

void OnSongEnded() {
    if (g_controls.repeatOne) {
        CurrentSongIndex -= 1;
    } else if (g_controls.repeatAll && CurrentSongIndex >= SongCount - 1) {
        CurrentSongIndex = -1;
    }
    (void)PlayNext();
}

void RefreshPosition() {
    g_controls.positionSlider = SliderPercent(SoundCalls().GetPosition());
    Notify();
}

void SetSongList(int) {
    CurrentSongIndex = -1;
    SongCount = static_cast<int>(PlayList.size());
    (void)PlayNext();
}

std::string StripPath(const std::string& path) {
    // Only the slash: on Linux a backslash is part of a file's name.
    const std::size_t cut = path.rfind('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

void OnStop() {
    SoundCalls().PauseAll();
    SoundCalls().Seek(0.0f);
    UpdateControls(kLoaded);
}

void OnPause() {
    SoundCalls().PauseAll();
    UpdateControls(kPaused);
}

void OnPlay() {
    if (SoundCalls().ResumeAll() == 0) UpdateControls(kPlaying);
}

void OnSkipBack() {
    // PlayNext adds one, so two back is the previous song; from the first, the last.
    if (CurrentSongIndex > 0) {
        CurrentSongIndex -= 2;
    } else {
        CurrentSongIndex = SongCount - 2;
    }
    (void)PlayNext();
}

void OnSkipForward() {
    if (CurrentSongIndex >= SongCount - 1) CurrentSongIndex = -1;
    (void)PlayNext();
}

void OnVolumeSlider(int position) {
    VolumePercent = static_cast<float>(100 - position);
    g_controls.volumeSlider = position;
    SoundCalls().SetVolume(VolumePercent / 100.0f);
}

void OnPositionSlider(int position) {
    g_controls.positionSlider = position;
    SoundCalls().Seek(static_cast<float>(position) / 100.0f);
}

void OnRepeatOne(bool checked) {
    RepeatMode = checked ? 1 : 0;
    g_controls.repeatOne = checked;
    g_controls.repeatAll = false;
}

void OnRepeatAll(bool checked) {
    RepeatMode = checked ? 2 : 0;
    g_controls.repeatAll = checked;
    g_controls.repeatOne = false;
}

void OnLoadByFile(const SongPickers& pickers) { NewList(LoadPlayListByFile(pickers)); }
void OnLoadByDir(const SongPickers& pickers) { NewList(LoadPlayListByDir(pickers)); }

int LoadPlayListByFile(const SongPickers& pickers) {
    std::optional<std::vector<std::string>> files = pickers.pickFiles();
    if (!files) return 0;
    PlayList = std::move(*files);
    return static_cast<int>(PlayList.size());
}

int LoadPlayListByDir(const SongPickers& pickers) {
    const std::optional<std::string> folder = pickers.pickFolder();
    if (!folder) return 0;
    PlayList = WalkSongFolder(*folder);
    return static_cast<int>(PlayList.size());
}

std::vector<std::string> WalkSongFolder(const std::string& folder) {
    std::vector<std::string> songs;
    std::deque<std::string> work{folder};
    while (!work.empty()) {
        const std::string current = work.front();
        work.pop_front();
        for (const fs::directory_entry& entry : SortedEntries(current)) {
            std::error_code ec;
            const std::string path = entry.path().string();
            // Each subfolder goes to the head of the work list, so the walk is depth first and
            // one folder's subfolders are visited in the reverse of their order by name. A
            // symlinked folder is never entered, so a link loop ends.
            if (entry.is_directory(ec) && !entry.is_symlink(ec)) {
                work.push_front(path);
            } else if (entry.is_regular_file(ec) && IsSongFile(path)) {
                songs.push_back(path);
            }
        }
    }
    return songs;
}

}  // namespace player
