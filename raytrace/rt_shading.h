#pragma once
// The shading arithmetic of the built-in lighting program, as plain functions on the
// runtime's device vectors.

#include <cmath>

#include "platform/rt/rt_device.h"

namespace raytrace {

using rtd::Float3;

inline Float3 operator+(Float3 a, Float3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Float3 operator-(Float3 a, Float3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Float3 operator-(Float3 a) { return {-a.x, -a.y, -a.z}; }
inline Float3 operator*(Float3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline Float3 operator*(Float3 a, Float3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
inline float Dot(Float3 a, Float3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float Length(Float3 a) { return std::sqrt(Dot(a, a)); }
// A zero vector stays zero.
inline Float3 Normalized(Float3 a) {
    const float len = Length(a);
    return len > 0.0f ? a * (1.0f / len) : a;
}
inline Float3 Reflect(Float3 d, Float3 n) { return d - n * (2.0f * Dot(d, n)); }
// n turned to face against the incoming direction d: shading is two-sided, since neither the
// winding nor the sign of the models' normals is the same everywhere.
inline Float3 FaceForward(Float3 n, Float3 d) { return Dot(n, d) > 0.0f ? -n : n; }

// How much of a spot reaches a point whose direction from the spot makes cosAngle with its
// axis: the GL-style cos^exponent falloff inside the cutoff, fading to 0 over the one degree
// up to the outer cone.
float SpotFactor(float cosAngle, float cosCutoff, float cosOuter, float exponent);

// Toon shading's diffuse term: n.l in three flat bands.
float ToonBand(float nDotL);
inline constexpr float kToonBands[3] = {0.15f, 0.55f, 1.0f};
// Below this |n.v| a toon surface is drawn as its outline.
inline constexpr float kToonOutline = 0.2f;
inline constexpr float kToonOutlineGrey = 0.25f;

// The white highlight of a shiny part (Blinn-Phong, OpenGL's shininess 127).
float Highlight(Float3 n, Float3 toLight, Float3 toEye);

// Wood's light and dark rings at an object-space point; turbulence is a value in about -1 to 1
// that bends the rings. Between 0.55 and 1.
float WoodGrain(Float3 objectPoint, float turbulence);

// The radiance clamped to 0..1 and turned into a byte, as the output holds it.
std::uint8_t ToByte(float channel);

}  // namespace raytrace
