#include "ui/audio_player.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <utility>

#include "ui/button_pictures.h"

namespace {

enum class Symbol { SkipBack, Stop, Pause, Play, SkipForward };

constexpr int kIconSize = 24;

// One transport symbol, drawn on a 24-pixel face.
void PaintSymbol(Symbol symbol, QPainter& p) {
    const auto triangle = [&p](qreal x0, qreal x1) {
        QPainterPath path;
        path.moveTo(x0, 6);
        path.lineTo(x1, 12);
        path.lineTo(x0, 18);
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (symbol) {
        case Symbol::SkipBack:
            p.drawRect(QRectF(6, 6, 2.5, 12));
            triangle(18, 9);
            break;
        case Symbol::Stop:
            p.drawRect(QRectF(7, 7, 10, 10));
            break;
        case Symbol::Pause:
            p.drawRect(QRectF(7, 6, 3.5, 12));
            p.drawRect(QRectF(13.5, 6, 3.5, 12));
            break;
        case Symbol::Play:
            triangle(8, 18);
            break;
        case Symbol::SkipForward:
            triangle(6, 15);
            p.drawRect(QRectF(15.5, 6, 2.5, 12));
            break;
    }
}

// The four pictures of a button: up, down (shown while pressed), focused and disabled.
QIcon TransportIcon(Symbol symbol) {
    return ui::ButtonIcon(ui::PaintButtonPictures(
        QSize(kIconSize, kIconSize),
        [symbol](QPainter& p, QSize, QColor) { PaintSymbol(symbol, p); }, false));
}

QPushButton* TransportButton(QWidget* parent, int id, const char* name, Symbol symbol) {
    auto* button = new QPushButton(parent);  // owned by the dialog
    button->setObjectName(QString::number(id));
    button->setAccessibleName(name);
    button->setIcon(TransportIcon(symbol));
    button->setIconSize(QSize(kIconSize, kIconSize));
    button->setCheckable(true);  // "checked" is the pressed look of the playing or paused state
    return button;
}

void Show(QPushButton* button, const player::TransportButton& state) {
    const QSignalBlocker block(button);
    button->setEnabled(state.enabled);
    button->setChecked(state.pressed);
}

}  // namespace

AudioPlayer::AudioPlayer(QWidget* parent, player::SongPickers pickers,
                         std::function<void()> onClose)
    : QDialog(parent), m_pickers(std::move(pickers)), m_onClose(std::move(onClose)) {
    setObjectName("AudioPlayer");
    setWindowTitle("Audio Player");
    setModal(false);
    BuildControls();
    Connect();
    player::SetControlsObserver([this] { ShowControls(); });
    player::UpdateControls(-1);
}

AudioPlayer::~AudioPlayer() { player::SetControlsObserver({}); }

void AudioPlayer::BuildControls() {
    m_status = new QLabel(this);
    m_status->setObjectName("1073");
    m_loadByFile = new QPushButton("Load by File", this);
    m_loadByFile->setObjectName("1074");
    m_loadByDir = new QPushButton("Load by Dir", this);
    m_loadByDir->setObjectName("1079");
    m_close = new QPushButton("Close", this);
    m_close->setObjectName("1075");
    m_transport = {TransportButton(this, 1068, "AUDIO_SKIP_BACK", Symbol::SkipBack),
                   TransportButton(this, 1069, "AUDIO_STOP", Symbol::Stop),
                   TransportButton(this, 1070, "AUDIO_PAUSE", Symbol::Pause),
                   TransportButton(this, 1071, "AUDIO_PLAY", Symbol::Play),
                   TransportButton(this, 1072, "AUDIO_SKIP_FOR", Symbol::SkipForward)};
    m_volume = new QSlider(Qt::Vertical, this);
    m_volume->setObjectName("1076");
    m_volume->setRange(0, 100);
    // Position 0 at the top: full volume; the wheel and the Up key move the handle up too.
    m_volume->setInvertedAppearance(true);
    m_volume->setInvertedControls(true);
    m_volume->setTickPosition(QSlider::NoTicks);
    m_position = new QSlider(Qt::Horizontal, this);
    m_position->setObjectName("1081");
    m_position->setRange(0, 100);
    m_position->setTickPosition(QSlider::NoTicks);
    m_repeatOne = new QCheckBox("Repeat One", this);
    m_repeatOne->setObjectName("1077");
    m_repeatAll = new QCheckBox("Repeat All", this);
    m_repeatAll->setObjectName("1078");

    auto* transport = new QHBoxLayout;
    for (QPushButton* b : m_transport) transport->addWidget(b);
    auto* repeats = new QHBoxLayout;
    repeats->addWidget(m_repeatOne);
    repeats->addWidget(m_repeatAll);
    auto* left = new QVBoxLayout;
    left->addWidget(m_status);
    left->addLayout(transport);
    left->addWidget(m_position);
    left->addLayout(repeats);
    auto* volume = new QVBoxLayout;
    volume->addWidget(new QLabel("Volume", this));
    volume->addWidget(m_volume, 1, Qt::AlignHCenter);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_loadByFile);
    buttons->addWidget(m_loadByDir);
    buttons->addStretch();
    buttons->addWidget(m_close);
    auto* grid = new QGridLayout(this);
    grid->addLayout(left, 0, 0);
    grid->addLayout(volume, 0, 1);
    grid->addLayout(buttons, 0, 2);
    // 195 x 95 dialog units: a quarter of the font's mean character width by an eighth of its
    // height.
    const QFontMetrics metrics(font());
    resize(195 * metrics.averageCharWidth() / 4, 95 * metrics.height() / 8);
}

void AudioPlayer::Connect() {
    const std::array<void (*)(), 5> transport = {&player::OnSkipBack, &player::OnStop,
                                                 &player::OnPause, &player::OnPlay,
                                                 &player::OnSkipForward};
    for (std::size_t i = 0; i < transport.size(); ++i) {
        connect(m_transport[i], &QPushButton::clicked, this, [this, fn = transport[i]] {
            fn();
            ShowControls();  // a failed Play changes nothing, but the click toggled the button
        });
    }
    connect(m_volume, &QSlider::valueChanged, this, [](int v) { player::OnVolumeSlider(v); });
    connect(m_position, &QSlider::valueChanged, this, [](int v) { player::OnPositionSlider(v); });
    connect(m_repeatOne, &QCheckBox::clicked, this, [this](bool checked) {
        player::OnRepeatOne(checked);
        ShowControls();
    });
    connect(m_repeatAll, &QCheckBox::clicked, this, [this](bool checked) {
        player::OnRepeatAll(checked);
        ShowControls();
    });
    connect(m_loadByFile, &QPushButton::clicked, this, [this] { player::OnLoadByFile(m_pickers); });
    connect(m_loadByDir, &QPushButton::clicked, this, [this] { player::OnLoadByDir(m_pickers); });
    connect(m_close, &QPushButton::clicked, this, [this] { OnClose(); });
}

void AudioPlayer::ShowControls() {
    const player::PlayerControls& c = player::Controls();
    m_status->setText(QString::fromStdString(c.status));
    const std::array<const player::TransportButton*, 5> states = {&c.skipBack, &c.stop, &c.pause,
                                                                  &c.play, &c.skipForward};
    for (std::size_t i = 0; i < states.size(); ++i) Show(m_transport[i], *states[i]);
    {
        const QSignalBlocker block(m_volume);
        m_volume->setValue(c.volumeSlider);
    }
    if (!m_position->isSliderDown()) {
        const QSignalBlocker block(m_position);
        m_position->setValue(c.positionSlider);
    }
    const QSignalBlocker one(m_repeatOne);
    const QSignalBlocker all(m_repeatAll);
    m_repeatOne->setChecked(c.repeatOne);
    m_repeatAll->setChecked(c.repeatAll);
}

void AudioPlayer::closeEvent(QCloseEvent* event) {
    event->ignore();  // the window is only hidden: it lives until the program ends
    OnClose();
}

void AudioPlayer::done(int) { OnClose(); }

void AudioPlayer::OnClose() {
    if (m_onClose) m_onClose();
    hide();
}
