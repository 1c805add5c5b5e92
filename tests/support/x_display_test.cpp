#include "tools/offscreen_gl/x_display.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
// After gtest: Xlib's macros (None, Bool) would break its headers.
#include <X11/Xlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// A display number no server holds: neither its socket nor its lock file exists. Far above
// the numbers the test displays are given.
int FreeDisplayNumber() {
    for (int number = 300; number < 400; ++number) {
        const std::filesystem::path socket = "/tmp/.X11-unix/X" + std::to_string(number);
        const std::filesystem::path lock = "/tmp/.X" + std::to_string(number) + "-lock";
        if (!std::filesystem::exists(socket) && !std::filesystem::exists(lock)) return number;
    }
    return -1;
}

std::string DisplayName(int number) {
    std::string name = ":";
    name += std::to_string(number);
    return name;
}

// An X server on the given display that starts a moment from now.
pid_t StartServerSoon(int number) {
    // Appended, not prepended: GCC 12 at -O3 takes a prepending join for an overlapping copy.
    std::string command = "sleep 0.3; exec Xvfb ";
    command += DisplayName(number);
    command += " -noreset -nolisten tcp 2>/dev/null";
    const pid_t child = fork();
    if (child == 0) {
        execlp("sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

// The display a test process was pointed at is not taking connections yet (a server starting,
// or one resetting after its last client left): the connection is made once it is.
TEST(XDisplay, WaitsForAServerThatIsNotUpYet) {
    const int number = FreeDisplayNumber();
    ASSERT_GE(number, 0) << "no free display number";
    const char* previous = std::getenv("DISPLAY");
    const std::string kept = previous ? previous : "";
    setenv("DISPLAY", DisplayName(number).c_str(), 1);
    const pid_t server = StartServerSoon(number);
    ASSERT_GT(server, 0);

    Display* display = OpenDisplayWaiting();
    EXPECT_NE(display, nullptr);
    if (display) XCloseDisplay(display);

    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    if (previous)
        setenv("DISPLAY", kept.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

}  // namespace
