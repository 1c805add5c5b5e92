#pragma once
// The quit confirmation "Quit Confirm": Quit ends the program, Cancel lets the dance go on.

#include <QDialog>
#include <functional>

class CQuitConfirm : public QDialog {
  public:
    // quit: posts the quit and shuts the program down.
    explicit CQuitConfirm(std::function<void()> quit);

  protected:
    void accept() override;

  private:
    std::function<void()> m_quit;
};
