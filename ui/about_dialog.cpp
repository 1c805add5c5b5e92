#include "ui/about_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/dialog_support.h"

namespace {
// The two pictures' sizes in pixels: a tall one on the left, a wide one beside it.
constexpr int kTallWidth = 144;
constexpr int kTallHeight = 359;
constexpr int kWideWidth = 284;
constexpr int kWideHeight = 243;
}  // namespace

CAboutDlg::CAboutDlg() {
    setWindowTitle("About velmoranth");
    ui::UseWhiteBackground(this);
    auto* tall = new QLabel(this);
    tall->setPixmap(ui::DrawPicture(kTallWidth, kTallHeight, 1));
    auto* wide = new QLabel(this);
    wide->setPixmap(ui::DrawPicture(kWideWidth, kWideHeight, 2));
    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QGridLayout(this);
    layout->addWidget(tall, 0, 0, 2, 1);
    layout->addWidget(wide, 0, 1);
    layout->addWidget(ok, 1, 1, Qt::AlignCenter);
}
