#pragma once
// The Qt half of CVelmoranthApp::InitInstance: the main frame with its (still empty) menu
// bar, the view inside it and the message dialog, and what ends the event loop. UI thread
// only; a QApplication must exist.

#include <memory>

#include "app/commands.h"
#include "app/messages.h"

class CVelmoranthView;
namespace pgui {
class CommandMenus;
class MainFrame;
}  // namespace pgui

class VelmoranthShell {
  public:
    VelmoranthShell();
    ~VelmoranthShell();
    VelmoranthShell(const VelmoranthShell&) = delete;
    VelmoranthShell& operator=(const VelmoranthShell&) = delete;

    // Builds the frame and the view, runs the whole start-up inside the view's creation and
    // shows the frame; false when start-up failed (its message has been shown).
    [[nodiscard]] bool InitInstance();

    pgui::MainFrame* Frame() const { return m_frame.get(); }
    CVelmoranthView* View() const { return m_view.get(); }

    // What the commands reach: the dialogs, the frame's display mode, the quit.
    const cmd::Seams& Seams() const { return m_seams; }

  private:
    void ConnectCommands();

    class Dialog final : public MessageDialog {
      public:
        explicit Dialog(VelmoranthShell& shell) : m_shell(shell) {}
        void RunModal(CMessage& message) override;

      private:
        VelmoranthShell& m_shell;
    };

    Dialog m_dialog{*this};
    cmd::Seams m_seams;
    std::unique_ptr<pgui::CommandMenus> m_menus;
    std::unique_ptr<CVelmoranthView> m_view;
    std::unique_ptr<pgui::MainFrame> m_frame;  // goes first, with the view's window in it
};
