#include "app/velmoranth_shell.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "app/velmoranth_app.h"
#include "app/velmoranth_view.h"
#include "platform/gui/gl_view.h"
#include "platform/gui/main_frame.h"
#include "platform/gui/message_dialog.h"

namespace {

// The frame's first placement: half the screen's width, the screen's proportions, a quarter
// of the width in from the left and a fifth of the height down.
QRect FirstPlacement() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int w = area.width();
    const int h = area.height();
    const int cx = static_cast<int>(w * 0.5);
    return QRect(area.x() + static_cast<int>(w * 0.25), area.y() + static_cast<int>(h * 0.2), cx,
                 cx * h / w);
}

}  // namespace

VelmoranthShell::VelmoranthShell() = default;

VelmoranthShell::~VelmoranthShell() {
    SetMessageDialog(nullptr);
    theApp.SetQuitHandler(nullptr);
}

void VelmoranthShell::Dialog::RunModal(CMessage& message) {
    // Transient for the frame, so it stays above it even in full screen.
    pgui::ShowMessageDialog(m_shell.m_frame.get(), message.Text(), message.DontDisplayEnabled(),
                            [&message](bool ticked) { message.OnDontDisplay(ticked); });
}

bool VelmoranthShell::InitInstance() {
    SetMessageDialog(&m_dialog);
    theApp.ConnectFatalMessages();
    m_frame = std::make_unique<pgui::MainFrame>();
    m_frame->setWindowTitle("velmoranth");
    m_frame->setGeometry(FirstPlacement());
    m_view = std::make_unique<CVelmoranthView>();
    m_frame->SetView(m_view->TakeWindow());
    theApp.SetQuitHandler([this](int status) {
        m_view->Window()->StopFrames();
        QCoreApplication::exit(status);
    });
    // Closing the frame quits through the normal shut-down.
    m_frame->SetCloseHook([this] { m_view->ShutDownApp(); });
    if (!m_view->Create()) return false;
    m_frame->show();
    return true;
}
