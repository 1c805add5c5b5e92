#pragma once
// The point that the cameras and the moving spot lights look at.

// Writes the dancer's look-at point into out and returns out. Without a dancer (a failed
// dancer change) it gives the last point a dancer had, so the view holds still instead of
// reading a missing object; before any dancer it gives the origin.
float* SceneFocusPoint(float* out);
