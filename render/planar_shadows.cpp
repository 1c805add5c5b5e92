#include "render/planar_shadows.h"

// The shadow passes come with the stencil shadows; the frame already calls them in place.
void DrawPlanarShadows() {}
