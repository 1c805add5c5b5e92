#pragma once
// Opening the X display named by DISPLAY, waiting while its server cannot take connections.

// Xlib's own name for a connection; its header is left out, as its macros clash with others.
typedef struct _XDisplay Display;

// An X server started without -noreset (a plain xvfb-run) resets whenever its last client
// leaves and refuses connections until it is back, and a server just started takes a moment:
// a process starting then waits for it instead of finding no display. Null without DISPLAY,
// or when no server answers within 10 s.
Display* OpenDisplayWaiting();
