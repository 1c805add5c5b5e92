#pragma once
// Vector, matrix, colour and random-motion helpers shared by all geometry and motion code.
//
// Vectors are float[3]; matrices are float[16] in the layout glMultMatrixf takes. Points are
// row vectors (p x M), so the translation sits in elements 12 to 14 and Mat4Multiply(a, b)
// applies a first. Angles are radians; rotations are counter-clockwise about their axis.
// Outputs may be the same array as an input unless a function says otherwise.

#include <array>
#include <cstdint>

void Vec3Set(float* v, float x, float y, float z);
void Vec3Add(const float* a, const float* b, float* out);
void Vec3Sub(const float* a, const float* b, float* out);
void Vec3Cross(const float* a, const float* b, float* out);  // out must not be a or b
void Vec3Normalize(const float* v, float* out);               // a zero vector leaves out as it was
void Vec3Length(const float* v, float* out);
void Vec3Scale(const float* v, float s, float* out);
// in = (r, theta, phi) -> (r cos theta sin phi, r sin theta sin phi, r cos phi)
void SphericalToCartesian(const float* in, float* out);

void Mat4Identity(float* m);
void Mat4Translation(float* m, float x, float y, float z);
float DegToRad(float degrees);
void Mat4Multiply(const float* a, const float* b, float* out);
void Mat4TransformPoint(const float* p, const float* m, float* out);  // no perspective division
void Mat4RotateXYZ(float* m, float ax, float ay, float az);           // sets Rx x Ry x Rz
void Mat4RotateZXY(float* m, float ax, float ay, float az);           // sets Rz x Rx x Ry
// Sets T(-pivot) x Rx x Ry x Rz x T(pivot).
void Mat4RotateAboutPivot(float* m, const float* pivot, float ax, float ay, float az);
// Sets Mat4RotateXYZ of the angles (a x b) x 1.6.
void Mat4RotateByCross(float* m, const float* a, const float* b);

// Hue in degrees, saturation and value in 0 to 1.
void RGBToHSV(float* hsv, const float* rgb);
// Wraps the hue once into 0 to 360 and writes it back into hsv; clamps the result to 0 to 1.
void HSVToRGB(float* rgb, float* hsv);

// Applies max, then min; true when either bound was applied.
bool ClampFloat(float* v, float max, float min);
// One of 32768 evenly spaced values in [-1, 1) from rand().
float RandSigned();

constexpr int kRandomTimerMaxStates = 4;

// Picks a random state and a random duration (seconds) between min and that state's maximum,
// then counts it down.
struct RandomTimer {
    std::int16_t index = 0;      // the state chosen last
    std::int16_t count = 1;      // number of states, 1 to kRandomTimerMaxStates
    float remaining = 0.0f;      // seconds left
    float min = 0.0f;            // shortest duration, seconds
    std::array<float, kRandomTimerMaxStates> max{};  // longest duration per state, seconds

    // Counts down by dtMs / 1000; once the time has run out, draws a new state and duration
    // and returns true.
    bool Tick(float dtMs);
};

// Adds a random acceleration to the velocity (once per call), clamps it, advances the value by
// velocity (per second) x dtMs / 1000 and clamps it; a clamped value stops the velocity.
void RandomWalkClamped(float* value, float* velocity, float accel, float velMin, float velMax,
                       float min, float max, float dtMs);
