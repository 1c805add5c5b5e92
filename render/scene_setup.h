#pragma once
// The pieces of scene start-up that the frame draws with: the fixed OpenGL state, the floor
// grid, the overlay's font lists and the lights. Each needs the OpenGL context current.

#include <array>
#include <memory>

#include "animation/light_object.h"
#include "animation/light_show.h"

class CMeshPart;

// Clear colour, shading, winding, culling, lighting model, depth, colour material and blending
// as every frame expects them.
void ApplyFixedGLState();

// The 32 x 32-quad grid drawn in place of the hidden club, compiled into a display list of
// its own. 0 built, 1 when part is null.
int BuildFloorGrid(CMeshPart* part);

// Reserves 256 display lists at FontListBase and fills the first 255 with the overlay font's
// glyphs. false when no list can be reserved or the font cannot be rasterised.
[[nodiscard]] bool CreateFontDisplayLists();

// The lights the scene owns; creating them also points SimpleLight, MainLight and SpotLights
// at them.
struct ClubLights {
    std::unique_ptr<CLightObject> main;
    std::array<std::unique_ptr<CSpotLightObject>, kSpotLightCount> spots;
};
std::unique_ptr<CLightObject> CreateAmbientOnlyLight();
ClubLights CreateClubLights();
