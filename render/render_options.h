#pragma once
// The settings only the renderers read. Saved and loaded by the application's settings file.
// UI thread only.
//
// Each line: the key it is saved under, the range the reader accepts, the start value.

extern float ClubAmbient;     // "ClubAmbient", 0.0 to 0.5, start 0.1
extern float MainLightLevel;  // read with "ClubAmbient" (4 x ClubAmbient), start 0.4
extern int StatChoice;        // "StatChoice", 1 to 7, start 2: frame-rate averaging window

// Gives the globals above their start values; they already hold them when the program starts.
void SetRenderStartValues();
