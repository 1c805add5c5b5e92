#pragma once
// Planar stencil shadows: the dancer's shadow copy projected from every spot light in force
// onto the floor, and from spot 0 onto a club wall and the club's lower floor. Each light has
// its own stencil bit, and the receivers are drawn again once per non-empty set of shadowing
// lights with exactly those lights off. OpenGL engine only, after the scene.

// Planes a x + b y + c z + d = 0 in world coordinates, made once at start-up by
// ComputeShadowPlanes. UI thread only.
extern float FloorShadowPlane[4];        // y = 20: the dance floor's top
extern float ClubWallPlane[4];           // the wall that takes spot 0's shadow, unnormalised
extern float ClubWallClipPlane[4];       // the same wall, the other side kept
extern float ClubFloorPlane[4];          // y = -975: the lower floor
extern float FloorClipPlane[4];          // keeps y >= -100
extern float FloorClipPlaneReversed[4];  // keeps y <= -100

// normal = (p2 - p1) x (p3 - p1), not normalised; out = (normal, -(normal . p1)).
void MakePlaneFromPoints(float* out, const float* p1, const float* p2, const float* p3);
// d I - light planeᵀ with d = plane . light, in glMultMatrixf order: maps every point onto the
// plane along the ray from the light (w = 1 for a point light).
void MakeShadowMatrix(float* out, const float* plane, const float* light);
// The six planes above.
void ComputeShadowPlanes();

// The stencil state left between passes: the test on and always passing when the context
// can draw stencil shadows, else off.
void ResetStencilState();

class CModelObject;
// A club whose node list has exactly six nodes carries its wall receiver inside part 0, cut
// out by two clip planes; any other club has it as part 6.
[[nodiscard]] bool ClubWallInsideFloorPart(const CModelObject& club);

// The shadow passes; leaves the depth function GL_LESS, the stencil write mask all ones and
// the lights as it found them.
void DrawPlanarShadows();
