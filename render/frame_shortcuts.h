#pragma once
// Faster ways to draw the same frame: skipping geometry outside the view, drawing opaque
// passes without blending, leaving unused tests off and flushing early so that the GL can
// start filling while the later passes are still being sent. Every shortcut leaves the image
// exactly as the plain drawing makes it. UI thread only.

// On at start; a test turns it off to draw the plain reference of the same frame.
extern bool FrameShortcuts;
