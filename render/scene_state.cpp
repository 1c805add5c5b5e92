#include "render/scene_state.h"

CModelObject* ClubModel = nullptr;
std::array<CModelObject*, kPropCount> PropModels = {};
CMeshPart* FloorGrid = nullptr;
std::uint32_t FontListBase = 0;
int StencilShadowsUsable = 0;

int GLReady = 0;
int RenderEnabled = 0;

int ShowClub = 1;
int ShowProps = 0;
int ShowStats = 0;
int ToonShading = 0;
int SmoothShading = 1;
int StereoRendering = 0;
