#include "tools/offscreen_gl/x_display.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <thread>

Display* OpenDisplayWaiting() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return nullptr;
    constexpr int kAttempts = 400;  // 400 x 25 ms: far longer than a reset or a start takes
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr)) return display;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return nullptr;
}
