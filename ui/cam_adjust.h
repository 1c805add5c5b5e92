#pragma once
// The "Cam Adj" pad: eight picture buttons that move the manual camera while one is held down.
// The pad handles no click: the frame asks it every frame which button is held, through
// CamAdjustDialog, which points at the newest pad from its construction until it is destroyed.
// UI thread only.

#include <QDialog>
#include <array>

#include "animation/auto_camera.h"

class QAbstractButton;

class CCamAdjust : public QDialog, public CamAdjustButtons {
    Q_OBJECT

  public:
    explicit CCamAdjust(QWidget* parent = nullptr);
    ~CCamAdjust() override;

    // Held down on a shown pad; a hidden pad has nothing held.
    bool IsButtonPushed(int controlId) const override;

  protected:
    // Enter closes the pad as Esc and the close box do.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::array<QAbstractButton*, 8> m_buttons{};  // owned by the dialog, in control id order
};
