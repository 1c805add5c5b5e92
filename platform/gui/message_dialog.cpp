#include "platform/gui/message_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

namespace pgui {
namespace {

QImage MessagePicture();
void Place(QWidget* control, int x, int y, int width, int height);

// The dialog's layout is given in dialog units; two pixels each way at the dialog's font.
constexpr int kPixelsPerUnit = 2;
constexpr int kPictureWidth = 144;  // pixels: the picture fills its 72 x 83 units
constexpr int kPictureHeight = 165;

// A spot light's cone over a dark club wall and a warning mark: drawn here, not loaded.
QImage MessagePicture() {
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wall(0, 0, 0, kPictureHeight);
    wall.setColorAt(0.0, QColor(40, 12, 70));
    wall.setColorAt(1.0, QColor(6, 2, 12));
    painter.fillRect(image.rect(), wall);

    QPainterPath cone;
    cone.moveTo(72, 0);
    cone.lineTo(10, 150);
    cone.lineTo(134, 150);
    cone.closeSubpath();
    painter.fillPath(cone, QColor(255, 200, 60, 70));
    painter.setBrush(QColor(255, 128, 0));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(72, 96), 34, 34);
    painter.setBrush(QColor(20, 6, 30));
    painter.drawRoundedRect(QRectF(66, 70, 12, 36), 5, 5);
    painter.drawEllipse(QPointF(72, 118), 7, 7);
    return image;
}

void Place(QWidget* control, int x, int y, int width, int height) {
    control->setGeometry(x * kPixelsPerUnit, y * kPixelsPerUnit, width * kPixelsPerUnit,
                         height * kPixelsPerUnit);
}

}  // namespace

void ShowMessageDialog(QWidget* parent, const std::string& text, bool dontDisplayEnabled,
                       const std::function<void(bool ticked)>& onDontDisplay) {
    // A parent makes the dialog transient for it, so it stays above a full-screen frame.
    QDialog dialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowCloseButtonHint);
    dialog.setWindowTitle("Opps!");
    dialog.setFixedSize(173 * kPixelsPerUnit, 84 * kPixelsPerUnit);
    QPalette white = dialog.palette();  // every dialog of the program is plain white
    white.setColor(QPalette::Window, Qt::white);
    dialog.setPalette(white);
    dialog.setAutoFillBackground(true);

    auto* picture = new QLabel(&dialog);  // children are owned by the dialog
    picture->setObjectName("picture");
    picture->setPixmap(QPixmap::fromImage(MessagePicture()));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Place(picture, 0, 0, 72, 83);

    auto* message = new QLabel(QString::fromStdString(text), &dialog);
    message->setObjectName("text");
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Place(message, 75, 1, 98, 46);

    auto* dontDisplay = new QCheckBox("Don't display this error", &dialog);
    dontDisplay->setObjectName("dontDisplay");
    dontDisplay->setEnabled(dontDisplayEnabled);
    Place(dontDisplay, 79, 51, 91, 10);
    QObject::connect(dontDisplay, &QCheckBox::clicked, &dialog, [&onDontDisplay](bool ticked) {
        if (onDontDisplay) onDontDisplay(ticked);
    });

    auto* ok = new QPushButton("OK", &dialog);
    ok->setObjectName("ok");
    ok->setDefault(true);
    Place(ok, 97, 64, 40, 14);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);

    dialog.exec();
}

}  // namespace pgui
