#pragma once
// Waiting for what the program shows from outside it: a condition, or one of its windows.

#include <chrono>
#include <functional>
#include <thread>

#include "tests/app_shell/program_run.h"
#include "tests/app_shell/x_screen.h"

// Waits until the condition holds; false when it did not in time.
inline bool WaitUntil(const std::function<bool()>& condition, int seconds = 30) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Waits for the run's shown window; 0 when it did not appear in time.
inline unsigned long WaitForWindow(const ProgramRun& run, const char* title) {
    unsigned long window = 0;
    WaitUntil([&] { return (window = FindTopLevelWindow(title, run.Pid())) != 0; }, 60);
    return window;
}
