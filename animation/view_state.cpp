#include "animation/view_state.h"

int CameraMode = 0;
std::atomic<int> Paused{0};
int ViewportWidth = 1;
int ViewportHeight = 1;
