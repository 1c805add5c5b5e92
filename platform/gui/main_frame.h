#pragma once
// The main frame: the one top-level window, with a menu bar (empty until the commands fill
// it), no toolbar and no status bar, holding the GL view. UI thread only.

#include <QMainWindow>
#include <functional>
#include <memory>

namespace pgui {

class GlView;

// The frame's first placement in the screen's available area: half the area's width with the
// area's proportions, a quarter of the width in from the left and a fifth of the height down.
QRect FirstPlacement(const QRect& area);

class MainFrame : public QMainWindow {
  public:
    MainFrame();

    // Embeds the view as the frame's client area; the frame owns it from then on.
    void SetView(std::unique_ptr<GlView> view);
    GlView* View() const { return m_view; }

    // A close request (close box, the window manager's Close) calls the hook and leaves the
    // frame open: the hook decides whether the program ends. Without a hook the frame closes.
    void SetCloseHook(std::function<void()> hook) { m_closeHook = std::move(hook); }
    // Every move and resize reports the frame's client geometry (screen pixels).
    void SetGeometryHook(std::function<void(const QRect&)> hook) {
        m_geometryHook = std::move(hook);
    }

    // Full screen fills the screen without borders, the menu bar kept; leaving it puts the
    // frame back in the normal state at the given client geometry.
    void SetFullScreen(bool on, const QRect& windowed);

  protected:
    void closeEvent(QCloseEvent* e) override;
    // A key that reaches the frame or its container (the window manager's focus, after a click
    // or a popup) goes to the view, as one that reaches the view's own window.
    void keyPressEvent(QKeyEvent* e) override;
    // The menu bar keeps the focus after its menu closes when no widget had it before (the
    // view's own window had it), and takes letters for its menus' mnemonics: while it is not
    // being navigated, its keys go to the view too.
    bool eventFilter(QObject* watched, QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    void ForwardKey(QKeyEvent* e);

    GlView* m_view = nullptr;  // owned by its container widget
    std::function<void()> m_closeHook;
    std::function<void(const QRect&)> m_geometryHook;
};

}  // namespace pgui
