#pragma once
// An X server of the test's own (Xvfb, 1920 by 1080), the display of this process and of the
// programs it starts while it lives. Tests that take the whole screen use one, so that they
// cover no window of the tests running beside them on the shared display.

#include <sys/types.h>

#include <optional>
#include <string>

class PrivateXServer {
  public:
    PrivateXServer();   // waits until the server takes connections
    ~PrivateXServer();  // ends it and gives DISPLAY back its former value
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // False when the server did not start.
    bool Started() const { return !m_display.empty(); }

  private:
    pid_t m_pid = -1;
    std::string m_display;                // ":N"
    std::optional<std::string> m_former;  // DISPLAY before, if it was set
};
