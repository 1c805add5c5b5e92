#pragma once
// The scene as every run starts it, below the shell: the start values of the run-time globals
// the scene reads, and the objects built from Models/ (cameras, club, props, floor grid,
// lights). The application's start-up and the scene of the tests, benchmarks and tools both
// build it here, so they cannot drift apart. UI thread, with the OpenGL context current.

#include <array>
#include <memory>

#include "animation/camera.h"
#include "animation/light_object.h"
#include "animation/light_show.h"
#include "animation/vr_camera.h"
#include "model/mesh_part.h"
#include "model/model_catalogue.h"
#include "model/model_object.h"

// The owners behind the scene globals. The dancer and her shadow copy are owned by the dancer
// selection, which replaces them.
struct SceneObjects {
    std::unique_ptr<CCamera> manualCamera;
    std::array<std::unique_ptr<CCamera>, 2> autoCameras;
    std::unique_ptr<CVRCamera> vrCamera;
    std::unique_ptr<CModelObject> clubModel;
    std::array<std::unique_ptr<CModelObject>, kPropCount> propModels;
    std::unique_ptr<CMeshPart> floorGrid;
    std::unique_ptr<CLightObject> simpleLight;
    std::unique_ptr<CLightObject> mainLight;
    std::array<std::unique_ptr<CSpotLightObject>, kSpotLightCount> spotLights;
};

// The view, drawing and light values every run starts with (the settings' groups apart), the
// camera director's and light show's timers included.
void SetSceneStartValues();

// The manual, the two automatic and the Virtual Reality camera at their start positions; the
// toon outline follows them from here on.
void CreateSceneCameras(SceneObjects& scene);
// The club, placed; false when its file does not load (nothing is kept).
[[nodiscard]] bool LoadClub(SceneObjects& scene);
// Every prop that loads (a missing file leaves its slot empty); ShowProps when any did.
void CreateSceneProps(SceneObjects& scene);
void CreateSceneFloorGrid(SceneObjects& scene);
void CreateSceneLights(SceneObjects& scene);
// The shadow and clip planes and the lights switched as the values now in force say.
void ApplyStartLighting();

// Frees the cameras, the dancers, the club, the props and the lights and clears the globals
// that point at them. The floor grid stays: its owner decides.
void ReleaseSceneObjects(SceneObjects& scene);
