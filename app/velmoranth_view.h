#pragma once
// The view: the one place where OpenGL meets the window. Constructing it starts the analysis
// thread; creating its window makes the context, checks it and builds the scene; every paint
// draws exactly one frame and asks for the next. UI thread only.

#include <chrono>
#include <functional>
#include <memory>

namespace pgui {
class GlView;
struct GrantedFormat;
struct ViewKey;
}  // namespace pgui

class CVelmoranthView {
  public:
    // Starts the analysis thread and waits for it to try the recording device (bounded).
    CVelmoranthView();
    CVelmoranthView(const CVelmoranthView&) = delete;
    CVelmoranthView& operator=(const CVelmoranthView&) = delete;

    // The view's window, for the frame to embed; call once.
    std::unique_ptr<pgui::GlView> TakeWindow();
    pgui::GlView* Window() const { return m_window; }

    // Creates the context and the scene before the frame is shown; false after a fatal
    // message (shut-down has run).
    [[nodiscard]] bool Create();
    // Shut-down with the context current, so the scene's display lists go with their objects.
    void ShutDownApp();

    int FramesDrawn() const { return m_framesDrawn; }
    // Test seam: what makes the context current for a frame; the window's own when empty.
    std::function<bool()> MakeFrameCurrent;

    // Where the view's keys and its context-menu requests (screen pixels) go.
    std::function<void(const pgui::ViewKey&)> OnKey;
    std::function<void(int screenX, int screenY)> OnContextMenu;

  private:
    bool OnCreate();
    void OnSize(int width, int height);
    void OnDraw();
    void DrawCurrentFrame();
    void RefreshPlayerPosition();

    std::unique_ptr<pgui::GlView> m_owned;  // until the frame takes it
    pgui::GlView* m_window = nullptr;
    int m_framesDrawn = 0;
    int m_exitAfterFrames = 0;  // VELMORANTH_EXIT_AFTER_FRAMES; 0 runs until quit
    std::chrono::steady_clock::time_point m_lastPositionRefresh{};
};

// The granted format in one line, as the view reports it on standard error at start-up.
void ReportGrantedFormat(const pgui::GrantedFormat& granted);
