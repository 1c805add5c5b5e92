#include "tests/app_shell/private_x_server.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

PrivateXServer::PrivateXServer() {
    int ready[2];
    if (pipe(ready) != 0) return;
    const std::string fd = std::to_string(ready[1]);
    m_pid = fork();
    if (m_pid == 0) {
        // The child: only async-signal-safe calls and exec from here on.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(ready[0]);
        // The server picks a free display and writes its number to the pipe once it is ready.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24",
               "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    std::string number;
    char c = 0;
    while (m_pid > 0 && read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    close(ready[0]);
    if (number.empty()) return;
    if (const char* former = std::getenv("DISPLAY")) m_former = former;
    m_display = ":" + number;
    setenv("DISPLAY", m_display.c_str(), 1);
}

PrivateXServer::~PrivateXServer() {
    if (!m_display.empty()) {
        if (m_former)
            setenv("DISPLAY", m_former->c_str(), 1);
        else
            unsetenv("DISPLAY");
    }
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
}
