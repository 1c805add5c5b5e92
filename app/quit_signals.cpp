#include "app/quit_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};
std::atomic<int> g_writeEnd{-1};

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a quit request; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t ignored = write(g_writeEnd.load(), &byte, 1);
    errno = saved;
}

void SetAction(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> quit) : m_quit(std::move(quit)) {
    if (pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    g_writeEnd.store(m_pipe[1]);
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
        char bytes[16];
        while (read(m_pipe[0], bytes, sizeof bytes) > 0) {
        }
        if (m_quit) m_quit();
    });
    SetAction(&OnSignal);
}

QuitSignals::~QuitSignals() {
    if (m_notifier) SetAction(SIG_DFL);
    m_notifier.reset();
    g_writeEnd.store(-1);
    for (int fd : m_pipe) {
        if (fd >= 0) close(fd);
    }
}
