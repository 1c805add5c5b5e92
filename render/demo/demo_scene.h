#pragma once
// The scene that the application's start-up builds, without the shell: start values, the
// fixed OpenGL state, the font lists, the cameras, a dancer, the club, the props, the floor
// grid and the lights, loaded from Models/ under the current directory into the current
// OpenGL context. It owns what the scene globals point at while it lives.

#include <array>
#include <memory>

#include "animation/camera.h"
#include "animation/vr_camera.h"
#include "model/mesh_part.h"
#include "model/model_object.h"
#include "render/scene_setup.h"

struct DemoSceneOptions {
    int width = 256;  // the viewport
    int height = 256;
    int dancer = 0;  // dancer index 0 to 6; -1 none
};

class DemoScene {
  public:
    // Null when the club cannot be loaded. A missing dancer leaves DancerLoaded 0.
    static std::unique_ptr<DemoScene> Create(const DemoSceneOptions& options);
    // Clears the scene globals and frees the scene; the context must still be current.
    ~DemoScene();
    DemoScene(const DemoScene&) = delete;
    DemoScene& operator=(const DemoScene&) = delete;

  private:
    DemoScene() = default;
    bool Build(const DemoSceneOptions& options);

    std::unique_ptr<CCamera> m_manualCamera;
    std::array<std::unique_ptr<CCamera>, 2> m_autoCameras;
    std::unique_ptr<CVRCamera> m_vrCamera;
    std::unique_ptr<CModelObject> m_club;
    std::array<std::unique_ptr<CModelObject>, kPropCount> m_props;
    std::unique_ptr<CMeshPart> m_floorGrid;
    std::unique_ptr<CLightObject> m_simpleLight;
    ClubLights m_clubLights;
};
