#include "platform/gui/main_frame.h"

#include <QCloseEvent>
#include <QMenuBar>

#include "platform/gui/gl_view.h"

namespace pgui {

MainFrame::MainFrame() { menuBar(); }

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

}  // namespace pgui
