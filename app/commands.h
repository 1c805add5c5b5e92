#pragma once
// The program's vocabulary without a window toolkit: every menu command's effect and update
// rule, the main menu's layout, the context menu, the view's keys and the full-screen and
// stereo switches. Commands only change globals; the next frame reads them. UI thread only.

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/menu_entry.h"

namespace cmd {

// Command ids, as the menus and the keys know them.
enum Id : int {
    kPreferences = 32795,
    kQuit = 57665,
    kAdjCamera = 32771,
    kManualCamera = 32772,
    kVirtualReality = 32818,
    kPauseDisplay = 32773,
    kStats = 32774,
    kEngineCpu = 32819,
    kEngineGpu = 32821,
    kLineRendering = 32783,
    kSimpleLighting = 32776,
    kFlatShading = 32784,
    kShadows = 32822,
    kReflections = 32823,
    k3DTextures = 32824,
    kToon = 32817,
    kClub = 32775,
    kTextures = 32782,
    kProps = 32794,
    kStereo = 32810,
    kViewShadows = 32793,  // no menu item
    kSelectDevice = 32785,
    kSelectInput = 32787,
    kMusicPlayer = 32827,
    kDanceWhenSilent = 32786,
    kDancerMirel = 32796,
    kDancerMirelH = 32797,
    kDancerMirelB = 32798,
    kDancerOrlaq = 32799,
    kDancerIvret = 32800,
    kDancerDaxil = 32801,
    kDancerPemsa = 32802,
    kAbout = 57664,
    kToggleFullScreen = 32809,
    // The accelerators' standard ids: bound to keys, and inert (New, Open and Save on the
    // empty document would write or truncate files).
    kFileNew = 57600,
    kFileOpen = 57601,
    kFileSave = 57603,
    kEditUndo = 57643,
    kEditCut = 57635,
    kEditCopy = 57634,
    kEditPaste = 57637,
    kNextPane = 57680,
    kPrevPane = 57681,
};

using ItemState = pgui::ItemState;

// What the commands reach beyond the globals. An empty entry means "not available": its
// command is disabled and does nothing.
struct Seams {
    std::function<void()> openPreferences;  // creates and shows the sheet
    std::function<void()> openQuitConfirm;  // creates and shows the confirmation
    std::function<void()> openCamAdjust;    // creates and shows the camera pad
    std::function<void()> openAbout;        // creates and shows the About dialog
    std::function<void()> openMusicPlayer;
    std::function<int()> runAudioSource;         // modal; the chosen device id or -1
    std::function<int()> recordingDevices;       // how many recording devices there are
    std::function<void()> startMixer;            // the system's volume mixer
    std::function<void(bool on)> setFullScreen;  // restyles the main frame only
    std::function<void()> quitNow;               // posts the quit and shuts down at once
    std::function<void(int paused)> pauseSong;
    std::function<void(int showClub)> rtShowClub;
};

// Runs the command's handler. Nothing runs once shut-down has started.
void Run(int id, const Seams& seams);
// The command's update rule, for the state of the globals now.
ItemState Update(int id, const Seams& seams);

// A key of the view: a named key, or the character typed (0 for none).
enum class Key { None, Escape, Left, Right, Up, Down };
struct KeyInput {
    Key key = Key::None;
    char character = 0;
};
// Keys act like their commands but ignore the menu items' enable states.
void HandleKey(const KeyInput& input, const Seams& seams);

// The ray tracer shows or hides the club as ShowClub says, while it is the engine drawing.
void ShowClubInRayTracer(const Seams& seams);

// The full-screen and stereo switches.
void OnToggleFullScreen(const Seams& seams);
void OnViewStereo(const Seams& seams);
// The frame moved or was resized to this client geometry (screen pixels). Only the windowed
// geometry, a maximised window's included, is kept: leaving full screen returns to it.
void OnFrameGeometry(int x, int y, int width, int height);

// The main menu in resource order. The Render Options popup is refilled by
// RenderOptionsItems when it opens.
using MenuNode = pgui::MenuEntry;
std::vector<MenuNode> MainMenu();
// The Render Options items for an engine (0 the OpenGL engine, 2 the ray tracer).
std::vector<MenuNode> RenderOptionsItems(int engine);
// Whether the item leaves the menus when its popup opens (a missing dancer, Virtual Reality).
bool Pruned(int id);

// Dancer index of a Dancer item, or -1.
int DancerIndex(int id);

}  // namespace cmd

// RenderShadows parked while Simple Lighting is on.
extern int SavedRenderShadows;
