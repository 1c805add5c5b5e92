#pragma once
// The four pictures of a picture button (up, pushed, focused, disabled), drawn by our own code
// around a symbol, and a button that shows them by its state. UI thread only.

#include <QAbstractButton>
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <functional>

class QPainter;

namespace ui {

// Draws a button's symbol in `ink` on a face of `size` pixels (the brush is set to the ink).
using SymbolPainter = std::function<void(QPainter& p, QSize size, QColor ink)>;

struct ButtonPictures {
    QPixmap up;
    QPixmap down;
    QPixmap focused;
    QPixmap disabled;
};

// The face shade tells up from pushed, a dotted frame marks focus and grey ink disabled.
// `bevel` adds the raised (or, pushed, sunken) edge of a button that is only its picture.
ButtonPictures PaintButtonPictures(QSize size, const SymbolPainter& symbol, bool bevel);

// The pictures as an icon for a push button that draws its own edge: pushed is its checked
// look, focused its active one.
QIcon ButtonIcon(const ButtonPictures& pictures);

// A button that is only its picture, sized to it: pushed while held down, then focused or up;
// the disabled picture while disabled.
class PictureButton : public QAbstractButton {
  public:
    PictureButton(ButtonPictures pictures, QWidget* parent);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    ButtonPictures m_pictures;
};

}  // namespace ui
