#pragma once
// The GL view: a native window with its own OpenGL context (compatibility profile) that
// draws into the window's default framebuffer, so the draw buffers, stencil clears and
// explicit buffer swaps of the renderer work as they are. Never QOpenGLWidget, which draws
// into a framebuffer object of its own.
//
// The frame pump: every paint draws one frame, and the frame asks for the next with
// PostRedraw, a low-priority posted event (the view's private message WM_REDRAW_VIEW).
// Requests are coalesced, and Qt handles pending input and events posted meanwhile before
// the next one, so input flows between frames. There is no timer.
//
// Everything here, hooks included, runs on the UI thread.

#include <QEvent>
#include <QWindow>

#include <functional>
#include <memory>
#include <string>

#include "platform/gui/gl_format.h"

class QOpenGLContext;

namespace pgui {

// The private message WM_REDRAW_VIEW (WM_USER + 300) as a Qt event type.
inline constexpr QEvent::Type kRedrawViewEvent = static_cast<QEvent::Type>(QEvent::User + 300);

struct ViewKey {
    int key = 0;        // Qt::Key
    std::string text;   // UTF-8; empty for keys that type nothing
    bool autoRepeat = false;
    bool shift = false;
    bool control = false;
    bool alt = false;
};

struct ViewHooks {
    // After the context is made, current and before the frame is shown; false fails Create.
    std::function<bool()> create;
    // Context current; the size in device pixels.
    std::function<void(int width, int height)> resize;
    // One frame: makes the context current, draws, swaps, releases and posts the next
    // redraw itself. Never called again while it runs, nor after StopFrames.
    std::function<void()> paint;
    std::function<void(const ViewKey&)> keyPress;
    // Right button released, or the menu key: where the menu opens, in screen pixels.
    std::function<void(int screenX, int screenY)> contextMenu;
};

enum class ViewResult : int { Ok = 0, NoContext, NotCurrent, CreateRefused };
const char* ViewResultText(ViewResult r);

class GlView : public QWindow {
public:
    explicit GlView(ViewHooks hooks);
    ~GlView() override;  // releases the context
    GlView(const GlView&) = delete;
    GlView& operator=(const GlView&) = delete;

    // Probes the format, creates the native window and the context, makes it current, runs
    // the create hook and the first resize, and releases the context. Call it once, before
    // the frame is shown: a native window's pixel format cannot change afterwards.
    [[nodiscard]] ViewResult Create();
    // What the context reports; valid only after Create succeeded.
    const GrantedFormat& Granted() const { return m_granted; }

    [[nodiscard]] bool MakeCurrent();
    void SwapBuffers();
    void DoneCurrent();

    // Asks for one more frame; a request already pending absorbs this one.
    void PostRedraw();
    // No frame is drawn after this, whatever is pending (shut-down).
    void StopFrames() { m_stopped = true; }
    bool FramesStopped() const { return m_stopped; }
    bool InFrame() const { return m_inFrame; }

protected:
    bool event(QEvent* e) override;
    void exposeEvent(QExposeEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void RunFrame();
    int DevicePixels(int logical) const;

    ViewHooks m_hooks;
    std::unique_ptr<QOpenGLContext> m_context;
    GrantedFormat m_granted;
    bool m_created = false;  // Create succeeded: frames and size changes reach the hooks
    bool m_redrawPending = false;
    bool m_inFrame = false;
    bool m_stopped = false;
};

}  // namespace pgui
