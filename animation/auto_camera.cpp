#include "animation/auto_camera.h"

#include "animation/camera.h"
#include "animation/view_state.h"

CCamera* ManualCamera = nullptr;
std::array<CCamera*, 2> AutoCameras = {nullptr, nullptr};
std::int16_t ActiveAutoCamera = 0;
RandomTimer AutoCameraTimer = kAutoCameraTimerStart;
CamAdjustButtons* CamAdjustDialog = nullptr;

namespace {

void RunMove(CCamera& camera, CamMove move) {
    switch (move) {
        case CamMove::ZoomIn:
            camera.ZoomIn();
            break;
        case CamMove::ZoomOut:
            camera.ZoomOut();
            break;
        case CamMove::OrbitLeft:
            camera.OrbitLeft();
            break;
        case CamMove::OrbitRight:
            camera.OrbitRight();
            break;
        case CamMove::WidenView:
            camera.WidenView();
            break;
        case CamMove::NarrowView:
            camera.NarrowView();
            break;
        case CamMove::OrbitUp:
            camera.OrbitUp();
            break;
        case CamMove::OrbitDown:
            camera.OrbitDown();
            break;
    }
}

// Whether a cut to camera 0 also stops camera 1's orbit: when the frame step in hundredths of
// a millisecond is divisible by 3, which makes the reset happen at about one cut in three.
bool ResetsOffScreenOrbit(float dtMs) {
    const auto hundredths = static_cast<long long>(static_cast<double>(dtMs) * 100.0);
    return hundredths % 3 == 0;
}

}  // namespace

void AutoCameraTick(float dtMs) {
    if (CameraMode != 0 || Paused != 0) return;
    if (AutoCameraTimer.Tick(dtMs)) {
        if (AutoCameraTimer.index == 1) {
            ActiveAutoCamera = 1;
        } else {
            ActiveAutoCamera = 0;
            if (ResetsOffScreenOrbit(dtMs) && AutoCameras[1] != nullptr) {
                AutoCameras[1]->ResetOrbitSpeed();
            }
        }
    }
    for (CCamera* camera : AutoCameras) {
        if (camera != nullptr) camera->AutoMove(dtMs);
    }
}

void PollCamAdjustButtons() {
    if (CamAdjustDialog == nullptr || ManualCamera == nullptr) return;
    for (const CamAdjustButton& button : kCamAdjustButtons) {
        if (CamAdjustDialog->IsButtonPushed(button.controlId)) {
            RunMove(*ManualCamera, button.move);
            return;
        }
    }
}
