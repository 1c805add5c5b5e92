#include "raytrace/rt_shading.h"

#include <algorithm>

namespace raytrace {

namespace {
constexpr float kShininess = 127.0f;
constexpr float kRingSpacing = 60.0f;  // scene units (about millimetres) between rings
constexpr float kRingBend = 1.5f;      // rings the turbulence may shift a point by
}  // namespace

float SpotFactor(float cosAngle, float cosCutoff, float cosOuter, float exponent) {
    if (!(cosAngle > cosOuter)) return 0.0f;
    const float c = std::max(cosAngle, 0.0f);
    const float falloff = exponent == 1.0f ? c : std::pow(c, exponent);
    if (cosAngle >= cosCutoff) return falloff;
    const float edge = (cosAngle - cosOuter) / std::max(cosCutoff - cosOuter, 1e-6f);
    return falloff * std::clamp(edge, 0.0f, 1.0f);
}

float ToonBand(float nDotL) {
    if (nDotL > 0.6f) return kToonBands[2];
    if (nDotL > 0.2f) return kToonBands[1];
    return nDotL > 0.0f ? kToonBands[0] : 0.0f;
}

float Highlight(Float3 n, Float3 toLight, Float3 toEye) {
    const Float3 h = Normalized(toLight + toEye);
    const float nh = Dot(n, h);
    return nh > 0.0f && Dot(n, toLight) > 0.0f ? std::pow(nh, kShininess) : 0.0f;
}

float WoodGrain(Float3 p, float turbulence) {
    const float r = std::sqrt(p.x * p.x + p.z * p.z) / kRingSpacing + kRingBend * turbulence;
    const float ring = r - std::floor(r);
    // Smooth light wood with a sharper dark late-wood band.
    return 0.55f + 0.45f * (1.0f - std::pow(ring, 4.0f));
}

std::uint8_t ToByte(float channel) {
    const float c = std::isnan(channel) ? 0.0f : std::clamp(channel, 0.0f, 1.0f);
    return static_cast<std::uint8_t>(std::lround(c * 255.0f));
}

}  // namespace raytrace
