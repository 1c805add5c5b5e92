#include "animation/focus_point.h"

#include <algorithm>

#include "animation/human_object.h"

float* SceneFocusPoint(float* out) {
    static float lastFocus[3] = {0.0f, 0.0f, 0.0f};
    if (Dancer != nullptr) Dancer->GetFocusPoint(lastFocus);
    std::copy_n(lastFocus, 3, out);
    return out;
}
