#pragma once
// Turns a GIF file into an OpenGL texture set up by a display list.

#include <GL/gl.h>

// Returns the texture id, which is also the name of the display list that binds and uploads
// the texture, or 0 on failure. smooth: repeat wrapping and linear filtering, else clamped
// and nearest.
GLuint LoadGifTexture(const char* path, bool smooth);
