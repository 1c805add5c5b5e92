#pragma once
// The orbit camera: a point on a sphere around the dancer's look-at point, given by a polar
// angle, an azimuth and a distance, with a vertical field of view. It computes the centre view
// and the two eyes of a toed-in stereo pair and loads the OpenGL matrices.

#include <cstdint>

// The camera record the ray tracer takes, written by the cameras' GL set-up while the ray
// tracer is the engine.
struct RtCameraRecord {
    float position[3];   // the eye
    float direction[3];  // unit vector from the eye toward the target
    float up[3];
    float fovScale;     // tan of half the vertical field of view
    float aspectRatio;  // ViewportWidth / ViewportHeight
};

// UI thread only: written by CCamera::SetupGLView and CVRCamera::SetupGLView, read by the
// frame renderer, which hands a copy to the ray tracer.
extern RtCameraRecord RtCameraParams;

// The clock of the key-driven moves, shared by every camera: its base and the clock value of
// the previous move (0 = none). UI thread only.
extern std::int32_t KeyMoveClockBase;
extern std::int32_t LastKeyMoveTime;

// Where the key-driven moves read the time; GetElapsedMilliseconds unless a test steers it.
using KeyMoveClockFn = float (*)(std::int32_t* base);
extern KeyMoveClockFn KeyMoveClock;

class CCamera {
public:
    // Angles in radians, fov in degrees.
    CCamera(float polar, float azimuth, float distance, float fov);

    void Init(float polar, float azimuth, float distance, float fov);
    void SetAzimuthLimits(float min, float max);
    float GetFieldOfView() const { return fov; }

    // eyeIndex 0 is the centre view, 1 and 2 the stereo eyes. back is the unit vector from the
    // target toward the eye. Stores the target.
    void ComputeView(float* eye, float* back, float* up, std::int32_t eyeIndex);
    // Loads the projection and model-view matrices for the eye.
    void SetupGLView(std::int32_t eyeIndex);

    // The director's random drift of distance, field of view, azimuth and polar angle.
    void AutoMove(float dtMs);
    void ResetOrbitSpeed();

    // The key-driven moves of the manual camera: they act only in camera mode 1 and move by
    // the time since the previous key-driven move.
    void UpdateFrameTime();
    void ZoomIn();
    void ZoomOut();
    void WidenView();
    void NarrowView();
    void OrbitLeft();
    void OrbitRight();
    void OrbitUp();
    void OrbitDown();

    float fovMin;
    float fovMax;
    float distanceMin;
    float distanceMax;
    float polarMin;
    float polarMax;
    float azimuthMin;
    float azimuthMax;
    float polar;
    float azimuth;
    float distance;
    float fov;
    float polarVelocity;
    float azimuthVelocity;
    float distanceVelocity;
    float fovVelocity;
    float target[3] = {0.0f, 0.0f, 0.0f};
    float msSinceMove;

private:
    // Starts a key-driven move: false outside camera mode 1, else the milliseconds to move by.
    bool BeginKeyMove(float* ms);
};

// Shared by the orbit and the Virtual Reality camera: loads the perspective projection and the
// look-at model-view matrix, and fills RtCameraParams (with the view direction the camera
// gives) when the ray tracer is the engine.
void LoadCameraView(float fovDegrees, const float* eye, const float* target, const float* up,
                    const float* direction);
