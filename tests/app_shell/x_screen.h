#pragma once
// What the X display shows, for the tests that watch the program from outside. Kept apart
// from Qt's headers (X11's macros break them).

#include <cstdint>
#include <vector>

struct ScreenGrab {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, top row first
};

// The shown top-level window of process `pid` whose title is `title`, or 0.
unsigned long FindTopLevelWindow(const char* title, int pid);
struct ScreenBox {
    int x = 0;  // on the screen
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ScreenBox&) const = default;
};
// Where the window is on the screen and its size; all 0 when it cannot be read.
ScreenBox WindowBox(unsigned long window);
// The deepest window inside `window`, following the largest child at each level (the GL view
// inside the main frame); `window` itself when it has no children.
unsigned long InnermostWindow(unsigned long window);
// The screen's size.
ScreenBox ScreenSize();

// A shown pop-up (a menu) of process `pid`, or 0.
unsigned long FindPopupWindow(int pid);

// The window's contents as the screen shows them; empty when it cannot be read.
ScreenGrab GrabWindow(unsigned long window);
// Asks the window to close, as the window manager's close button does.
bool RequestClose(unsigned long window);

// The window manager keeps the window in its full-screen state (_NET_WM_STATE).
bool HasFullScreenState(unsigned long window);
// A window manager runs on the display (it has set up its _NET_SUPPORTING_WM_CHECK window).
bool WindowManagerRunning();
// The keyboard's focus is on the window or inside it (or, with the focus following the
// pointer, the pointer is over it).
bool FocusInside(unsigned long window);
