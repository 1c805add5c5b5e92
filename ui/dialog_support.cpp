#include "ui/dialog_support.h"

#include <QDialog>
#include <QLinearGradient>
#include <QPainter>
#include <QPalette>
#include <QRadialGradient>

namespace ui {

void UseWhiteBackground(QWidget* dialog) {
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Button, Qt::white);
    dialog->setPalette(palette);
    dialog->setAutoFillBackground(true);
}

QPixmap DrawPicture(int width, int height, int motif) {
    QPixmap picture(width, height);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    // A club at night: a dark floor, a coloured spot light and a dancer's silhouette.
    QLinearGradient room(0, 0, 0, height);
    room.setColorAt(0.0, QColor(20, 10, 40));
    room.setColorAt(1.0, QColor(60, 20, 70));
    p.fillRect(picture.rect(), room);
    const QColor spot = QColor::fromHsv((motif * 97) % 360, 200, 255, 160);
    QRadialGradient light(width * 0.5, height * 0.2, width * 0.6);
    light.setColorAt(0.0, spot);
    light.setColorAt(1.0, Qt::transparent);
    p.fillRect(picture.rect(), light);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(10, 5, 15));
    const double cx = width * 0.5;
    const double unit = height / 10.0;
    p.drawEllipse(QPointF(cx, unit * 2.5), unit * 0.7, unit * 0.8);  // head
    p.drawRoundedRect(QRectF(cx - unit * 0.8, unit * 3.3, unit * 1.6, unit * 3.2), 6, 6);
    p.drawRect(QRectF(cx - unit * 0.7, unit * 6.4, unit * 0.5, unit * 3.0));  // legs
    p.drawRect(QRectF(cx + unit * 0.2, unit * 6.4, unit * 0.5, unit * 3.0));
    return picture;
}

void ShowModeless(QDialog* dialog, QWidget* owner, int& openFlag) {
    // A parent makes the dialog transient for the owner's window and frees it with the owner.
    dialog->setParent(owner, dialog->windowFlags() | Qt::Dialog);
    dialog->setModal(false);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    openFlag = 1;
    QObject::connect(dialog, &QDialog::finished, dialog, [&openFlag] { openFlag = 0; });
    dialog->show();
}

}  // namespace ui
