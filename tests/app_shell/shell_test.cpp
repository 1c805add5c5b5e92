// The shell in-process: start-up inside the view's creation, the frame pump and shut-down.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <filesystem>
#include <fstream>

#include "animation/human_object.h"
#include "app/settings_globals.h"
#include "app/shell_state.h"
#include "app/velmoranth_shell.h"
#include "app/velmoranth_view.h"
#include "audio/analysis_thread.h"
#include "platform/gui/gl_view.h"
#include "platform/gui/main_frame.h"
#include "render/frame_hooks.h"
#include "render/scene_state.h"
#include "tests/app_shell/in_process.h"
#include "tests/gui/qt_app.h"
#include "tests/gui/x11_probe.h"

namespace {

// Counts the key presses that reach the view's window.
class KeyCounter final : public QObject {
  public:
    int presses = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) ++presses;
        return QObject::eventFilter(watched, event);
    }
};

TEST(Shell, PumpDrawsWhileKeysArriveAndStopsAtShutDown) {
    constexpr int kFramesBeforeKeys = 20;
    constexpr int kFramesAfterKeys = 20;
    InProcessShell inRunFolder;
    HoldGlDriverForTheProcess();
    ShellQtApp qt;
    VelmoranthShell shell;
    ASSERT_TRUE(shell.InitInstance());
    EXPECT_EQ(GLReady, 1);
    EXPECT_EQ(StereoAvailable, 0);  // Xvfb has no stereo visual
    EXPECT_EQ(StencilShadowsUsable, 1);
    EXPECT_EQ(shell.Frame()->windowTitle().toStdString(), "velmoranth");

    CVelmoranthView& view = *shell.View();
    KeyCounter keys;
    view.Window()->installEventFilter(&keys);
    ASSERT_TRUE(ProcessEventsUntil([&] { return view.FramesDrawn() >= kFramesBeforeKeys; }, 60000));
    EXPECT_EQ(RequestedRenderEngine, -1);
    EXPECT_EQ(RenderEngine, 0);
    ASSERT_TRUE(SendKeysThroughX(view.Window()->winId(), "qfs"));
    ASSERT_TRUE(ProcessEventsUntil([&] { return keys.presses == 3; }, 30000));
    const int framesAtKeys = view.FramesDrawn();
    EXPECT_TRUE(ProcessEventsUntil(
        [&] { return view.FramesDrawn() >= framesAtKeys + kFramesAfterKeys; }, 60000));

    // Closing the frame quits through the shut-down, and no frame follows it.
    shell.Frame()->close();
    EXPECT_EQ(ShutDownStarted, 1);
    EXPECT_EQ(Dancer, nullptr);
    EXPECT_EQ(ClubModel, nullptr);
    EXPECT_EQ(AudioThreadStop.load(), 1);  // the analysis thread has ended
    const int framesAtShutDown = view.FramesDrawn();
    ProcessEventsUntil([] { return false; }, 300);
    EXPECT_EQ(view.FramesDrawn(), framesAtShutDown);
}

}  // namespace
