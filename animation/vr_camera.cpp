#include "animation/vr_camera.h"

#include "animation/camera.h"
#include "animation/view_options.h"
#include "model/vec_math.h"

float VRCameraInitAngles[2] = {0.0f, 0.0f};
CVRCamera* VRCamera = nullptr;

namespace {

constexpr float kStartPitch = 0.17453294f;  // 10 degrees
constexpr float kStartFov = 25.3125f;
constexpr float kStartZ = 5000.0f;
constexpr float kStartHeightOffset = 625.0f;
constexpr float kEyeMinY = -975.0f;  // the club floor
constexpr float kEyeMaxY = 2900.0f;
constexpr float kEyeSeparation = 65.5f;  // model units between the eyes at scale 1

}  // namespace

CVRCamera::CVRCamera() {
    Init(kStartPitch, VRCameraInitAngles[0], VRCameraInitAngles[1], kStartFov);
}

void CVRCamera::Init(float pitchIn, float yawIn, float rollIn, float fovIn) {
    pitch = pitchIn;
    yaw = yawIn;
    roll = rollIn;
    fov = fovIn;
    z = kStartZ;
    yawOffset = 0.0f;
    x = 0.0f;
    heightOffset = kStartHeightOffset;
    height = 0.0f;
}

void CVRCamera::GetEyeVectors(float* eye, float* forward, float* up) const {
    Vec3Set(eye, x, heightOffset + height, z);
    ClampFloat(&eye[1], kEyeMaxY, kEyeMinY);
    float m[16];
    Mat4RotateZXY(m, pitch, yaw + yawOffset, roll);
    const float ahead[3] = {0.0f, 0.0f, -1.0f};
    const float above[3] = {0.0f, 1.0f, 0.0f};
    Mat4TransformPoint(ahead, m, forward);
    Mat4TransformPoint(above, m, up);
}

void CVRCamera::SetupGLView(std::int32_t eyeIndex) const {
    float eye[3], forward[3], up[3], side[3];
    GetEyeVectors(eye, forward, up);
    Vec3Cross(forward, up, side);
    // The eyes sit half the separation to each side and look in parallel.
    float shift = 0.0f;
    if (eyeIndex != 0) {
        const float separation =
            static_cast<float>(Stereo3DInvert) * Stereo3DScale * kEyeSeparation;
        shift = (eyeIndex == 1) ? separation * -0.5f : separation * 0.5f;
    }
    Vec3Scale(side, shift, side);
    Vec3Add(eye, side, eye);
    float target[3], direction[3];
    Vec3Add(eye, forward, target);
    Vec3Sub(target, eye, direction);
    LoadCameraView(fov, eye, target, up, direction);
}
