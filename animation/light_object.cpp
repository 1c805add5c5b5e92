#include "animation/light_object.h"

#include <algorithm>

#include <GL/gl.h>

#include "animation/focus_point.h"
#include "model/vec_math.h"

namespace {

constexpr float kHueDriftPerMs = 0.025f;      // degrees
constexpr float kCutoffDriftPerMs = 0.0003f;  // degrees
constexpr float kCutoffMin = 1.0f;
constexpr float kCutoffMax = 10.0f;
constexpr float kSpotStartCutoff = 6.0f;
constexpr float kSpotAttenuation = 1.6f;
constexpr float kAimBelowFocus = 1000.0f;  // the spots aim at the floor beneath the dancer
constexpr float kAimBox = 3500.0f;         // how far the aim may wander from that point
constexpr float kAimSpeedMax = 1000.0f;
// Per axis x, y, z: random acceleration, and the constant pull back toward the aimed point.
constexpr float kAimAccel[3] = {100.0f, 50.0f, 100.0f};
constexpr float kAimPull[3] = {100.0f / 5.0f, 100.0f / 10.0f, 100.0f / 5.0f};

// The point below the dancer that a moving spot aims at, relative to the spot.
void AimAtDancer(const float* spotPosition, float* out) {
    float focus[3];
    Vec3Sub(SceneFocusPoint(focus), spotPosition, out);
    out[1] -= kAimBelowFocus;
}

}  // namespace

CLightObject::CLightObject(std::uint32_t lightIdIn, float hueIn, float saturationIn,
                           float valueIn) {
    Set(lightIdIn, hueIn, saturationIn, valueIn);
}

void CLightObject::Set(std::uint32_t lightIdIn, float hueIn, float saturationIn, float valueIn) {
    hue = hueIn;
    saturation = saturationIn;
    value = valueIn;
    UpdateRgbFromHsv();
    lightId = lightIdIn;
    Vec3Set(position, 1.0f, 0.0f, 0.0f);
    enabled = 1;
}

void CLightObject::UpdateRgbFromHsv() {
    float hsv[3] = {hue, saturation, value};
    float rgb[3];
    HSVToRGB(rgb, hsv);
    hue = hsv[0];  // the conversion wraps the hue into range
    red = rgb[0];
    green = rgb[1];
    blue = rgb[2];
}

void CLightObject::ApplyDiffuse() const {
    const float diffuse[4] = {red, green, blue, 1.0f};
    glLightfv(lightId, GL_DIFFUSE, diffuse);
}

void CLightObject::Apply() { ApplyDiffuse(); }

void CLightObject::SetAttenuation(float a) { glLightf(lightId, GL_CONSTANT_ATTENUATION, a); }

void CLightObject::Enable() {
    glEnable(lightId);
    enabled = 1;
}

void CLightObject::Disable() {
    glDisable(lightId);
    enabled = 0;
}

void CLightObject::SetPosition(const float* v) { std::copy_n(v, 3, position); }

void CLightObject::ApplyPosition() {
    const float direction[4] = {position[0], position[1], position[2], 0.0f};
    glLightfv(lightId, GL_POSITION, direction);
}

void CLightObject::SetColor(const float* rgb) {
    red = rgb[0];
    green = rgb[1];
    blue = rgb[2];
    float hsv[3];
    RGBToHSV(hsv, rgb);
    hue = hsv[0];
    saturation = hsv[1];
    value = hsv[2];
    ApplyDiffuse();
}

float* CLightObject::GetColor(float* out) const {
    Vec3Set(out, red, green, blue);
    return out;
}

CSpotLightObject::CSpotLightObject(float x, float y, float z, std::uint32_t lightIdIn, float hueIn,
                                   float saturationIn, float valueIn)
    : CLightObject(lightIdIn, hueIn, saturationIn, valueIn) {
    SetSpotPosition(x, y, z);
}

void CSpotLightObject::SetSpotPosition(float x, float y, float z) {
    Vec3Set(spotPosition, x, y, z);
    Vec3Set(aimVelocity, 0.0f, 0.0f, 0.0f);
}

void CSpotLightObject::SetCutoff(float c) {
    cutoff = c;
    glLightf(lightId, GL_SPOT_CUTOFF, c);
}

void CSpotLightObject::SetExponent(float e) { glLightf(lightId, GL_SPOT_EXPONENT, e); }

void CSpotLightObject::Apply() {
    glLightf(lightId, GL_CONSTANT_ATTENUATION, kSpotAttenuation);
    glLightf(lightId, GL_LINEAR_ATTENUATION, 0.0f);
    glLightf(lightId, GL_QUADRATIC_ATTENUATION, 0.0f);
    ApplyDiffuse();
    SetCutoff(kSpotStartCutoff);
    SetExponent(1.0f);
    AimAtDancer(spotPosition, position);
}

void CSpotLightObject::GetDirection(float* out) const { std::copy_n(position, 3, out); }

void CSpotLightObject::ApplyDirection() const {
    float unit[3];
    GetDirection(unit);
    Vec3Normalize(unit, unit);
    glLightfv(lightId, GL_SPOT_DIRECTION, unit);
}

void CSpotLightObject::GetPosition(float* out) const { std::copy_n(spotPosition, 3, out); }

void CSpotLightObject::ApplyPosition() const {
    const float where[4] = {spotPosition[0], spotPosition[1], spotPosition[2], 1.0f};
    glLightfv(lightId, GL_POSITION, where);
}

void CSpotLightObject::AnimateColor(float dtMs) {
    hue += RandSigned() * dtMs * kHueDriftPerMs;
    if (hue >= 360.0f) {
        hue = static_cast<float>(hue - 360.0);
    } else if (hue < 0.0f) {
        hue = static_cast<float>(hue + 360.0);
    }
    UpdateRgbFromHsv();
    ApplyDiffuse();
}

void CSpotLightObject::AnimateAim(float dtMs) {
    float aimed[3];
    AimAtDancer(spotPosition, aimed);
    // The pull comes after the speed clamp, so the speed may pass the bound by one pull.
    for (int k = 0; k < 3; ++k) {
        RandomWalkClamped(&position[k], &aimVelocity[k], kAimAccel[k], -kAimSpeedMax, kAimSpeedMax,
                          aimed[k] - kAimBox, aimed[k] + kAimBox, dtMs);
        if (aimed[k] > position[k]) {
            aimVelocity[k] += kAimPull[k];
        } else if (position[k] > aimed[k]) {
            aimVelocity[k] -= kAimPull[k];
        }
    }
}

void CSpotLightObject::AnimateCutoff(float dtMs) {
    cutoff += RandSigned() * dtMs * kCutoffDriftPerMs;
    ClampFloat(&cutoff, kCutoffMax, kCutoffMin);
    glLightf(lightId, GL_SPOT_CUTOFF, cutoff);
}
