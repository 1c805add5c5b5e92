#pragma once
// OpenGL lights: a plain light with its colour kept as HSV and RGB, and the spot light whose
// aim wanders around the dancer. Every call that sets OpenGL state needs the context current.

#include <cstdint>

class CLightObject {
public:
    // lightId is GL_LIGHT0 + n; hue in degrees, saturation and value 0 to 1.
    CLightObject(std::uint32_t lightId, float hue, float saturation, float value);
    virtual ~CLightObject() = default;
    CLightObject(const CLightObject&) = delete;
    CLightObject& operator=(const CLightObject&) = delete;

    // Stores the colour, the light number, position (1, 0, 0) and enabled 1; no OpenGL call.
    void Set(std::uint32_t lightId, float hue, float saturation, float value);
    virtual void Apply();
    void SetAttenuation(float a);
    std::int32_t IsEnabled() const { return enabled; }
    void Enable();
    void Disable();
    void SetPosition(const float* v);
    void ApplyPosition();  // a directional light: the position is the direction toward it
    void SetColor(const float* rgb);
    float* GetColor(float* out) const;

    float hue;
    float saturation;
    float value;
    float red;
    float green;
    float blue;
    // A plain light's direction toward the light; a spot light's aim from the light toward
    // the aimed point, not normalised.
    float position[3];
    std::uint32_t lightId;
    std::int32_t enabled;

protected:
    void UpdateRgbFromHsv();
    void ApplyDiffuse() const;
};

class CSpotLightObject : public CLightObject {
public:
    CSpotLightObject(float x, float y, float z, std::uint32_t lightId, float hue, float saturation,
                     float value);

    void SetSpotPosition(float x, float y, float z);
    void SetCutoff(float c);
    void SetExponent(float e);
    // Attenuation, colour, a 6-degree cone and the first aim, at a point 1000 units below the
    // dancer's look-at point.
    void Apply() override;
    void GetDirection(float* out) const;
    void ApplyDirection() const;  // the aim normalised; the stored aim stays as it is
    void GetPosition(float* out) const;
    float GetCutoff() const { return cutoff; }
    void ApplyPosition() const;  // a positional light at spotPosition

    // The light show's drift, dt in milliseconds.
    void AnimateColor(float dtMs);
    void AnimateAim(float dtMs);
    void AnimateCutoff(float dtMs);

    float cutoff = 0.0f;  // cone half-angle, degrees
    float spotPosition[3];
    float aimVelocity[3];  // units per second per axis
};
