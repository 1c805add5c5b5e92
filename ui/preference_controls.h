#pragma once
// What the preferences sheet and the logic behind its pages share: the pages in tab order, the
// ids of their controls and the calls the sheet makes. Plain C++ without Qt, so the logic is
// tested without widgets. UI thread only.

#include <vector>

namespace prefs {

// The pages in tab order.
enum Page : int { kObjectsPage, kLightsPage, kAudioPage, kStatsPage, kStereo3DPage, kRenderPage };
constexpr int kPageCount = 6;

// Objects: the nine prop boxes, then the textures box.
constexpr int kTableSet4Box = 1034;
constexpr int kTableSet2Box = 1035;
constexpr int kStoolBox = 1036;
constexpr int kBoothBox = 1037;
constexpr int kPlantBox = 1038;
constexpr int kVideoGameBox = 1039;
constexpr int kTableGameBox = 1040;
constexpr int kSpeakerBox = 1041;
constexpr int kSpotLightBox = 1042;
constexpr int kTexturesBox = 1049;
// Lights: the radios "1" to "5" are kFirstSpotRadio + 0 to 4.
constexpr int kFirstSpotRadio = 1022;
constexpr int kAmbientSlider = 1043;
// Audio.
constexpr int kMusicDetectSlider = 1045;
// Stats: the radios for StatChoice 1 to 7 are kStatRadioBase + 1 to 7.
constexpr int kStatRadioBase = 1026;
// Stereo 3D.
constexpr int kStereoSlider = 1055;
constexpr int kInvertStereoBox = 1054;
// Render.
constexpr int kScanLineRadio = 1057;
constexpr int kRayTraceRadio = 1059;
constexpr int kShadows2DBox = 1064;
constexpr int kSimpleLightsBox = 1047;
constexpr int kShadows3DBox = 1062;
constexpr int kReflectionsBox = 1063;
constexpr int kTextures3DBox = 1066;

// A control as the logic wants it shown: the check state of a box or radio (0 or 1) or the
// position of a slider, and whether it takes input.
struct ControlState {
    int id = 0;
    int value = 0;
    bool enabled = true;
};
using ControlStates = std::vector<ControlState>;

// The pages' logic as the sheet calls it. Each sheet has its own, made for that opening.
class SheetPages {
  public:
    virtual ~SheetPages() = default;
    // The page's first show in this sheet: it takes its undo copies; the answer is the state of
    // every control on it.
    virtual ControlStates InitPage(int page) = 0;
    // The user changed a control: a box or radio reports its check state, a slider its position
    // on every scroll, moved or not. The answer lists the other controls this changes.
    virtual ControlStates OnControl(int id, int value) = 0;
    virtual void OnOK() = 0;       // the sheet's OK button
    virtual void OnCancel() = 0;   // the sheet's Cancel button, Esc or close box
    virtual void OnDestroy() = 0;  // once, as the sheet goes, however it was closed
};

}  // namespace prefs
