// The shell in-process: start-up inside the view's creation, the frame pump and shut-down.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/human_object.h"
#include "animation/view_state.h"
#include "app/settings_globals.h"
#include "app/shell_state.h"
#include "app/velmoranth_app.h"
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
#include "ui/cam_adjust.h"
#include "ui/quit_confirm.h"

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

    // While the context cannot be made current no frame is drawn, but the pump keeps trying,
    // and frames follow again once it can.
    int tries = 0;
    view.MakeFrameCurrent = [&] {
        ++tries;
        return false;
    };
    const int framesAtLostContext = view.FramesDrawn();
    EXPECT_TRUE(ProcessEventsUntil([&] { return tries >= 5; }, 30000));
    EXPECT_EQ(view.FramesDrawn(), framesAtLostContext);
    view.MakeFrameCurrent = nullptr;
    EXPECT_TRUE(ProcessEventsUntil(
        [&] { return view.FramesDrawn() >= framesAtLostContext + 5; }, 60000));

    // Q in a window asks for confirmation, F goes to full screen.
    EXPECT_EQ(theApp.QuitDialogOpen, 1);
    EXPECT_EQ(FullScreen, 1);
    // A close request while the confirmation is open opens no second one and ends nothing.
    shell.Frame()->close();
    EXPECT_EQ(ShutDownStarted, 0);
    const auto confirmations = shell.Frame()->findChildren<CQuitConfirm*>();
    ASSERT_EQ(confirmations.size(), 1);
    EXPECT_TRUE(confirmations[0]->isVisible());

    // Every popup shows its update rules' labels the first time it opens.
    std::vector<std::string> labels;
    for (QAction* popup : shell.Frame()->menuBar()->actions()) {
        QMenu* menu = popup->menu();
        emit menu->aboutToShow();
        for (QAction* item : menu->actions()) labels.push_back(item->text().toStdString());
    }
    const auto shows = [&](const char* label) {
        return std::find(labels.begin(), labels.end(), label) != labels.end();
    };
    EXPECT_TRUE(shows("Hide &Club"));
    EXPECT_TRUE(shows("Pause &Dance"));
    EXPECT_TRUE(shows("Dance When &Silent"));
    EXPECT_FALSE(shows("Club Rendering"));
    EXPECT_FALSE(shows("Virtual Reality"));

    // Adj Camera switches to the manual camera at once and shows the pad; the frames move the
    // camera while a pad button is held, and not once the pad is closed.
    ASSERT_EQ(CameraMode, 0);
    cmd::Run(cmd::kAdjCamera, shell.Seams());
    EXPECT_EQ(CameraMode, 1);
    EXPECT_EQ(theApp.CamAdjustOpen, 1);
    EXPECT_FALSE(cmd::Update(cmd::kAdjCamera, shell.Seams()).enabled);
    const auto pads = shell.Frame()->findChildren<CCamAdjust*>();
    ASSERT_EQ(pads.size(), 1);
    QPointer<CCamAdjust> pad = pads[0];
    EXPECT_EQ(CamAdjustDialog, pad.data());
    pad->findChild<QAbstractButton*>("1013")->setDown(true);  // Wide
    const float fov = ManualCamera->fov;
    EXPECT_TRUE(ProcessEventsUntil([&] { return ManualCamera->fov > fov; }, 30000));
    pad->close();
    EXPECT_EQ(theApp.CamAdjustOpen, 0);
    EXPECT_TRUE(cmd::Update(cmd::kAdjCamera, shell.Seams()).enabled);
    const float closedFov = ManualCamera->fov;
    const int framesAtClose = view.FramesDrawn();
    ASSERT_TRUE(ProcessEventsUntil([&] { return view.FramesDrawn() >= framesAtClose + 5; }, 60000));
    EXPECT_EQ(ManualCamera->fov, closedFov);
    EXPECT_TRUE(pad.isNull());
    EXPECT_EQ(CamAdjustDialog, nullptr);

    // Quit shuts down once, and no frame follows it.
    const auto buttons = confirmations[0]->findChildren<QPushButton*>();
    const auto quit = std::find_if(buttons.begin(), buttons.end(),
                                   [](QPushButton* b) { return b->text() == "Quit"; });
    ASSERT_NE(quit, buttons.end());
    (*quit)->click();
    EXPECT_EQ(ShutDownStarted, 1);
    EXPECT_EQ(Dancer, nullptr);
    EXPECT_EQ(ClubModel, nullptr);
    EXPECT_EQ(AudioThreadStop.load(), 1);  // the analysis thread has ended
    const int framesAtShutDown = view.FramesDrawn();
    ProcessEventsUntil([] { return false; }, 300);
    EXPECT_EQ(view.FramesDrawn(), framesAtShutDown);
}

}  // namespace
