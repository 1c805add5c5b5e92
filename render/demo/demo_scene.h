#pragma once
// The scene that the application's start-up builds, without the shell, through the same
// start code: start values, the fixed OpenGL state, the font lists, the cameras, a dancer, the
// club, the props, the floor grid and the lights, loaded from Models/ under the current
// directory into the current OpenGL context. It owns what the scene globals point at while it
// lives.

#include <memory>

#include "render/scene_start.h"

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

    SceneObjects m_scene;
};
