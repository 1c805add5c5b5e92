#include "platform/gui/main_frame.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QScreen>

#include "platform/gui/gl_view.h"

namespace pgui {

QRect FirstPlacement(const QRect& area) {
    const int w = area.width();
    const int h = area.height();
    const int cx = static_cast<int>(w * 0.5);
    return QRect(area.x() + static_cast<int>(w * 0.25), area.y() + static_cast<int>(h * 0.2), cx,
                 cx * h / w);
}

MainFrame::MainFrame() { menuBar()->installEventFilter(this); }

void MainFrame::SetView(std::unique_ptr<GlView> view) {
    m_view = view.get();
    QWidget* container = QWidget::createWindowContainer(view.release(), this);
    container->setFocusPolicy(Qt::StrongFocus);  // keys go to the view
    setCentralWidget(container);
    container->setFocus();
}

void MainFrame::closeEvent(QCloseEvent* e) {
    if (!m_closeHook) {
        QMainWindow::closeEvent(e);
        return;
    }
    e->ignore();
    m_closeHook();
}

void MainFrame::keyPressEvent(QKeyEvent* e) {
    // Only keys that no widget of the frame took.
    if (!m_view) {
        QMainWindow::keyPressEvent(e);
        return;
    }
    ForwardKey(e);
}

bool MainFrame::eventFilter(QObject* watched, QEvent* e) {
    QMenuBar* bar = menuBar();
    // An active item means the bar is being navigated: its keys are its own.
    if (watched != bar || e->type() != QEvent::KeyPress || !m_view || bar->activeAction())
        return QMainWindow::eventFilter(watched, e);
    auto* key = static_cast<QKeyEvent*>(e);
    // Alt with a letter opens a menu.
    if (key->modifiers().testFlag(Qt::AltModifier)) return QMainWindow::eventFilter(watched, e);
    ForwardKey(key);
    // The focus goes back where keys are the view's.
    if (QWidget* container = centralWidget()) container->setFocus(Qt::OtherFocusReason);
    return true;
}

void MainFrame::ForwardKey(QKeyEvent* e) {
    QCoreApplication::sendEvent(m_view, e);
    e->accept();
}

void MainFrame::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    if (m_geometryHook) m_geometryHook(geometry());
}

void MainFrame::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (m_geometryHook) m_geometryHook(geometry());
}

void MainFrame::SetFullScreen(bool on, const QRect& windowed) {
    if (on) {
        // The full-screen state is only a request to the window manager; without one nothing
        // acts on it, so the frame is placed over the screen first. A window manager applies
        // the state after that placement; a placement after it would end its full screen.
        if (const QScreen* shown = screen()) setGeometry(shown->geometry());
        showFullScreen();
        return;
    }
    // The window's own last geometry, not one rebuilt from fixed border sizes.
    showNormal();
    if (windowed.isValid()) setGeometry(windowed);
}

}  // namespace pgui
