#include "app/commands.h"

#include <cctype>
#include <utility>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/human_object.h"
#include "animation/view_state.h"
#include "app/settings_globals.h"
#include "app/shell_state.h"
#include "app/velmoranth_app.h"
#include "audio/analysis_thread.h"
#include "model/mesh_part.h"
#include "model/model_catalogue.h"
#include "render/frame_driver.h"
#include "render/frame_hooks.h"
#include "render/scene_state.h"

int SavedRenderShadows = 0;

namespace cmd {
namespace {

struct DancerItem {
    int id;
    int index;  // catalogue order, which is not the id order for Daxil and Pemsa
};
constexpr DancerItem kDancerItems[] = {
    {kDancerMirel, 0}, {kDancerMirelH, 1}, {kDancerMirelB, 2}, {kDancerOrlaq, 3},
    {kDancerIvret, 4}, {kDancerPemsa, 5},  {kDancerDaxil, 6},
};

// Restarts the frame-rate average of the statistics overlay.
void Restart() { FpsAveragingTime = 0.0f; }

void Toggle(int& flag) { flag = flag ? 0 : 1; }

template <class Fn>
void Call(const Fn& fn) {
    if (fn) fn();
}

void OpenQuitConfirm(const Seams& s) {
    if (theApp.QuitDialogOpen || !s.openQuitConfirm) return;
    theApp.QuitDialogOpen = 1;
    s.openQuitConfirm();
}

void SimpleLightingCommand() {
    if (RenderEngine != kOpenGlEngine) return;
    if (!SimpleLighting) {
        SavedRenderShadows = RenderShadows;
        RenderShadows = 0;
        SimpleLighting = 1;
    } else {
        SimpleLighting = 0;
        RenderShadows = SavedRenderShadows;
    }
    Restart();
}

void ShadowsCommand() {
    if (RenderEngine == kOpenGlEngine) Toggle(RenderShadows);
    if (RenderEngine == kRayTracerEngine) Toggle(RenderRt3DShadows);
    Restart();
}

void ClubCommand(const Seams& s) {
    Toggle(ShowClub);
    ShowClubInRayTracer(s);
    Restart();
}

void PauseCommand(const Seams& s) {
    Paused = Paused ? 0 : 1;
    if (s.pauseSong) s.pauseSong(Paused);
}

void ManualCameraCommand() { CameraMode = CameraMode == 0 ? 1 : 0; }

void DanceWhenSilentCommand() { DanceWhenSilent = DanceWhenSilent ? 0 : 1; }

void SelectDevice(const Seams& s) {
    if (!s.runAudioSource) return;
    const int chosen = s.runAudioSource();
    if (chosen >= 0 && chosen != CurrentAudioDevice) RequestedAudioDevice = chosen;
}

void AdjCamera(const Seams& s) {
    if (theApp.CamAdjustOpen || !s.openCamAdjust) return;
    if (CameraMode != 2) CameraMode = 1;
    theApp.CamAdjustOpen = 1;
    s.openCamAdjust();
}

void OpenOnce(int& flag, const std::function<void()>& open) {
    if (flag || !open) return;
    flag = 1;
    open();
}

// Handlers that only flip a flag and restart the average.
bool RunToggle(int id) {
    switch (id) {
        case kLineRendering:
            Toggle(FilledPolygons);
            break;
        case kFlatShading:
            Toggle(SmoothShading);
            break;
        case kReflections:
            Toggle(RenderRtReflections);
            break;
        case kToon:
            Toggle(ToonShading);
            break;
        case kTextures:
            Toggle(DisplayTextures);
            break;
        case k3DTextures:
            if (RenderEngine == kRayTracerEngine) Toggle(RenderRt3DTextures);
            break;
        case kProps:
            if (!PropsAvailable) return true;
            Toggle(ShowProps);
            break;
        case kViewShadows:
            if (!ShadowsAvailable) return true;
            Toggle(RenderShadows);
            break;
        default:
            return false;
    }
    Restart();
    return true;
}

// Handlers of the dialog and mode commands.
bool RunOther(int id, const Seams& s) {
    switch (id) {
        case kPreferences:
            OpenOnce(theApp.PreferencesOpen, s.openPreferences);
            break;
        case kQuit:
            OpenQuitConfirm(s);
            break;
        case kAdjCamera:
            AdjCamera(s);
            break;
        case kAbout:
            OpenOnce(theApp.AboutOpen, s.openAbout);
            break;
        case kMusicPlayer:
            if (!theApp.MusicPlayerOpen) Call(s.openMusicPlayer);
            break;
        case kManualCamera:
            ManualCameraCommand();
            break;
        case kVirtualReality:
            break;  // inert: Virtual Reality is never available
        case kPauseDisplay:
            PauseCommand(s);
            break;
        case kStats:
            Toggle(ShowStats);
            break;
        case kEngineCpu:
            theApp.SetRenderEngine(kOpenGlEngine);
            break;
        case kEngineGpu:
            if (RayTracingAvailable) theApp.SetRenderEngine(kRayTracerEngine);
            break;
        case kSimpleLighting:
            SimpleLightingCommand();
            break;
        case kShadows:
            ShadowsCommand();
            break;
        case kClub:
            ClubCommand(s);
            break;
        case kStereo:
            OnViewStereo(s);
            break;
        case kSelectDevice:
            SelectDevice(s);
            break;
        case kSelectInput:
            Call(s.startMixer);
            break;
        case kDanceWhenSilent:
            DanceWhenSilentCommand();
            break;
        case kToggleFullScreen:
            OnToggleFullScreen(s);
            break;
        default:
            return false;
    }
    return true;
}

ItemState Label(bool on, const char* whenOn, const char* whenOff) {
    return ItemState{true, -1, on ? whenOn : whenOff};
}

ItemState Check(bool enabled, bool checked) { return ItemState{enabled, checked ? 1 : 0, {}}; }

ItemState EnabledWhen(bool enabled) { return ItemState{enabled, -1, {}}; }

ItemState ManualCameraState() {
    if (VirtualReality) return EnabledWhen(false);
    return Label(CameraMode != 0, "Auto &Camera", "Manual &Camera");
}

ItemState ShadowsState() {
    if (RenderEngine == kOpenGlEngine)
        return Check(ShadowsAvailable && !SimpleLighting, RenderShadows != 0);
    if (RenderEngine == kRayTracerEngine) return Check(true, RenderRt3DShadows != 0);
    return {};
}

ItemState PropsState() {
    if (!PropsAvailable) return ItemState{false, -1, "Missing Props"};
    return ItemState{ShowClub != 0, -1, ShowProps ? "Empty Clu&b" : "Full Clu&b"};
}

ItemState ViewShadowsState() {
    if (!ShadowsAvailable) return ItemState{false, -1, "Missing Shadow"};
    return ItemState{SimpleLighting == 0, -1,
                     RenderShadows ? "Disable Shad&ows" : "Enable Shad&ows"};
}

ItemState DancerState(int index) {
    if (!DancerAvailable[index]) return EnabledWhen(false);
    return Check(true, CurrentDancer == index);
}

bool RtEngine() { return RayTracingAvailable && RenderEngine == kRayTracerEngine; }

ItemState UpdateOther(int id, const Seams& s) {
    switch (id) {
        case kPreferences:
            return EnabledWhen(!theApp.PreferencesOpen && s.openPreferences);
        case kQuit:
            return EnabledWhen(!theApp.QuitDialogOpen && s.openQuitConfirm);
        case kAdjCamera:
            return EnabledWhen(!theApp.CamAdjustOpen && !VirtualReality && s.openCamAdjust);
        case kAbout:
            return EnabledWhen(!theApp.AboutOpen && s.openAbout);
        case kMusicPlayer:
            return EnabledWhen(!theApp.MusicPlayerOpen && s.openMusicPlayer);
        case kManualCamera:
            return ManualCameraState();
        case kVirtualReality:
            if (!VrAvailable) return EnabledWhen(false);
            return Label(VirtualReality != 0, "End Virtual Reality", "Virtual Reality");
        case kPauseDisplay:
            return Label(Paused != 0, "Resume &Dance", "Pause &Dance");
        case kStats:
            return Label(ShowStats != 0, "Hide &Stats", "Display &Stats");
        case kEngineCpu:
            return Check(true, RenderEngine == kOpenGlEngine);
        case kEngineGpu:
            if (!RayTracingAvailable) return EnabledWhen(false);
            return Check(true, RenderEngine == kRayTracerEngine);
        case kLineRendering:
            return Check(RenderEngine == kOpenGlEngine, FilledPolygons == 0);
        case kSimpleLighting:
            return Check(RenderEngine == kOpenGlEngine, SimpleLighting != 0);
        case kFlatShading:
            return Check(RenderEngine == kOpenGlEngine, SmoothShading == 0);
        case kShadows:
            return ShadowsState();
        case kReflections:
            return Check(RtEngine(), RtEngine() && RenderRtReflections);
        case k3DTextures:
            return Check(RtEngine(), RtEngine() && RenderRt3DTextures);
        case kToon:
            return Label(ToonShading != 0, "Realistic Shading", "Toon Shading");
        case kClub:
            return Label(ShowClub != 0, "Hide &Club", "Display &Club");
        case kTextures:
            return Label(DisplayTextures != 0, "Hide &Textures", "Display &Textures");
        case kProps:
            return PropsState();
        case kStereo:
            return ItemState{StereoAvailable != 0, -1,
                             StereoRendering ? "Mono Rendering" : "Stereo Rendering"};
        case kViewShadows:
            return ViewShadowsState();
        case kSelectDevice:
            return EnabledWhen(s.runAudioSource && s.recordingDevices && s.recordingDevices() > 0);
        case kSelectInput:
            return EnabledWhen(static_cast<bool>(s.startMixer));
        case kDanceWhenSilent:
            return Label(DanceWhenSilent != 0, "Pause When &Silent", "Dance When &Silent");
        case kToggleFullScreen:
            // The label names the state the program is in, not the action.
            return Label(FullScreen != 0, "Display Full Screen", "Display As Window");
        default:
            return EnabledWhen(false);  // no handler: the accelerators' standard commands
    }
}

void LeaveFullScreenByKey(const Seams& s) {
    if (!FullScreen) return;
    if (s.setFullScreen) s.setFullScreen(false);
    FullScreen = 0;
    StereoRendering = 0;
    if (VirtualReality) {
        VirtualReality = 0;
        CameraMode = 0;
    }
}

void EnterFullScreenByKey(const Seams& s) {
    if (FullScreen) return;
    FullScreen = 1;
    if (s.setFullScreen) s.setFullScreen(true);
}

void QuitByKey(const Seams& s) {
    if (!FullScreen) {
        OpenQuitConfirm(s);
        return;
    }
    if (s.setFullScreen) s.setFullScreen(false);
    Call(s.quitNow);
}

// The camera itself moves only while the manual camera is the one in use.
void MoveCamera(void (CCamera::*move)()) {
    if (ManualCamera) (ManualCamera->*move)();
}

void HandleNamedKey(Key key, const Seams& s) {
    switch (key) {
        case Key::Escape:
            LeaveFullScreenByKey(s);
            break;
        case Key::Left:
            MoveCamera(&CCamera::OrbitLeft);
            break;
        case Key::Right:
            MoveCamera(&CCamera::OrbitRight);
            break;
        case Key::Up:
            MoveCamera(&CCamera::OrbitUp);
            break;
        case Key::Down:
            MoveCamera(&CCamera::OrbitDown);
            break;
        case Key::None:
            break;
    }
}

void KeyShadows() {
    if (RenderEngine == kOpenGlEngine && ShadowsAvailable) {
        Toggle(RenderShadows);
        Restart();
    } else if (RayTracingAvailable && RenderEngine == kRayTracerEngine) {
        Toggle(RenderRt3DShadows);
        Restart();
    }
}

void HandleCharacter(char c, const Seams& s) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
        case 'B':
            Run(kClub, s);
            break;
        case 'C':
            Run(kManualCamera, s);
            break;
        case 'D':
            Run(kDanceWhenSilent, s);
            break;
        case 'F':
            EnterFullScreenByKey(s);
            break;
        case 'I':
            MoveCamera(&CCamera::ZoomIn);
            break;
        case 'O':
            MoveCamera(&CCamera::ZoomOut);
            break;
        case 'N':
            MoveCamera(&CCamera::NarrowView);
            break;
        case 'W':
            MoveCamera(&CCamera::WidenView);
            break;
        case 'L':
            Run(kSimpleLighting, s);
            break;
        case 'P':
            Run(kPauseDisplay, s);
            break;
        case 'Q':
            QuitByKey(s);
            break;
        case 'S':
            KeyShadows();
            break;
        case 'T':
            Run(kTextures, s);
            break;
        default:
            break;
    }
}

MenuNode Item(int id, const char* text) { return MenuNode{id, text, {}, false}; }

MenuNode Popup(const char* text, std::vector<MenuNode> children) {
    return MenuNode{0, text, std::move(children), false};
}

}  // namespace

void ShowClubInRayTracer(const Seams& s) {
    if (RayTracingAvailable && RenderEngine == kRayTracerEngine && s.rtShowClub)
        s.rtShowClub(ShowClub);
}

void Run(int id, const Seams& seams) {
    if (ShutDownStarted) return;
    if (RunToggle(id)) return;
    if (RunOther(id, seams)) return;
    const int index = DancerIndex(id);
    if (index >= 0) RequestedDancer = index;
}

ItemState Update(int id, const Seams& seams) {
    const int index = DancerIndex(id);
    if (index >= 0) return DancerState(index);
    return UpdateOther(id, seams);
}

void HandleKey(const KeyInput& input, const Seams& seams) {
    if (ShutDownStarted) return;
    if (input.key != Key::None) {
        HandleNamedKey(input.key, seams);
        return;
    }
    HandleCharacter(input.character, seams);
}

void OnFrameGeometry(int x, int y, int width, int height) {
    if (FullScreen) return;
    WindowClientX = x;
    WindowClientY = y;
    WindowClientWidth = width;
    WindowClientHeight = height;
}

void OnToggleFullScreen(const Seams& s) {
    if (FullScreen) {
        if (s.setFullScreen) s.setFullScreen(false);
        FullScreen = 0;
        StereoRendering = 0;  // stereo never stays on in a window
        return;
    }
    FullScreen = 1;
    if (s.setFullScreen) s.setFullScreen(true);
}

void OnViewStereo(const Seams& s) {
    if (!StereoAvailable) return;
    if (!StereoRendering) {
        SavedFullScreen = FullScreen;
        if (!FullScreen) OnToggleFullScreen(s);
        StereoRendering = 1;
        return;
    }
    if (FullScreen != SavedFullScreen) OnToggleFullScreen(s);
    SavedFullScreen = FullScreen;
    StereoRendering = 0;
}

int DancerIndex(int id) {
    for (const DancerItem& item : kDancerItems)
        if (item.id == id) return item.index;
    return -1;
}

bool Pruned(int id) {
    if (id == kVirtualReality) return true;
    if (id == kDancerMirelB) return DancerAvailable[2] == 0;
    if (id == kDancerPemsa) return DancerAvailable[5] == 0;
    return false;
}

std::vector<MenuNode> RenderOptionsItems(int engine) {
    if (engine == kRayTracerEngine)
        return {Item(kShadows, "Shadows"), Item(kReflections, "Reflections"),
                Item(k3DTextures, "3D Textures")};
    return {Item(kLineRendering, "Line Rendering"), Item(kSimpleLighting, "Simple Lighting"),
            Item(kFlatShading, "Flat Shading"), Item(kShadows, "Shadows")};
}

std::vector<MenuNode> MainMenu() {
    const MenuNode separator = Item(0, "");
    MenuNode engine = Popup("Render Engine",
                            {Item(kEngineCpu, "CPU Scan Line"), Item(kEngineGpu, "GPU Ray Trace")});
    MenuNode options = Popup("Render Options", RenderOptionsItems(kOpenGlEngine));
    options.refilled = true;
    return {
        Popup("&File", {Item(kPreferences, "Preferences ..."), separator, Item(kQuit, "&Quit")}),
        Popup("&View", {Item(kAdjCamera, "&Adj Camera ..."), Item(kManualCamera, "&Manual Camera"),
                        Item(kVirtualReality, "Virtual Reality"), separator,
                        Item(kPauseDisplay, "&Pause Display")}),
        Popup("&Rendering", {Item(kStats, "Stats"), engine, options, Item(kToon, "Toon Rendering"),
                             Item(kClub, "Club Rendering"), Item(kTextures, "Texture Rendering"),
                             Item(kProps, "Prop Rendering"), Item(kStereo, "Stereo Rendering")}),
        Popup(
            "&Music",
            {Item(kSelectDevice, "Select &Device ..."), Item(kSelectInput, "Select &Input ..."),
             Item(kMusicPlayer, "Music Player ..."), Item(kDanceWhenSilent, "&Dance When Silent")}),
        Popup("&Dancer", {Item(kDancerMirel, "&Mirel"), Item(kDancerMirelH, "Mirel (H&alter)"),
                          Item(kDancerMirelB, "Mirel (&Belly Dance)"), Item(kDancerOrlaq, "&Orlaq"),
                          Item(kDancerIvret, "&Ivret"), Item(kDancerPemsa, "&Pemsa"),
                          Item(kDancerDaxil, "&Daxil")}),
        Popup("&Help", {Item(kAbout, "&About Velmoranth...")}),
    };
}

}  // namespace cmd
