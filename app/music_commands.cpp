#include "app/music_commands.h"

#include <QPointer>

#include "app/subsystem_calls.h"
#include "app/velmoranth_app.h"
#include "audio/music_player.h"
#include "audio/sound_wrapper.h"
#include "platform/capture/sdl_capture.h"
#include "platform/gui/song_pickers.h"
#include "ui/audio_player.h"
#include "ui/audio_select.h"

namespace {

// The one player window; its parent, the main window, owns it.
QPointer<AudioPlayer> g_player;

player::SongPickers Pickers(QWidget* owner) {
    return {.pickFiles = [owner] { return pgui::PickSongFiles(owner); },
            .pickFolder = [owner] { return pgui::PickSongFolder(owner); }};
}

}  // namespace

void OpenMusicPlayer(QWidget* owner) {
    if (!g_player) {
        g_player = new AudioPlayer(owner, Pickers(owner), [] { theApp.MusicPlayerOpen = 0; });
    } else {
        player::UpdateControls(-1);
    }
    theApp.MusicPlayerOpen = 1;
    g_player->show();
    g_player->raise();
}

int RunAudioSourceDialog(QWidget* owner) {
    const audio_select::DeviceQuery query{.count = &pcapture::CaptureDeviceCount,
                                          .name = &pcapture::CaptureDeviceName};
    CAudioSelect dialog(owner, audio_select::ListRecordingDevices(query));
    if (dialog.exec() != QDialog::Accepted) return -1;
    return dialog.ChosenDevice();
}

void PauseSongForDisplay(int paused) {
    if (!SoundReady || PlayerState != player::kPlaying) return;
    if (paused) {
        sound::SoundPauseAll();
    } else {
        sound::SoundResumeAll();
    }
}
