#pragma once
// SIGINT and SIGTERM end the program through its normal shut-down. The signal handler only
// writes a byte to a pipe; the UI thread's event loop reads it and runs the quit. UI thread
// only; a QCoreApplication must exist. One at a time.

#include <QSocketNotifier>

#include <functional>
#include <memory>

class QuitSignals {
  public:
    explicit QuitSignals(std::function<void()> quit);
    ~QuitSignals();  // the signals' default actions come back
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;
    bool Ok() const { return m_notifier != nullptr; }

  private:
    int m_pipe[2] = {-1, -1};
    std::function<void()> m_quit;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
