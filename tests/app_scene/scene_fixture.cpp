#include "tests/app_scene/scene_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/subsystem_calls.h"
#include "app/velmoranth_app.h"
#include "render/frame_hooks.h"

namespace fs = std::filesystem;

void SceneFixture::SetUp() {
    GlFixture::SetUp();
    if (const char* mode = std::getenv("VELMORANTH_NONINTERACTIVE")) m_savedMode = mode;
    unsetenv("VELMORANTH_NONINTERACTIVE");
    m_generated = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "velmoranth-scene-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_folder = pattern;
    fs::create_directory(m_folder / "Models");
    fs::current_path(m_folder);
    ShutDownStarted = 0;
    SetMessageDialog(&m_dialog);
    theApp.ConnectFatalMessages();
    theApp.SetQuitHandler([this](int status) { m_quitStatuses.push_back(status); });
}

void SceneFixture::TearDown() {
    theApp.ShutDown();  // the context is still current
    theApp.SetQuitHandler(nullptr);
    SetFatalMessageHandler({});
    SetMessageDialog(nullptr);
    SoundSystem = {};
    RayTracer = {};
    fs::current_path(m_generated);
    fs::remove_all(m_folder);
    if (m_savedMode) setenv("VELMORANTH_NONINTERACTIVE", m_savedMode->c_str(), 1);
    GlFixture::TearDown();
}

void SceneFixture::LinkModel(const std::string& name, const std::string& generatedName) {
    fs::create_symlink(m_generated / "Models" / generatedName, m_folder / "Models" / name);
}

void SceneFixture::LinkAllModelsExcept(const std::vector<std::string>& leftOut) {
    for (const fs::directory_entry& entry : fs::directory_iterator(m_generated / "Models")) {
        const std::string name = entry.path().filename().string();
        if (name.front() == '.') continue;
        if (std::find(leftOut.begin(), leftOut.end(), name) != leftOut.end()) continue;
        LinkModel(name, name);
    }
}

void SceneFixture::WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(m_folder / name) << text;
}

std::string SceneFixture::ReadFile(const std::string& name) const {
    std::ifstream in(m_folder / name);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
