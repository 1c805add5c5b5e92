#pragma once
// The music player's state and logic: the song list, the state machine, the transport and
// slider handlers and the two list loaders. Plain C++ so it is tested without a display; the
// dialog only shows `PlayerControls` and forwards its controls' events here. UI thread only,
// except PlayerState, which the analysis thread reads.

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// 0 no songs, 1 loaded (not playing), 2 playing, 3 paused, 5 failed to load, 6 internal error.
extern std::atomic<int> PlayerState;
extern int RepeatMode;  // 0 none, 1 repeat one, 2 repeat all
extern std::vector<std::string> PlayList;
extern int SongCount;         // the list's size when it was loaded
extern int CurrentSongIndex;  // -1 before the first song of a new list
extern std::string CurrentSongPath;
extern std::string CurrentSongName;
extern float VolumePercent;  // as the volume slider shows it

namespace player {

inline constexpr int kNoSongs = 0;
inline constexpr int kLoaded = 1;
inline constexpr int kPlaying = 2;
inline constexpr int kPaused = 3;
inline constexpr int kFailedToLoad = 5;
inline constexpr int kInternalError = 6;

struct TransportButton {
    bool enabled = false;
    bool pressed = false;
};

// What the dialog shows; the check boxes are the dialog's own state, which OnSongEnded reads.
struct PlayerControls {
    std::string status;
    TransportButton skipBack, stop, pause, play, skipForward;
    bool repeatOne = false;
    bool repeatAll = false;
    int volumeSlider = 20;   // 100 - VolumePercent: the top of the slider is full volume
    int positionSlider = 0;  // percent of the song
};

// The user's answers to the two pickers; an empty optional is a cancelled picker.
struct SongPickers {
    std::function<std::optional<std::vector<std::string>>()> pickFiles;
    std::function<std::optional<std::string>()> pickFolder;
};

// The sound calls the player makes; tests replace one to make it fail.
struct PlayerSoundCalls {
    int (*LoadSong)(const char* path);
    int (*PauseAll)();
    int (*ResumeAll)();
    int (*Seek)(float fraction);
    int (*SetVolume)(float volume);
    float (*GetPosition)();
};
PlayerSoundCalls& SoundCalls();

const PlayerControls& Controls();
// Called whenever Controls changed, so the dialog shows them (also after a song's end that the
// frame reported); empty without a dialog.
void SetControlsObserver(std::function<void()> observer);
// Back to the program's start: no songs, no repeat, volume 80.
void ResetPlayer();

void UpdateControls(int state);
[[nodiscard]] int PlayNext();
void OnSongEnded();
void RefreshPosition();
void SetSongList(int count);
// The part of path after its last slash, or the whole path.
std::string StripPath(const std::string& path);

void OnStop();
void OnPause();
void OnPlay();
void OnSkipBack();
void OnSkipForward();
void OnVolumeSlider(int position);
void OnPositionSlider(int position);
void OnRepeatOne(bool checked);
void OnRepeatAll(bool checked);
void OnLoadByFile(const SongPickers& pickers);
void OnLoadByDir(const SongPickers& pickers);

// Each returns the number of songs put into PlayList, 0 when the picker was cancelled.
int LoadPlayListByFile(const SongPickers& pickers);
int LoadPlayListByDir(const SongPickers& pickers);
// The songs under folder, depth first, a folder's entries by name.
std::vector<std::string> WalkSongFolder(const std::string& folder);

}  // namespace player
