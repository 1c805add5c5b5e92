#include "ui/preferences_sheet.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>
#include <utility>
#include <vector>

#include "ui/dialog_support.h"

namespace {

// Page coordinates are dialog units; DejaVu is wider than the fonts they were made for.
constexpr double kPixelsPerUnitX = 2.0;
constexpr double kPixelsPerUnitY = 1.8;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 27;

enum class Kind { Group, Check, Radio, Slider, Label };

struct Control {
    Kind kind;
    int id;  // 0 for group boxes and labels
    const char* caption;
    int x, y, width, height;  // width and height for group boxes and sliders only
    int lowest = 0;           // a slider's lowest position; its highest is 100
};

struct PageLayout {
    const char* caption;
    int width, height;
    std::vector<Control> controls;  // group boxes first, so they lie behind what they hold
};

// One control a line, as the pages are drawn.
// clang-format off
const std::array<PageLayout, prefs::kPageCount>& Layouts() {
    static const std::array<PageLayout, prefs::kPageCount> layouts = {{
        {"Objects", 195, 127, {
            {Kind::Group, 0, "Display club props", 7, 3, 181, 87},
            {Kind::Group, 0, "Render options", 7, 93, 181, 27},
            {Kind::Check, prefs::kTableSet4Box, "4 chair tables", 15, 16, 0, 0},
            {Kind::Check, prefs::kTableSet2Box, "2 chair tables", 15, 31, 0, 0},
            {Kind::Check, prefs::kStoolBox, "Stools", 15, 46, 0, 0},
            {Kind::Check, prefs::kBoothBox, "Booths", 15, 61, 0, 0},
            {Kind::Check, prefs::kPlantBox, "Plants", 15, 76, 0, 0},
            {Kind::Check, prefs::kVideoGameBox, "Video games", 93, 16, 0, 0},
            {Kind::Check, prefs::kTableGameBox, "Game tables", 93, 31, 0, 0},
            {Kind::Check, prefs::kSpeakerBox, "Speakers", 93, 46, 0, 0},
            {Kind::Check, prefs::kSpotLightBox, "Spot lights", 93, 61, 0, 0},
            {Kind::Check, prefs::kTexturesBox, "Render textures", 15, 104, 0, 0},
        }},
        {"Lights", 195, 127, {
            {Kind::Group, 0, "Number of spot lights", 7, 3, 181, 76},
            {Kind::Group, 0, "Ambiant light", 7, 84, 175, 36},
            {Kind::Radio, prefs::kFirstSpotRadio, "1", 20, 17, 0, 0},
            {Kind::Radio, prefs::kFirstSpotRadio + 1, "2", 20, 29, 0, 0},
            {Kind::Radio, prefs::kFirstSpotRadio + 2, "3", 20, 41, 0, 0},
            {Kind::Radio, prefs::kFirstSpotRadio + 3, "4", 20, 53, 0, 0},
            {Kind::Radio, prefs::kFirstSpotRadio + 4, "5", 20, 65, 0, 0},
            {Kind::Slider, prefs::kAmbientSlider, "", 43, 98, 100, 19},
        }},
        // The lowest level is 1: a 0 would not survive the next start's settings reader.
        {"Audio", 195, 127, {
            {Kind::Group, 0, "Audio detection level", 7, 3, 181, 43},
            {Kind::Slider, prefs::kMusicDetectSlider, "", 47, 19, 100, 15, 1},
        }},
        {"Stats", 195, 127, {
            {Kind::Group, 0, "Statistics averaging window", 7, 3, 181, 113},
            {Kind::Radio, prefs::kStatRadioBase + 1, "instantaneous", 17, 20, 0, 0},
            {Kind::Radio, prefs::kStatRadioBase + 2, "1 second", 17, 32, 0, 0},
            {Kind::Radio, prefs::kStatRadioBase + 3, "5 seconds", 17, 44, 0, 0},
            {Kind::Radio, prefs::kStatRadioBase + 4, "10 seconds", 17, 56, 0, 0},
            {Kind::Radio, prefs::kStatRadioBase + 5, "15 seconds", 17, 68, 0, 0},
            {Kind::Radio, prefs::kStatRadioBase + 6, "30 seconds", 17, 80, 0, 0},
            {Kind::Radio, prefs::kStatRadioBase + 7, "60 seconds", 17, 92, 0, 0},
        }},
        {"Stereo 3D", 195, 127, {
            {Kind::Group, 0, "Stereo seperation", 7, 3, 181, 43},
            {Kind::Label, 0, "Min", 30, 22, 0, 0},
            {Kind::Slider, prefs::kStereoSlider, "", 47, 19, 100, 15},
            {Kind::Label, 0, "Max", 151, 22, 0, 0},
            {Kind::Check, prefs::kInvertStereoBox, "Invert stereo", 13, 51, 0, 0},
        }},
        {"Render", 172, 127, {
            {Kind::Group, 0, "Render Engine", 7, 3, 158, 75},
            {Kind::Radio, prefs::kScanLineRadio, "CPU Scan Line", 9, 17, 0, 0},
            {Kind::Radio, prefs::kRayTraceRadio, "GPU Ray Trace", 91, 17, 0, 0},
            {Kind::Check, prefs::kShadows2DBox, "2D Shadows", 17, 33, 0, 0},
            {Kind::Check, prefs::kSimpleLightsBox, "Simple Lights", 17, 50, 0, 0},
            {Kind::Check, prefs::kShadows3DBox, "3D Shadows", 99, 33, 0, 0},
            {Kind::Check, prefs::kReflectionsBox, "Reflections", 99, 50, 0, 0},
            {Kind::Check, prefs::kTextures3DBox, "3D Textures", 99, 66, 0, 0},
        }},
    }};
    return layouts;
}
// clang-format on

QRect Pixels(int x, int y, int width, int height) {
    return QRect(static_cast<int>(x * kPixelsPerUnitX), static_cast<int>(y * kPixelsPerUnitY),
                 static_cast<int>(width * kPixelsPerUnitX),
                 static_cast<int>(height * kPixelsPerUnitY));
}

QWidget* MakeWidget(const Control& c, QWidget* page) {
    switch (c.kind) {
        case Kind::Group:
            return new QGroupBox(c.caption, page);
        case Kind::Check:
            return new QCheckBox(c.caption, page);
        case Kind::Radio:
            return new QRadioButton(c.caption, page);
        case Kind::Label:
            return new QLabel(c.caption, page);
        case Kind::Slider: {
            auto* slider = new QSlider(Qt::Horizontal, page);
            slider->setRange(c.lowest, 100);
            slider->setTickPosition(QSlider::NoTicks);
            return slider;
        }
    }
    return nullptr;
}

}  // namespace

CPreferencesSheet::CPreferencesSheet(std::unique_ptr<prefs::SheetPages> pages)
    : m_pages(std::move(pages)) {
    setWindowTitle("Preferences");
    ui::UseWhiteBackground(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setUsesScrollButtons(false);  // all six tabs in sight
    for (int page = 0; page < prefs::kPageCount; ++page) BuildPage(page);
    auto* ok = new QPushButton("OK", this);
    auto* cancel = new QPushButton("Cancel", this);
    for (QPushButton* button : {ok, cancel}) button->setFixedSize(kButtonWidth, kButtonHeight);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);
    // The first page shows at once; the others fill when their tabs are first chosen.
    OnPageShown(m_tabs->currentIndex());
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int page) { OnPageShown(page); });
}

CPreferencesSheet::~CPreferencesSheet() { m_pages->OnDestroy(); }

void CPreferencesSheet::accept() {
    m_pages->OnOK();
    QDialog::accept();
}

void CPreferencesSheet::reject() {
    m_pages->OnCancel();
    QDialog::reject();
}

void CPreferencesSheet::BuildPage(int page) {
    const PageLayout& layout = Layouts()[page];
    auto* widget = new QWidget;
    widget->setMinimumSize(Pixels(0, 0, layout.width, layout.height).size());
    for (const Control& c : layout.controls) {
        QWidget* control = MakeWidget(c, widget);
        if (c.width > 0) {
            control->setGeometry(Pixels(c.x, c.y, c.width, c.height));
        } else {
            control->adjustSize();
            control->move(Pixels(c.x, c.y, 0, 0).topLeft());
        }
        if (c.id == 0) continue;
        m_controls[c.id] = control;
        const int id = c.id;
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            connect(button, &QAbstractButton::clicked, this,
                    [this, id](bool checked) { OnControl(id, checked ? 1 : 0); });
        } else if (auto* slider = qobject_cast<QSlider*>(control)) {
            // Every scroll reports, a press that does not move the thumb too.
            connect(slider, &QSlider::valueChanged, this,
                    [this, id](int position) { OnControl(id, position); });
            connect(slider, &QSlider::sliderPressed, this,
                    [this, id, slider] { OnControl(id, slider->value()); });
        }
    }
    m_tabs->addTab(widget, layout.caption);
}

void CPreferencesSheet::OnPageShown(int page) {
    if (page < 0 || page >= prefs::kPageCount || m_filled[page]) return;
    m_filled[page] = true;
    Show(m_pages->InitPage(page));
}

void CPreferencesSheet::OnControl(int id, int value) { Show(m_pages->OnControl(id, value)); }

void CPreferencesSheet::Show(const prefs::ControlStates& controls) {
    for (const prefs::ControlState& state : controls) {
        const auto found = m_controls.find(state.id);
        if (found == m_controls.end()) continue;
        QWidget* control = found->second;
        const QSignalBlocker quiet(control);
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            button->setChecked(state.value != 0);
        else if (auto* slider = qobject_cast<QSlider*>(control))
            slider->setValue(state.value);
        control->setEnabled(state.enabled);
    }
}
