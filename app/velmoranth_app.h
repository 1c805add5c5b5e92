#pragma once
// The application object: it owns every scene object from start-up to shut-down, remembers the
// modeless dialogs by their open flags, switches the render engine and shuts the program down.
// The scene's plain globals (ManualCamera, ClubModel, SpotLights, ...) point at what it owns.
// UI thread only.

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "animation/light_show.h"
#include "model/model_catalogue.h"
#include "render/scene_start.h"

// How long start-up waits for the analysis thread to try the recording device, and shut-down
// for it to end: a device call that never returns must not hang the program.
inline constexpr std::chrono::milliseconds kWorkerWaitLimit{5000};

// A worker thread that shut-down ends before the sound system goes: the audio analysis.
class AppWorker {
  public:
    virtual ~AppWorker() = default;
    // Ends the thread, waiting at most `limit`; false when it is still running, and then the
    // worker must never be destroyed.
    [[nodiscard]] virtual bool StopWithin(std::chrono::milliseconds limit) = 0;
};

class CVelmoranthApp {
  public:
    CVelmoranthApp();
    ~CVelmoranthApp();
    CVelmoranthApp(const CVelmoranthApp&) = delete;
    CVelmoranthApp& operator=(const CVelmoranthApp&) = delete;

    // The owners behind the scene globals, filled by InitScene.
    SceneObjects Scene;
    std::vector<std::string> PlayList;  // song file paths

    // Open flags of the modeless dialogs.
    int AboutOpen = 0;
    int CamAdjustOpen = 0;
    int MusicPlayerOpen = 0;
    int QuitDialogOpen = 0;
    int PreferencesOpen = 0;

    // 0 the OpenGL engine, 2 the ray tracer when it is available; other values do nothing.
    void SetRenderEngine(int engine);
    // Stops the frames, frees the scene, stops the analysis thread (one that does not end in
    // kWorkerWaitLimit is left behind), releases the sound system and the ray tracer and ends
    // the event loop. Each thing is released once, however often
    // it is called.
    void ShutDown();
    void ReportMessage(const char* text, int category);

    // Keeps the running analysis thread until shut-down stops it.
    void AdoptAnalysis(std::unique_ptr<AppWorker> analysis) { m_analysis = std::move(analysis); }

    // What ends the event loop, with the run's exit status; the shell installs it.
    void SetQuitHandler(std::function<void(int exitStatus)> quit) { m_quit = std::move(quit); }
    // Routes fatal messages to ShutDown with exit status 1 (instead of 0); none seen yet.
    void ConnectFatalMessages();
    // 1 after a fatal message, else 0.
    int ExitStatus() const { return m_fatal ? 1 : 0; }

  private:
    void ReleaseScene();
    void ReleaseSubsystems();
    void StopAnalysis();

    std::unique_ptr<AppWorker> m_analysis;
    AppWorker* m_leftBehind = nullptr;  // its thread never ended: kept until the process ends
    std::function<void(int)> m_quit;
    bool m_fatal = false;
};

extern CVelmoranthApp theApp;
