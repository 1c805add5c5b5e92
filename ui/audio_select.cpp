#include "ui/audio_select.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

CAudioSelect::CAudioSelect(QWidget* parent, std::vector<audio_select::RecordingDevice> devices)
    : QDialog(parent), m_devices(std::move(devices)) {
    setWindowTitle("Select Audio Source");
    m_list = new QListWidget(this);
    m_list->setObjectName("1019");
    // The rows come sorted and stay in that order, each row's device at the same index.
    for (const audio_select::RecordingDevice& d : m_devices) {
        m_list->addItem(QString::fromStdString(d.name));
    }
    if (m_list->count() > 0) m_list->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
    connect(buttons, &QDialogButtonBox::accepted, this, &CAudioSelect::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAudioSelect::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    // 186 x 89 dialog units at this font.
    const QFontMetrics metrics(font());
    resize(186 * metrics.averageCharWidth() / 4, 89 * metrics.height() / 8);
}

void CAudioSelect::accept() {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    m_chosen = audio_select::ChosenDeviceId(
        m_devices, selected.isEmpty() ? -1 : m_list->row(selected.front()));
    QDialog::accept();
}
