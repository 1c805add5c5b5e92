#include "ui/cam_adjust.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <cmath>

#include "ui/button_pictures.h"

namespace {

struct PadButton {
    int controlId;
    int x, y;       // dialog units
    QSize picture;  // pixels; the button is its picture's size
};

constexpr int kFirstControlId = 1009;
// In control id order. The places overlap their neighbours by a pixel or two, as the pictures
// are a little larger than the places they were laid out for.
const std::array<PadButton, 8> kPadButtons = {{
    {1009, 0, 0, {60, 29}},
    {1010, 0, 14, {60, 51}},
    {1011, 0, 39, {30, 70}},
    {1012, 15, 39, {30, 70}},
    {1013, 29, 0, {56, 39}},
    {1014, 29, 19, {56, 42}},
    {1015, 29, 40, {56, 32}},
    {1016, 29, 55, {56, 38}},
}};

// The pad's dialog units are those of a 10-point system font: two pixels each way.
constexpr int kPixelsPerUnit = 2;
constexpr QSize kPadUnits(57, 74);

// A block arrow across the face, pointing along (dx, dy) (one of them 0).
void Arrow(QPainter& p, QSize size, int dx, int dy) {
    const double w = size.width();
    const double h = size.height();
    const double half = 0.3 * std::min(w, h);  // half the head's width
    // Along the arrow from its tail (-1) to its tip (1), across it from -1 to 1.
    const auto at = [&](double along, double across) {
        const double length = dx != 0 ? 0.35 * w : 0.35 * h;
        return QPointF(w / 2 + (dx * along * length) + (dy != 0 ? across * half : 0),
                       h / 2 + (dy * along * length) + (dx != 0 ? across * half : 0));
    };
    const QPolygonF arrow = {at(1, 0),     at(0.1, 1),    at(0.1, 0.4), at(-1, 0.4),
                             at(-1, -0.4), at(0.1, -0.4), at(0.1, -1)};
    p.drawPolygon(arrow);
}

// A magnifying glass with a plus (closer) or a minus (farther).
void Magnifier(QPainter& p, QSize size, QColor ink, bool plus) {
    const double r = 0.3 * std::min(size.width(), size.height());
    const QPointF centre(size.width() / 2.0 - 0.3 * r, size.height() / 2.0 - 0.3 * r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 3));
    p.drawEllipse(centre, r, r);
    p.setPen(QPen(ink, 4, Qt::SolidLine, Qt::RoundCap));
    const double diagonal = r / std::sqrt(2.0);
    p.drawLine(centre + QPointF(diagonal, diagonal), centre + QPointF(2 * diagonal, 2 * diagonal));
    p.setPen(QPen(ink, 2));
    p.drawLine(centre - QPointF(r * 0.5, 0), centre + QPointF(r * 0.5, 0));
    if (plus) p.drawLine(centre - QPointF(0, r * 0.5), centre + QPointF(0, r * 0.5));
}

// A camera on the left and its field of view opening to the right, wide or narrow.
void FieldOfView(QPainter& p, QSize size, QColor ink, bool wide) {
    const double w = size.width();
    const double h = size.height();
    const QPointF lens(0.3 * w, h / 2);
    p.drawRect(QRectF(0.12 * w, h / 2 - 0.12 * h, 0.16 * w, 0.24 * h));
    const double spread = (wide ? 0.38 : 0.12) * h;
    QPainterPath cone;
    cone.moveTo(lens);
    cone.lineTo(0.88 * w, h / 2 - spread);
    cone.lineTo(0.88 * w, h / 2 + spread);
    cone.closeSubpath();
    p.setBrush(QColor(ink.red(), ink.green(), ink.blue(), 60));
    p.setPen(QPen(ink, 1.5));
    p.drawPath(cone);
}

const CamAdjustButton& Polled(int controlId) {
    for (const CamAdjustButton& b : kCamAdjustButtons)
        if (b.controlId == controlId) return b;
    return kCamAdjustButtons[0];  // every pad button is polled
}

// What the move does, not what the caption says ("CAM_IN" moves the camera away). The arrows
// point as the keys that make the same moves: Left orbits left, Up orbits up.
void PaintMove(CamMove move, QPainter& p, QSize size, QColor ink) {
    switch (move) {
        case CamMove::ZoomIn:
            Magnifier(p, size, ink, true);
            break;
        case CamMove::ZoomOut:
            Magnifier(p, size, ink, false);
            break;
        case CamMove::OrbitLeft:
            Arrow(p, size, -1, 0);
            break;
        case CamMove::OrbitRight:
            Arrow(p, size, 1, 0);
            break;
        case CamMove::WidenView:
            FieldOfView(p, size, ink, true);
            break;
        case CamMove::NarrowView:
            FieldOfView(p, size, ink, false);
            break;
        case CamMove::OrbitUp:
            Arrow(p, size, 0, -1);
            break;
        case CamMove::OrbitDown:
            Arrow(p, size, 0, 1);
            break;
    }
}

ui::ButtonPictures PadPictures(const PadButton& b) {
    const CamMove move = Polled(b.controlId).move;
    return ui::PaintButtonPictures(
        b.picture,
        [move](QPainter& p, QSize size, QColor ink) { PaintMove(move, p, size, ink); }, true);
}

}  // namespace

CCamAdjust::CCamAdjust(QWidget* parent) : QDialog(parent) {
    setObjectName("CamAdjust");
    setWindowTitle("Cam Adj");
    setModal(false);
    setFixedSize(kPadUnits * kPixelsPerUnit);
    for (std::size_t i = 0; i < kPadButtons.size(); ++i) {
        const PadButton& b = kPadButtons[i];
        auto* button = new ui::PictureButton(PadPictures(b), this);  // owned by the dialog
        button->setObjectName(QString::number(b.controlId));
        button->setAccessibleName(Polled(b.controlId).caption);
        button->move(b.x * kPixelsPerUnit, b.y * kPixelsPerUnit);
        m_buttons[i] = button;
    }
    CamAdjustDialog = this;
}

CCamAdjust::~CCamAdjust() {
    if (CamAdjustDialog == this) CamAdjustDialog = nullptr;
}

bool CCamAdjust::IsButtonPushed(int controlId) const {
    const int index = controlId - kFirstControlId;
    if (!isVisible() || index < 0 || index >= static_cast<int>(m_buttons.size())) return false;
    return m_buttons[static_cast<std::size_t>(index)]->isDown();
}

void CCamAdjust::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
