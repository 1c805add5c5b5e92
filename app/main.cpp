// velmoranth: a dancer in a night club, dancing to the music.

#include <QApplication>

#include "app/raytracer_install.h"
#include "app/velmoranth_app.h"
#include "app/velmoranth_shell.h"
#include "app/velmoranth_view.h"

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    InstallRayTracer();
    int status = 1;  // a start-up that fails is a failed run
    {
        VelmoranthShell shell;
        if (shell.InitInstance()) status = qt.exec();
        // Whatever ended the loop, the scene goes while the view's context still exists.
        if (shell.View()) shell.View()->ShutDownApp();
    }
    return theApp.ExitStatus() != 0 ? theApp.ExitStatus() : status;
}
