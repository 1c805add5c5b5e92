// The gaze: by a random timer the eyes wander idly, look at the camera of the current camera
// mode, or hold still. The eye joints take the gaze net of the spine's turn, so they keep
// their aim while the body sways, within their own limits.

#include <cmath>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/dance_motion.h"
#include "animation/dancer_rig.h"
#include "animation/human_object.h"
#include "animation/view_state.h"
#include "animation/vr_camera.h"
#include "model/vec_math.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kHeadAbove[3] = {0, 725, -40};  // the gaze's origin from the focus point

enum LookMode : int { kLookIdle = 0, kLookAtCamera = 1, kLookHold = 2 };

const float kIdleAccel = DegToRad(40);
const float kIdleSpeed = DegToRad(40);
const float kIdleYawLimit = DegToRad(30);
const float kEyeYawLimit = DegToRad(30);
const float kEyePitchLimit = DegToRad(10);
constexpr double kEyeConvergence = 0.0872664626;  // 5 degrees each eye turns inward

// The eye point of the camera of the current camera mode; in the automatic mode always the
// second automatic camera, whichever is shown. False while that camera does not exist.
bool CameraEye(float* eye) {
    float a[3], b[3];
    if (CameraMode == 2) {
        if (VRCamera == nullptr) return false;
        VRCamera->GetEyeVectors(eye, a, b);
        return true;
    }
    CCamera* camera = CameraMode == 0 ? AutoCameras[1] : ManualCamera;
    if (camera == nullptr) return false;
    camera->ComputeView(eye, a, b, 0);
    return true;
}

}  // namespace

void CDanceMotion::UpdateHead(float dt) {
    CHumanObject& model = *Model;
    float head[3];
    model.GetFocusPoint(head);
    Vec3Add(head, kHeadAbove, head);
    model.LookTimer.Tick(dt);

    float eye[3];
    switch (model.LookTimer.index) {
        case kLookIdle:
            RandomWalkClamped(&LookYaw, &LookYawVelocity, kIdleAccel, -kIdleSpeed, kIdleSpeed,
                              -kIdleYawLimit, kIdleYawLimit, dt);
            LookPitch = 0;
            break;
        case kLookAtCamera:
            if (CameraEye(eye)) {
                float to[3], d[3] = {0, 0, 0};  // an eye on the head leaves d at 0
                Vec3Sub(eye, head, to);
                Vec3Normalize(to, d);
                LookYaw = static_cast<float>(static_cast<double>(kHalfPi) - std::atan2(d[2], d[0]));
                LookYawVelocity = 0;
                LookPitch = static_cast<float>(static_cast<double>(kHalfPi) - ClampedAcos(d[1]));
                break;
            }
            [[fallthrough]];  // no camera to look at: hold
        case kLookHold:
        default:
            LookPitch = 0;
            LookYawVelocity = 0;
            break;
    }

    const float* a9 = Joint(9).angles;
    const float* a10 = Joint(10).angles;
    const float* a11 = Joint(11).angles;
    const float* a12 = Joint(12).angles;
    float yaw = LookYaw - (a12[1] + a11[1] + a10[1] + a9[1]);
    float pitch = LookPitch - (a12[0] + a11[0] + a10[0] + a9[0]);
    ClampFloat(&yaw, kEyeYawLimit, -kEyeYawLimit);
    ClampFloat(&pitch, kEyePitchLimit, -kEyePitchLimit);
    PartTransform& left = Joint(20);
    PartTransform& right = Joint(21);
    left.angles[0] = pitch;
    right.angles[0] = pitch;
    left.angles[1] = static_cast<float>(yaw - kEyeConvergence);
    right.angles[1] = static_cast<float>(yaw + kEyeConvergence);
}
