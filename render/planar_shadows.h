#pragma once
// Planar stencil shadows of the dancer's shadow copy.

// The shadow passes after the scene, OpenGL engine only.
void DrawPlanarShadows();
