#include "app/preference_pages.h"

#include <array>
#include <utility>

#include "animation/view_state.h"
#include "app/commands.h"
#include "app/settings_file.h"
#include "app/settings_globals.h"
#include "app/velmoranth_app.h"
#include "model/model_catalogue.h"
#include "render/frame_driver.h"
#include "render/scene_state.h"

int PreferencesResult = 0;

void PreferencePageOnOK() { PreferencesResult = 1; }

namespace {

using prefs::ControlState;
using prefs::ControlStates;

// Restarts the frame-rate average of the statistics overlay.
void Restart() { FpsAveragingTime = 0.0f; }

int Checked(bool on) { return on ? 1 : 0; }

class PreferencePage {
  public:
    virtual ~PreferencePage() = default;

    // The first show in this sheet: undo copies, then the controls from the globals.
    ControlStates OnInitDialog() {
        m_initialised = true;
        return Init();
    }
    // Whether OK and Cancel reach the page.
    bool Initialised() const { return m_initialised; }
    // Whether the sheet restores the page after Cancel.
    virtual bool Shown() const { return m_initialised; }

    // False when the control is not on this page; `changed` gets the controls this changes.
    virtual bool OnControl(int id, int value, ControlStates& changed) = 0;
    virtual void OnCancel() = 0;
    // What the sheet puts back after Cancel.
    virtual void Restore() { OnCancel(); }

  protected:
    virtual ControlStates Init() = 0;

  private:
    bool m_initialised = false;
};

// Box ids and the PropModels entries they show.
struct PropBox {
    int id;
    int prop;
};
constexpr std::array<PropBox, kPropModelCount> kPropBoxes = {{
    {prefs::kTableSet4Box, 0},
    {prefs::kTableSet2Box, 1},
    {prefs::kStoolBox, 2},
    {prefs::kBoothBox, 6},
    {prefs::kPlantBox, 5},
    {prefs::kVideoGameBox, 7},
    {prefs::kTableGameBox, 8},
    {prefs::kSpeakerBox, 3},
    {prefs::kSpotLightBox, 4},
}};

class CObjectsPage final : public PreferencePage {
  public:
    explicit CObjectsPage(std::function<void()> clubShown) : m_clubShown(std::move(clubShown)) {}

    bool OnControl(int id, int value, ControlStates&) override {
        if (id == prefs::kTexturesBox) {
            DisplayTextures = value;
            Restart();
            return true;
        }
        for (const PropBox& box : kPropBoxes) {
            if (box.id != id) continue;
            if (PropVisibility* props = BoundPropVisibility(); props && props->HasModel(box.prop))
                props->SetVisible(box.prop, value);
            Restart();
            return true;
        }
        return false;
    }
    void OnCancel() override {
        ShowProps = SavedShowProps;
        PropVisibility* props = BoundPropVisibility();
        for (int prop = 0; prop < kPropModelCount; ++prop)
            if (props && props->HasModel(prop)) props->SetVisible(prop, SavedPropVisible[prop]);
        DisplayTextures = SavedDisplayTextures;
    }

  protected:
    ControlStates Init() override {
        SavedShowProps = ShowProps;
        SavedDisplayTextures = DisplayTextures;
        PropVisibility* props = PropsAvailable ? BoundPropVisibility() : nullptr;
        if (PropsAvailable) {
            ShowProps = ShowClub = 1;
            if (m_clubShown) m_clubShown();  // the ray tracer shows it too
        }
        ControlStates controls;
        for (const PropBox& box : kPropBoxes) {
            const bool loaded = props && props->HasModel(box.prop);
            if (loaded) SavedPropVisible[box.prop] = props->IsVisible(box.prop);
            controls.push_back({box.id, loaded ? SavedPropVisible[box.prop] : 0, loaded});
        }
        controls.push_back({prefs::kTexturesBox, Checked(DisplayTextures != 0)});
        return controls;
    }

  private:
    std::function<void()> m_clubShown;
    int SavedShowProps = 0;
    int SavedDisplayTextures = 0;
    std::array<int, kPropModelCount> SavedPropVisible{};
};

constexpr int kSpotRadios = 5;

class CLightsPage final : public PreferencePage {
  public:
    bool OnControl(int id, int value, ControlStates&) override {
        if (id == prefs::kAmbientSlider) {
            // The slider's 0 to 100 is an ambient of 0 to 0.25 with the main light at 4 times it.
            const float v = static_cast<float>(value / 20.0);
            MainLightLevel = v * 0.2f;
            ClubAmbient = v * 0.05f;
            return true;
        }
        const int spots = id - prefs::kFirstSpotRadio + 1;
        if (spots < 1 || spots > kSpotRadios) return false;
        ActiveSpotCount = NumRequestedSpots = spots;
        Restart();
        return true;
    }
    void OnCancel() override {
        ActiveSpotCount = SavedActiveSpotCount;
        ClubAmbient = SavedClubAmbient;
        NumRequestedSpots = SavedNumRequestedSpots;
    }
    void Restore() override {
        OnCancel();
        MainLightLevel = SavedMainLightLevel;
    }

  protected:
    ControlStates Init() override {
        SavedNumRequestedSpots = NumRequestedSpots;
        SavedActiveSpotCount = ActiveSpotCount;
        ActiveSpotCount = NumRequestedSpots;
        SavedClubAmbient = ClubAmbient;
        SavedMainLightLevel = MainLightLevel;
        ControlStates controls;
        for (int n = 1; n <= kSpotRadios; ++n)
            controls.push_back({prefs::kFirstSpotRadio + n - 1, Checked(NumRequestedSpots == n)});
        controls.push_back({prefs::kAmbientSlider, static_cast<int>(ClubAmbient / 0.05f * 20.0f)});
        return controls;
    }

  private:
    int SavedNumRequestedSpots = 0;
    int SavedActiveSpotCount = 0;
    float SavedClubAmbient = 0.0f;
    float SavedMainLightLevel = 0.0f;
};

class CAudioPage final : public PreferencePage {
  public:
    // Only a page whose slider moved is restored by the sheet.
    bool Shown() const override { return AudioPageChanged; }
    bool OnControl(int id, int value, ControlStates&) override {
        if (id != prefs::kMusicDetectSlider) return false;
        MinMusicDetect = static_cast<float>(value);
        AudioPageChanged = true;
        return true;
    }
    void OnCancel() override { MinMusicDetect = SavedMinMusicDetect; }

  protected:
    ControlStates Init() override {
        SavedMinMusicDetect = MinMusicDetect;
        return {{prefs::kMusicDetectSlider, static_cast<int>(SavedMinMusicDetect)}};
    }

  private:
    float SavedMinMusicDetect = 0.0f;
    bool AudioPageChanged = false;
};

constexpr int kStatChoices = 7;

class CStatsPage final : public PreferencePage {
  public:
    bool OnControl(int id, int, ControlStates&) override {
        const int choice = id - prefs::kStatRadioBase;
        if (choice < 1 || choice > kStatChoices) return false;
        StatChoice = choice;
        Restart();
        return true;
    }
    void OnCancel() override {
        StatChoice = SavedStatChoice;
        ShowStats = SavedShowStats;
    }

  protected:
    ControlStates Init() override {
        SavedStatChoice = StatChoice;
        SavedShowStats = ShowStats;
        ShowStats = 1;  // the page shows what it changes
        ControlStates controls;
        for (int choice = 1; choice <= kStatChoices; ++choice)
            controls.push_back({prefs::kStatRadioBase + choice, Checked(StatChoice == choice)});
        return controls;
    }

  private:
    int SavedStatChoice = 0;
    int SavedShowStats = 0;
};

class CStereo3DPage final : public PreferencePage {
  public:
    bool OnControl(int id, int value, ControlStates&) override {
        if (id == prefs::kStereoSlider) {
            // 0 to 100 is a separation of 0.5 to 2.0.
            Stereo3DScale = static_cast<float>(value * 3.0 / 200.0 + 0.5);
            return true;
        }
        if (id != prefs::kInvertStereoBox) return false;
        Stereo3DInvert = value ? -1 : 1;
        return true;
    }
    void OnCancel() override {
        Stereo3DScale = SavedStereo3DScale;
        Stereo3DInvert = SavedStereo3DInvert;
    }

  protected:
    ControlStates Init() override {
        SavedStereo3DScale = Stereo3DScale;
        SavedStereo3DInvert = Stereo3DInvert;
        return {
            {prefs::kStereoSlider, static_cast<int>((Stereo3DScale - 0.5) * 66.66666666666667)},
            {prefs::kInvertStereoBox, Checked(Stereo3DInvert < 1)},
        };
    }

  private:
    float SavedStereo3DScale = 0.0f;
    int SavedStereo3DInvert = 0;
};

// A render option box and the global it sets.
struct OptionBox {
    int id;
    int* option;
    bool rayTracer;  // the ray tracer's column, else the scan-line engine's
};
const std::array<OptionBox, 5> kOptionBoxes = {{
    {prefs::kShadows2DBox, &RenderShadows, false},
    {prefs::kSimpleLightsBox, &SimpleLighting, false},
    {prefs::kShadows3DBox, &RenderRt3DShadows, true},
    {prefs::kReflectionsBox, &RenderRtReflections, true},
    {prefs::kTextures3DBox, &RenderRt3DTextures, true},
}};

class CRenderPage final : public PreferencePage {
  public:
    explicit CRenderPage(std::function<void(int)> setRenderEngine)
        : m_setRenderEngine(std::move(setRenderEngine)) {}

    bool OnControl(int id, int value, ControlStates& changed) override {
        if (id == prefs::kScanLineRadio || id == prefs::kRayTraceRadio) {
            m_setRenderEngine(id == prefs::kRayTraceRadio ? kRayTracerEngine : kOpenGlEngine);
            // A ray tracer that failed to start leaves the scan-line engine in force.
            changed = EngineControls();
            Restart();
            return true;
        }
        for (const OptionBox& box : kOptionBoxes) {
            if (box.id != id) continue;
            *box.option = value;
            Restart();
            return true;
        }
        return false;
    }
    void OnCancel() override {
        // A second start of the ray tracer while it runs would restart it for nothing.
        if (RenderEngine != SavedRenderEngine) m_setRenderEngine(SavedRenderEngine);
        RenderShadows = SavedRenderShadows;
        RenderRt3DShadows = SavedRenderRt3DShadows;
        RenderRtReflections = SavedRenderRtReflections;
        RenderRt3DTextures = SavedRenderRt3DTextures;
        SimpleLighting = SavedSimpleLighting;
    }

  protected:
    ControlStates Init() override {
        // The Simple Lighting command parks RenderShadows in the same undo copy.
        SavedRenderShadows = RenderShadows;
        SavedRenderEngine = RenderEngine;
        SavedRenderRt3DShadows = RenderRt3DShadows;
        SavedRenderRtReflections = RenderRtReflections;
        SavedRenderRt3DTextures = RenderRt3DTextures;
        SavedSimpleLighting = SimpleLighting;
        return EngineControls();
    }

  private:
    // The engine radios and the option columns for the engine in force.
    static ControlStates EngineControls() {
        const bool rayTracer = RayTracingAvailable && RenderEngine == kRayTracerEngine;
        ControlStates controls = {
            {prefs::kScanLineRadio, Checked(!rayTracer)},
            {prefs::kRayTraceRadio, Checked(rayTracer), RayTracingAvailable != 0},
        };
        for (const OptionBox& box : kOptionBoxes) {
            const bool enabled = box.rayTracer ? rayTracer : RenderEngine == kOpenGlEngine;
            controls.push_back({box.id, Checked(*box.option != 0), enabled});
        }
        return controls;
    }

    std::function<void(int)> m_setRenderEngine;
    int SavedRenderEngine = 0;
    int SavedRenderRt3DShadows = 0;
    int SavedRenderRtReflections = 0;
    int SavedRenderRt3DTextures = 0;
    int SavedSimpleLighting = 0;
};

class PreferencePages final : public prefs::SheetPages {
  public:
    explicit PreferencePages(PreferenceHooks hooks)
        : m_writeSettings(std::move(hooks.writeSettings)),
          m_objects(std::move(hooks.clubShown)),
          m_render(std::move(hooks.setRenderEngine)) {
        PreferencesResult = 0;
    }

    ControlStates InitPage(int page) override {
        if (page < 0 || page >= prefs::kPageCount) return {};
        return m_pages[page]->OnInitDialog();
    }
    ControlStates OnControl(int id, int value) override {
        ControlStates changed;
        for (PreferencePage* page : m_pages)
            if (page->Initialised() && page->OnControl(id, value, changed)) break;
        return changed;
    }
    void OnOK() override { PreferencePageOnOK(); }
    void OnCancel() override {
        for (PreferencePage* page : m_pages)
            if (page->Initialised()) page->OnCancel();
        PreferencesResult = 2;
    }
    void OnDestroy() override {
        if (PreferencesResult == 1) static_cast<void>(m_writeSettings());
        if (PreferencesResult == 2)
            for (PreferencePage* page : m_pages)
                if (page->Shown()) page->Restore();
        theApp.PreferencesOpen = 0;
    }

  private:
    std::function<int()> m_writeSettings;
    CObjectsPage m_objects;
    CLightsPage m_lights;
    CAudioPage m_audio;
    CStatsPage m_stats;
    CStereo3DPage m_stereo;
    CRenderPage m_render;
    // In tab order.
    const std::array<PreferencePage*, prefs::kPageCount> m_pages = {
        &m_objects, &m_lights, &m_audio, &m_stats, &m_stereo, &m_render};
};

}  // namespace

std::unique_ptr<prefs::SheetPages> MakePreferencePages(PreferenceHooks hooks) {
    return std::make_unique<PreferencePages>(std::move(hooks));
}
