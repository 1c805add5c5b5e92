#pragma once
// X11 and GLX helpers for the window tests, kept apart from Qt's headers (X11's macros
// break them).

#include "platform/gui/gl_format.h"

// The current context's framebuffer configuration as GLX reports it: an oracle that does
// not go through glGet. Not valid without a current GLX context.
pgui::GrantedFormat GlxFormatOfCurrentContext();

// Sends a key press and release per lower-case letter through the X server to the window,
// as a keyboard would. False without a display.
bool SendKeysThroughX(unsigned long window, const char* letters);
// The same for one key named as X names it ("Escape", "Return"). False for an unknown name.
bool SendNamedKeyThroughX(unsigned long window, const char* keyName);

// Loads the GL driver on an X connection of its own that stays open for the rest of the
// process. Closing the last connection unloads the driver, and its few process-lifetime
// allocations would then show up as leaks without a name.
void HoldGlDriverForTheProcess();
