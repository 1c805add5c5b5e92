#pragma once
// The main frame: the one top-level window, with a menu bar (empty until the commands fill
// it), no toolbar and no status bar, holding the GL view. UI thread only.

#include <QMainWindow>

#include <functional>
#include <memory>

namespace pgui {

class GlView;

class MainFrame : public QMainWindow {
public:
    MainFrame();

    // Embeds the view as the frame's client area; the frame owns it from then on.
    void SetView(std::unique_ptr<GlView> view);
    GlView* View() const { return m_view; }

    // A close request (close box, the window manager's Close) calls the hook and leaves the
    // frame open: the hook decides whether the program ends. Without a hook the frame closes.
    void SetCloseHook(std::function<void()> hook) { m_closeHook = std::move(hook); }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    GlView* m_view = nullptr;  // owned by its container widget
    std::function<void()> m_closeHook;
};

}  // namespace pgui
