#include "app/music_commands.h"

// Until songs can play there is no player to open and no song to pause.
void OpenMusicPlayer(QWidget*) {}
int RunAudioSourceDialog(QWidget*) { return -1; }
void PauseSongForDisplay(int) {}
