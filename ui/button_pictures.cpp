#include "ui/button_pictures.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <utility>

namespace ui {
namespace {

const QColor kFace(0xd4, 0xd0, 0xc8);

QPixmap PaintFace(QSize size, const SymbolPainter& symbol, QColor face, QColor ink, bool focusFrame,
                  int bevel) {
    QPixmap pixmap(size);
    pixmap.fill(face);
    QPainter p(&pixmap);
    const QRectF edge(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    if (bevel != 0) {
        // Light on the top and left of a raised face, dark on the bottom and right.
        const QColor light = bevel > 0 ? Qt::white : QColor(0x40, 0x40, 0x40);
        const QColor dark = bevel > 0 ? QColor(0x40, 0x40, 0x40) : Qt::white;
        p.setPen(light);
        p.drawLine(edge.bottomLeft(), edge.topLeft());
        p.drawLine(edge.topLeft(), edge.topRight());
        p.setPen(dark);
        p.drawLine(edge.topRight(), edge.bottomRight());
        p.drawLine(edge.bottomRight(), edge.bottomLeft());
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    symbol(p, size, ink);
    if (focusFrame) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, 1, Qt::DotLine));
        const double inset = bevel != 0 ? 2.5 : 1.5;  // inside the edge
        p.drawRect(QRectF(inset, inset, size.width() - 2 * inset, size.height() - 2 * inset));
    }
    return pixmap;
}

}  // namespace

ButtonPictures PaintButtonPictures(QSize size, const SymbolPainter& symbol, bool bevel) {
    const int raised = bevel ? 1 : 0;
    return {PaintFace(size, symbol, kFace, Qt::black, false, raised),
            PaintFace(size, symbol, kFace.darker(130), QColor(0, 0, 0x80), false, -raised),
            PaintFace(size, symbol, kFace, Qt::black, true, raised),
            PaintFace(size, symbol, kFace, QColor(0x80, 0x80, 0x80), false, raised)};
}

QIcon ButtonIcon(const ButtonPictures& pictures) {
    QIcon icon;
    icon.addPixmap(pictures.up, QIcon::Normal, QIcon::Off);
    icon.addPixmap(pictures.down, QIcon::Normal, QIcon::On);
    icon.addPixmap(pictures.focused, QIcon::Active, QIcon::Off);
    icon.addPixmap(pictures.disabled, QIcon::Disabled, QIcon::Off);
    return icon;
}

PictureButton::PictureButton(ButtonPictures pictures, QWidget* parent)
    : QAbstractButton(parent), m_pictures(std::move(pictures)) {
    setFixedSize(m_pictures.up.size());
}

QSize PictureButton::sizeHint() const { return m_pictures.up.size(); }

void PictureButton::paintEvent(QPaintEvent*) {
    const QPixmap& picture = !isEnabled() ? m_pictures.disabled
                             : isDown()   ? m_pictures.down
                             : hasFocus() ? m_pictures.focused
                                          : m_pictures.up;
    QPainter(this).drawPixmap(0, 0, picture);
}

}  // namespace ui
