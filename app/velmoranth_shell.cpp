#include "app/velmoranth_shell.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <string>
#include <utility>

#include "app/mixer_launch.h"
#include "app/preference_pages.h"
#include "app/settings_file.h"
#include "app/music_commands.h"
#include "app/settings_globals.h"
#include "app/shell_state.h"
#include "app/velmoranth_app.h"
#include "app/velmoranth_view.h"
#include "model/report_message.h"
#include "platform/capture/sdl_capture.h"
#include "platform/gui/command_menus.h"
#include "platform/gui/gl_view.h"
#include "platform/gui/main_frame.h"
#include "platform/gui/message_dialog.h"
#include "raytrace/rt_scene.h"
#include "render/scene_state.h"
#include "ui/about_dialog.h"
#include "ui/cam_adjust.h"
#include "ui/dialog_support.h"
#include "ui/preferences_sheet.h"
#include "ui/quit_confirm.h"

namespace {

// The sheet saves as it is destroyed; a failure's message waits until the sheet is gone, so
// no modal loop runs inside its destruction.
int SaveSettingsFromSheet() {
    std::string failure;
    const int status = WriteSettings(failure);
    if (status != 0) {
        QTimer::singleShot(0, [failure] {
            ReportMessage(failure.c_str(), ReportCategory::Failure);
        });
    }
    return status;
}

QRect FirstPlacement() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return pgui::FirstPlacement(screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768));
}

cmd::KeyInput ToKeyInput(const pgui::ViewKey& key) {
    switch (key.key) {
        case Qt::Key_Escape:
            return {cmd::Key::Escape, 0};
        case Qt::Key_Left:
            return {cmd::Key::Left, 0};
        case Qt::Key_Right:
            return {cmd::Key::Right, 0};
        case Qt::Key_Up:
            return {cmd::Key::Up, 0};
        case Qt::Key_Down:
            return {cmd::Key::Down, 0};
        default:
            break;
    }
    // Letters as typed; Ctrl or Alt with a letter is a shortcut, not the letter.
    if (key.control || key.alt || key.text.size() != 1) return {};
    const char c = key.text[0];
    return {cmd::Key::None, c >= ' ' && c <= '~' ? c : '\0'};
}

// The accelerators' keys: bound, so they never reach anything else, and inert.
const char* const kInertShortcuts[] = {
    "Ctrl+N",   "Ctrl+O", "Ctrl+S",    "Ctrl+Z", "Alt+Backspace", "Ctrl+X", "Shift+Del", "Ctrl+C",
    "Ctrl+Ins", "Ctrl+V", "Shift+Ins", "F6",     "Shift+F6"};

}  // namespace

VelmoranthShell::VelmoranthShell() = default;

VelmoranthShell::~VelmoranthShell() {
    SetMessageDialog(nullptr);
    theApp.SetQuitHandler(nullptr);
}

void VelmoranthShell::Dialog::RunModal(CMessage& message) {
    // Transient for the frame, so it stays above it even in full screen.
    pgui::ShowMessageDialog(m_shell.m_frame.get(), message.Text(), message.DontDisplayEnabled(),
                            [&message](bool ticked) { message.OnDontDisplay(ticked); });
}

bool VelmoranthShell::InitInstance() {
    SetMessageDialog(&m_dialog);
    theApp.ConnectFatalMessages();
    m_frame = std::make_unique<pgui::MainFrame>();
    m_frame->setWindowTitle("velmoranth");
    m_frame->setGeometry(FirstPlacement());
    m_view = std::make_unique<CVelmoranthView>();
    m_frame->SetView(m_view->TakeWindow());
    theApp.SetQuitHandler([this](int status) {
        m_view->Window()->StopFrames();
        QCoreApplication::exit(status);
    });
    ConnectCommands();
    if (!m_view->Create()) return false;
    m_frame->show();
    return true;
}

void VelmoranthShell::ConnectCommands() {
    pgui::MainFrame* frame = m_frame.get();
    m_seams.openQuitConfirm = [this, frame] {
        ui::ShowModeless(new CQuitConfirm([this] { m_view->ShutDownApp(); }), frame,
                         theApp.QuitDialogOpen);
    };
    // A new pad each time; a closed one is freed, and the frame polls only the one shown.
    m_seams.openCamAdjust = [frame] {
        ui::ShowModeless(new CCamAdjust, frame, theApp.CamAdjustOpen);
    };
    m_seams.openAbout = [frame] { ui::ShowModeless(new CAboutDlg, frame, theApp.AboutOpen); };
    m_seams.openPreferences = [this, frame] {
        PreferenceHooks hooks{[](int engine) { theApp.SetRenderEngine(engine); },
                              SaveSettingsFromSheet,
                              [this] { cmd::ShowClubInRayTracer(m_seams); }};
        ui::ShowModeless(new CPreferencesSheet(MakePreferencePages(std::move(hooks))), frame,
                         theApp.PreferencesOpen);
    };
    m_seams.openMusicPlayer = [frame] { OpenMusicPlayer(frame); };
    m_seams.runAudioSource = [frame] { return RunAudioSourceDialog(frame); };
    m_seams.recordingDevices = [] { return pcapture::CaptureDeviceCount(); };
    m_seams.startMixer = [] { StartVolumeMixer(); };
    m_seams.pauseSong = [](int paused) { PauseSongForDisplay(paused); };
    m_seams.setFullScreen = [frame](bool on) {
        frame->SetFullScreen(
            on, QRect(WindowClientX, WindowClientY, WindowClientWidth, WindowClientHeight));
    };
    m_seams.quitNow = [this] { m_view->ShutDownApp(); };
    m_seams.rtShowClub = [](int showClub) { raytrace::RtShowClub(showClub); };

    pgui::CommandHooks hooks;
    hooks.run = [this](int id) { cmd::Run(id, m_seams); };
    hooks.update = [this](int id) { return cmd::Update(id, m_seams); };
    hooks.pruned = [](int id) { return cmd::Pruned(id); };
    hooks.refill = [] { return cmd::RenderOptionsItems(RenderEngine); };
    m_menus = std::make_unique<pgui::CommandMenus>(std::move(hooks));
    m_menus->Fill(frame->menuBar(), cmd::MainMenu());
    for (const char* keys : kInertShortcuts) {
        auto* action = new QAction(frame);
        action->setShortcut(QKeySequence(keys));
        frame->addAction(action);
    }

    m_view->OnKey = [this](const pgui::ViewKey& key) { cmd::HandleKey(ToKeyInput(key), m_seams); };
    m_view->OnContextMenu = [this, frame](int x, int y) {
        m_menus->Track(frame,
                       {pgui::MenuEntry{cmd::kToggleFullScreen, "Toggle Full Screen", {}, false}},
                       QPoint(x, y));
    };
    // A close request asks for confirmation; the frame stays.
    m_frame->SetCloseHook([this] { cmd::Run(cmd::kQuit, m_seams); });
    // The windowed geometry is what leaving full screen returns to.
    m_frame->SetGeometryHook(
        [](const QRect& r) { cmd::OnFrameGeometry(r.x(), r.y(), r.width(), r.height()); });
}
