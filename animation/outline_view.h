#pragma once
// What the toon outline's width follows in the running scene: the eye of the camera in force,
// the dancer's focus point and the field of view. UI thread only.

#include "model/mesh_part.h"

// The eye and field of view by CameraMode: 0 the shown automatic camera's eye with the manual
// camera's field of view, 2 the Virtual Reality camera's eye with 30 degrees, any other mode
// the manual camera's. The assumed view while a camera or the dancer is missing.
OutlineView CameraOutlineView();
