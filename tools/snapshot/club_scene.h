#pragma once
// The club, its props and (once loaded) a dancer, drawn with the project's own loader and
// drawing code from a given camera, for looking at the generated content.

#include <cstdint>
#include <memory>
#include <vector>

#include "model/model_object.h"

struct SnapshotCamera {
    float eye[3] = {0, 1100, 6000};
    float target[3] = {0, 1100, 0};
    float fovDegrees = 30;
};

// What covers a pixel, as DrawClubScene's stencil values give it.
enum class SceneLayer : std::uint8_t { kNothing = 0, kFloor, kWall, kCeiling, kClubFurniture, kProp };

struct ClubScene {
    std::unique_ptr<CModelObject> club;
    std::vector<std::unique_ptr<CModelObject>> props;  // in catalogue order; null when missing
};

// Loads from Models/ under the current directory; false when the club is missing.
bool LoadClubScene(ClubScene* scene);

// Sets up the fixed OpenGL state, the camera and the lights and draws everything into the
// current context of width x height pixels. Each pixel's stencil value is its SceneLayer.
void DrawClubScene(const ClubScene& scene, const SnapshotCamera& camera, int width, int height);
