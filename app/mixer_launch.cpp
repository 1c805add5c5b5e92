#include "app/mixer_launch.h"

#include <spawn.h>
#include <sys/wait.h>

#include <string>

extern char** environ;

namespace {
// The shell starts the mixer in the background and ends at once, so the mixer is nobody's
// child here and waiting for the shell is immediate.
constexpr const char kScript[] =
    "if command -v pavucontrol >/dev/null 2>&1; then pavucontrol; "
    "else x-terminal-emulator -e alsamixer; fi >/dev/null 2>&1 </dev/null &";
}  // namespace

void StartVolumeMixer() {
    char sh[] = "/bin/sh";
    char dashC[] = "-c";
    std::string script = kScript;
    char* argv[] = {sh, dashC, script.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, sh, nullptr, nullptr, argv, environ) != 0) return;
    int status = 0;
    (void)waitpid(pid, &status, 0);
}
