#pragma once
// What the Music and View commands ask of the music player and the audio source dialog. The
// player's side provides these; the commands only call them. UI thread only.

class QWidget;

// The body of the Music Player command: shows the one player window (made on first use, owned
// by the main window) and marks it open.
void OpenMusicPlayer(QWidget* owner);

// Runs the audio source dialog modally: the chosen recording device's id, or -1 when it was
// cancelled or closed.
[[nodiscard]] int RunAudioSourceDialog(QWidget* owner);

// Pause Display's effect on the song: while the sound system runs and a song plays, pauses
// every song stream when paused is 1 and resumes them when it is 0.
void PauseSongForDisplay(int paused);
