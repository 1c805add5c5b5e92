// velmoranth: a dancer in a night club, dancing to the music.

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/quit_signals.h"
#include "app/raytracer_install.h"
#include "app/velmoranth_app.h"
#include "app/velmoranth_shell.h"
#include "app/velmoranth_view.h"
#include "platform/capture/sdl_capture.h"

namespace {

// Qt's X platform aborts without a display; another platform chosen by QT_QPA_PLATFORM
// needs none.
bool LacksItsDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool onX = !platform || !*platform || std::strncmp(platform, "xcb", 3) == 0;
    const char* display = std::getenv("DISPLAY");
    return onX && (!display || !*display);
}

}  // namespace

int main(int argc, char** argv) {
    if (LacksItsDisplay()) {
        std::fprintf(stderr, "velmoranth: no X display to open (DISPLAY is not set)\n");
        return 1;
    }
    pcapture::KeepSdlOffTheSignals();
    QApplication qt(argc, argv);
    InstallRayTracer();
    int status = 1;  // a start-up that fails is a failed run
    {
        VelmoranthShell shell;
        const QuitSignals quitOnSignal([&shell] {
            if (shell.View()) shell.View()->ShutDownApp();
        });
        if (shell.InitInstance()) status = qt.exec();
        // Whatever ended the loop, the scene goes while the view's context still exists.
        if (shell.View()) shell.View()->ShutDownApp();
    }
    return theApp.ExitStatus() != 0 ? theApp.ExitStatus() : status;
}
