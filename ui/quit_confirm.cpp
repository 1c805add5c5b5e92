#include "ui/quit_confirm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialog_support.h"

namespace {
constexpr int kPictureWidth = 144;
constexpr int kPictureHeight = 165;
constexpr int kQuitMotif = 3;
}  // namespace

CQuitConfirm::CQuitConfirm(std::function<void()> quit) : m_quit(std::move(quit)) {
    setWindowTitle("Quit Confirm");
    ui::UseWhiteBackground(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(ui::DrawPicture(kPictureWidth, kPictureHeight, kQuitMotif));
    auto* quitButton = new QPushButton("Quit", this);
    auto* cancelButton = new QPushButton("Cancel", this);
    quitButton->setDefault(true);
    connect(quitButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel("Bye Bye!", this));
    texts->addWidget(new QLabel("Lets do this again!", this));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(quitButton);
    buttons->addWidget(cancelButton);
    texts->addLayout(buttons);
    texts->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(picture);
    layout->addLayout(texts);
}

void CQuitConfirm::accept() {
    // The dialog closes (clearing its flag) before shut-down ends the event loop.
    QDialog::accept();
    if (m_quit) m_quit();
}
