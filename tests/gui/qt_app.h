#pragma once
// The test binary's one QApplication, made before the first test on the named Qt platform.

#include <QApplication>
#include <QElapsedTimer>
#include <QtGlobal>
#include <gtest/gtest.h>

#include <memory>

class QtAppEnvironment : public ::testing::Environment {
public:
    explicit QtAppEnvironment(const char* platform) : m_platform(platform) {}
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", m_platform);
        static int argc = 1;
        static char name[] = "velmoranth_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    const char* m_platform;
    std::unique_ptr<QApplication> m_app;
};

// Runs the event loop until the condition holds or the time is up; returns the condition.
template <class Condition>
bool ProcessEventsUntil(Condition condition, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return condition();
}
