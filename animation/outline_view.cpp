#include "animation/outline_view.h"

#include <algorithm>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/human_object.h"
#include "animation/view_state.h"
#include "animation/vr_camera.h"

namespace {

constexpr float kVrFieldOfView = 30.0f;  // degrees; the VR camera keeps none of its own

// The eye and field of view of the camera in force; false while a camera is missing.
bool CameraEye(OutlineView& view) {
    float forward[3], up[3];
    if (CameraMode == 2) {
        if (!VRCamera) return false;
        VRCamera->GetEyeVectors(view.eye, forward, up);
        view.fovDegrees = kVrFieldOfView;
        return true;
    }
    CCamera* shown =
        CameraMode == 0 ? AutoCameras[std::clamp<int>(ActiveAutoCamera, 0, 1)] : ManualCamera;
    if (!shown || !ManualCamera) return false;
    shown->ComputeView(view.eye, forward, up, 0);
    view.fovDegrees = ManualCamera->GetFieldOfView();
    return true;
}

}  // namespace

OutlineView CameraOutlineView() {
    OutlineView view = DefaultOutlineView();
    if (!Dancer || !CameraEye(view)) return DefaultOutlineView();
    Dancer->GetFocusPoint(view.focus);
    return view;
}
