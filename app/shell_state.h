#pragma once
// Display state of the application shell. UI thread only: written by scene start-up (start
// values), the view (what the granted pixel format offers) and the display-mode switches;
// read by the commands and the frame.

extern int FullScreen;       // 1 while the frame fills the screen; start 0
extern int SavedFullScreen;  // the full-screen state to return to; start 0
extern int VirtualReality;   // 1 while the Virtual Reality mode is on; start 0
extern int VrAvailable;      // never set: the Virtual Reality mode stays unavailable
extern int StereoAvailable;  // 1 when the granted pixel format has quad-buffer stereo

// The frame's last client geometry while not in full screen (screen pixels), which leaving
// full screen restores.
extern int WindowClientX;
extern int WindowClientY;
extern int WindowClientWidth;
extern int WindowClientHeight;
