#pragma once
// The settings the mesh parts read. Saved and loaded by the application's settings file.
// UI thread only.

extern int DisplayTextures;  // "DisplayTextures", 0 to 1, start 1: 1 draws textures

// Gives the globals above their start values; they already hold them when the program starts.
void SetDisplayStartValues();
