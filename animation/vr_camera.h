#pragma once
// The Virtual Reality camera of camera mode 2: a free camera given by a position and three
// rotation angles, with parallel stereo eyes.

#include <cstdint>

class CVRCamera {
public:
    CVRCamera();

    // Angles in radians, fov in degrees.
    void Init(float pitch, float yaw, float roll, float fov);
    void GetEyeVectors(float* eye, float* forward, float* up) const;
    // eyeIndex 0 is the centre view, 1 and 2 the stereo eyes.
    void SetupGLView(std::int32_t eyeIndex) const;

    float pitch;
    float yaw;
    float fov;
    float roll;
    float yawOffset;
    float height;  // added to heightOffset
    float x;
    float z;
    float heightOffset;
};

// Start values of yaw and roll, radians; set before start-up.
extern float VRCameraInitAngles[2];

// The application object's Virtual Reality camera (a plain global pointing at it). Written by
// scene start-up, read on the UI thread by the frame driver, the renderer and the head look-at.
extern CVRCamera* VRCamera;
