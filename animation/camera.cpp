#include "animation/camera.h"

#include <cmath>

#include <GL/gl.h>
#include <GL/glu.h>

#include "animation/focus_point.h"
#include "animation/view_state.h"
#include "animation/view_options.h"
#include "model/vec_math.h"
#include "platform/clock/elapsed_clock.h"

RtCameraRecord RtCameraParams = {};
std::int32_t KeyMoveClockBase = 0;
std::int32_t LastKeyMoveTime = 0;
KeyMoveClockFn KeyMoveClock = GetElapsedMilliseconds;

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;
constexpr double kTwoPiDouble = 6.2831854820251465;
constexpr float kEyeMinY = 200.0f;       // the eye stays inside the club: above the floor props
constexpr float kEyeMaxY = 2900.0f;      // and below the ceiling at 2975
constexpr float kEyeSeparation = 65.5f;  // model units between the stereo eyes at scale 1
constexpr float kStereoReferenceFov = 0.2617994f;  // 15 degrees: the eyes' reference half-angle
constexpr double kNearPlane = 200.0;
constexpr double kFarPlane = 50000.0;

// Per millisecond of a held key.
constexpr float kZoomRate = 0.0003f;          // relative distance change
constexpr float kFovRate = 0.01f;             // degrees
constexpr float kOrbitRate = 0.00069813174f;  // 0.04 degrees
constexpr float kTiltRate = 0.00034906587f;   // 0.02 degrees
constexpr float kKeyPolarMin = 0.017453292f;  // 1 degree
constexpr float kKeyPolarMax = 3.1241393f;    // 179 degrees
constexpr float kKeyMoveGapMs = 500.0f;       // a longer pause makes the next move move nothing

// Random-walk accelerations and speed bounds of AutoMove. The field of view takes the radian
// values of 1 and 10 degrees as they are, so it drifts by at most about 0.17 degrees a second.
constexpr float kDistanceAccel = 40.0f;
constexpr float kDistanceSpeedMax = 400.0f;
constexpr float kAngleAccel = 0.017453292f;
constexpr float kAngleSpeedMax = 0.17453294f;

// Head room: raises the target until the view's upper edge passes through 2 x target.y + 40,
// so a tall dancer seen from below keeps her head in the picture.
void RaiseTargetForHeadRoom(float* target, const float* eye, float distance, float fov) {
    const float h = 2.0f * target[1] + 40.0f;
    const double half = fov * 3.1415927 / 180.0 * 0.5;
    const double top =
        std::tan(std::atan((target[1] - eye[1]) / distance) + half) * distance + eye[1];
    if (h > top) {
        target[1] = static_cast<float>(
            std::tan(std::atan((h - eye[1]) / distance) - half) * distance + eye[1]);
    }
}

}  // namespace

CCamera::CCamera(float polarIn, float azimuthIn, float distanceIn, float fovIn) {
    Init(polarIn, azimuthIn, distanceIn, fovIn);
}

void CCamera::Init(float polarIn, float azimuthIn, float distanceIn, float fovIn) {
    fovMin = 15.0f;
    fovMax = 60.0f;
    distanceMin = 1500.0f;
    distanceMax = 8000.0f;
    polarMin = 1.3962634f;  // 80 degrees
    polarMax = 1.7453293f;  // 100 degrees
    azimuthMin = -kPi;
    azimuthMax = kPi;
    polar = polarIn;
    azimuth = azimuthIn;
    distance = distanceIn;
    fov = fovIn;
    polarVelocity = 0.0f;
    azimuthVelocity = 0.0f;
    distanceVelocity = 0.0f;
    fovVelocity = 0.0f;
    msSinceMove = 0.0f;
}

void CCamera::SetAzimuthLimits(float min, float max) {
    azimuthMin = min;
    azimuthMax = max;
}

void CCamera::ComputeView(float* eye, float* back, float* up, std::int32_t eyeIndex) {
    float toeIn = 0.0f;
    float ratio = 1.0f;
    if (eyeIndex != 0) {
        // The eyes turn about the target so both look at one point.
        ratio = std::tan(kStereoReferenceFov) / std::tan(fov * kPi / 180.0f * 0.5f);
        toeIn = std::atan(Stereo3DScale * kEyeSeparation * ratio / (distance * 0.8f * 2.0f));
        toeIn *= static_cast<float>(Stereo3DInvert);
        if (eyeIndex == 2) toeIn = -toeIn;
    }
    const float spherical[3] = {distance, azimuth + toeIn, polar};
    float offset[3];
    SphericalToCartesian(spherical, offset);
    const float offsetYUp[3] = {offset[0], -offset[2], offset[1]};

    SceneFocusPoint(target);
    Vec3Add(target, offsetYUp, eye);
    ClampFloat(&eye[1], kEyeMaxY, kEyeMinY);
    RaiseTargetForHeadRoom(target, eye, distance, fov);

    if (eyeIndex != 0) {
        // Both eyes converge on a point pulled from the centre target toward the centre eye.
        float centreEye[3], centreBack[3], centreUp[3];
        ComputeView(centreEye, centreBack, centreUp, 0);
        float pull[3];
        Vec3Scale(centreBack, distance * 0.19999999f / ratio, pull);
        Vec3Add(target, pull, target);
    }

    float toEye[3];
    Vec3Sub(eye, target, toEye);
    Vec3Normalize(toEye, back);
    // Perpendicular to back in its vertical plane; the polar limits keep l above 0.
    const float l = std::sqrt(back[0] * back[0] + back[2] * back[2]);
    Vec3Set(up, -back[1] * back[0] / l, l, -back[1] * back[2] / l);
}

void CCamera::SetupGLView(std::int32_t eyeIndex) {
    float eye[3], back[3], up[3];
    ComputeView(eye, back, up, eyeIndex);
    float direction[3];
    Vec3Scale(back, -1.0f, direction);
    LoadCameraView(fov, eye, target, up, direction);
}

void LoadCameraView(float fovDegrees, const float* eye, const float* target, const float* up,
                    const float* direction) {
    const double aspect =
        static_cast<double>(ViewportWidth) / (ViewportHeight > 0 ? ViewportHeight : 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovDegrees, aspect, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye[0], eye[1], eye[2], target[0], target[1], target[2], up[0], up[1], up[2]);
    if (RayTracingAvailable != 0 && RenderEngine == kRayTracerEngine) {
        RtCameraRecord& rt = RtCameraParams;
        for (int i = 0; i < 3; ++i) {
            rt.position[i] = eye[i];
            rt.direction[i] = direction[i];
            rt.up[i] = up[i];
        }
        rt.fovScale = std::tan(fovDegrees * 0.017453292f * 0.5f);
        rt.aspectRatio = static_cast<float>(aspect);
    }
}

void CCamera::AutoMove(float dtMs) {
    RandomWalkClamped(&distance, &distanceVelocity, kDistanceAccel, -kDistanceSpeedMax,
                      kDistanceSpeedMax, distanceMin, distanceMax, dtMs);
    RandomWalkClamped(&fov, &fovVelocity, kAngleAccel, -kAngleSpeedMax, kAngleSpeedMax, fovMin,
                      fovMax, dtMs);

    // The orbit speed has no bound. Limits inside (-pi, pi) stop the camera at each limit;
    // the full limits let it orbit freely with the azimuth kept in [0, 2 pi).
    azimuthVelocity += RandSigned() * kAngleAccel;
    azimuth += azimuthVelocity * dtMs / 1000.0f;
    if (azimuth > azimuthMax) {
        if (azimuthMax < kPi) {
            azimuth = azimuthMax;
            azimuthVelocity = 0.0f;
        } else {
            azimuth = static_cast<float>(azimuth - kTwoPiDouble);
        }
    } else if (azimuth < azimuthMin) {
        if (azimuthMin > -kPi) {
            azimuth = azimuthMin;
            azimuthVelocity = 0.0f;
        } else {
            azimuth += kTwoPi;
        }
    }
    if (azimuth > kTwoPi) azimuth -= kTwoPi;
    if (azimuth < 0.0f) azimuth += kTwoPi;

    RandomWalkClamped(&polar, &polarVelocity, kAngleAccel, -kAngleSpeedMax, kAngleSpeedMax,
                      polarMin, polarMax, dtMs);
}

void CCamera::ResetOrbitSpeed() {
    azimuthVelocity = 0.0f;
    if (azimuth > kPi) azimuth -= kPi;
}

void CCamera::UpdateFrameTime() {
    const float now = KeyMoveClock(&KeyMoveClockBase);
    if (LastKeyMoveTime != 0) {
        msSinceMove = now - static_cast<float>(LastKeyMoveTime);
        if (msSinceMove > kKeyMoveGapMs) msSinceMove = 0.0f;
    }
    LastKeyMoveTime = static_cast<std::int32_t>(now);
}

bool CCamera::BeginKeyMove(float* ms) {
    if (CameraMode != 1) return false;
    UpdateFrameTime();
    *ms = msSinceMove;
    return true;
}

void CCamera::ZoomIn() {
    float ms = 0.0f;
    if (!BeginKeyMove(&ms)) return;
    distance /= 1.0f + kZoomRate * ms;
    if (distance < distanceMin) distance = distanceMin;
}

void CCamera::ZoomOut() {
    float ms = 0.0f;
    if (!BeginKeyMove(&ms)) return;
    distance *= 1.0f + kZoomRate * ms;
    if (distance > distanceMax) distance = distanceMax;
}

void CCamera::WidenView() {
    float ms = 0.0f;
    if (!BeginKeyMove(&ms)) return;
    fov += kFovRate * ms;
    if (fov > fovMax) fov = fovMax;
}

void CCamera::NarrowView() {
    float ms = 0.0f;
    if (!BeginKeyMove(&ms)) return;
    fov -= kFovRate * ms;
    if (fov < fovMin) fov = fovMin;
}

void CCamera::OrbitLeft() {
    float ms = 0.0f;
    if (!BeginKeyMove(&ms)) return;
    azimuth -= kOrbitRate * ms;
    if (azimuth <= -kPi) azimuth += kTwoPi;
}

void CCamera::OrbitRight() {
    float ms = 0.0f;
    if (!BeginKeyMove(&ms)) return;
    azimuth += kOrbitRate * ms;
    if (azimuth >= kPi) azimuth -= kTwoPi;
}

void CCamera::OrbitUp() {
    float ms = 0.0f;
    if (!BeginKeyMove(&ms)) return;
    polar += kTiltRate * ms;
    if (polar >= kKeyPolarMax) polar = kKeyPolarMax;
}

void CCamera::OrbitDown() {
    float ms = 0.0f;
    if (!BeginKeyMove(&ms)) return;
    polar -= kTiltRate * ms;
    if (polar <= kKeyPolarMin) polar = kKeyPolarMin;
}
