#include "model/vec_math.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void Vec3Set(float* v, float x, float y, float z) {
    v[0] = x;
    v[1] = y;
    v[2] = z;
}

void Vec3Add(const float* a, const float* b, float* out) {
    for (int i = 0; i < 3; ++i) out[i] = a[i] + b[i];
}

void Vec3Sub(const float* a, const float* b, float* out) {
    for (int i = 0; i < 3; ++i) out[i] = a[i] - b[i];
}

void Vec3Cross(const float* a, const float* b, float* out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

void Vec3Normalize(const float* v, float* out) {
    float length = 0.0f;
    Vec3Length(v, &length);
    if (length == 0.0f) return;
    for (int i = 0; i < 3; ++i) out[i] = v[i] / length;
}

void Vec3Length(const float* v, float* out) {
    *out = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

void Vec3Scale(const float* v, float s, float* out) {
    for (int i = 0; i < 3; ++i) out[i] = s * v[i];
}

void SphericalToCartesian(const float* in, float* out) {
    const float r = in[0], theta = in[1], phi = in[2];
    const float sinPhi = std::sin(phi);
    out[0] = r * std::cos(theta) * sinPhi;
    out[1] = r * std::sin(theta) * sinPhi;
    out[2] = r * std::cos(phi);
}

void Mat4Identity(float* m) {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void Mat4Translation(float* m, float x, float y, float z) {
    Mat4Identity(m);
    m[12] = x;
    m[13] = y;
    m[14] = z;
}

float DegToRad(float degrees) { return degrees * 3.1415927f / 180.0f; }

void Mat4Multiply(const float* a, const float* b, float* out) {
    float product[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a[4 * r + k] * b[4 * k + c];
            product[4 * r + c] = sum;
        }
    }
    std::copy_n(product, 16, out);
}

void Mat4TransformPoint(const float* p, const float* m, float* out) {
    const float x = p[0], y = p[1], z = p[2];
    for (int c = 0; c < 3; ++c) out[c] = x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c];
}

namespace {

void RotationX(float* m, float a) {
    Mat4Identity(m);
    m[5] = std::cos(a);
    m[6] = std::sin(a);
    m[9] = -std::sin(a);
    m[10] = std::cos(a);
}

void RotationY(float* m, float a) {
    Mat4Identity(m);
    m[0] = std::cos(a);
    m[2] = -std::sin(a);
    m[8] = std::sin(a);
    m[10] = std::cos(a);
}

void RotationZ(float* m, float a) {
    Mat4Identity(m);
    m[0] = std::cos(a);
    m[1] = std::sin(a);
    m[4] = -std::sin(a);
    m[5] = std::cos(a);
}

// m = first x second x third
void Product3(float* m, const float* first, const float* second, const float* third) {
    Mat4Multiply(first, second, m);
    Mat4Multiply(m, third, m);
}

}  // namespace

void Mat4RotateXYZ(float* m, float ax, float ay, float az) {
    float rx[16], ry[16], rz[16];
    RotationX(rx, ax);
    RotationY(ry, ay);
    RotationZ(rz, az);
    Product3(m, rx, ry, rz);
}

void Mat4RotateZXY(float* m, float ax, float ay, float az) {
    float rx[16], ry[16], rz[16];
    RotationX(rx, ax);
    RotationY(ry, ay);
    RotationZ(rz, az);
    Product3(m, rz, rx, ry);
}

void Mat4RotateAboutPivot(float* m, const float* pivot, float ax, float ay, float az) {
    float toOrigin[16], rotation[16], back[16];
    Mat4Translation(toOrigin, -pivot[0], -pivot[1], -pivot[2]);
    Mat4RotateXYZ(rotation, ax, ay, az);
    Mat4Translation(back, pivot[0], pivot[1], pivot[2]);
    Product3(m, toOrigin, rotation, back);
}

void Mat4RotateByCross(float* m, const float* a, const float* b) {
    float c[3];
    Vec3Cross(a, b, c);
    Vec3Scale(c, 1.6f, c);
    Mat4RotateXYZ(m, c[0], c[1], c[2]);
}

void RGBToHSV(float* hsv, const float* rgb) {
    const float r = rgb[0], g = rgb[1], b = rgb[2];
    const float mx = std::max({r, g, b});
    const float mn = std::min({r, g, b});
    const float d = mx - mn;
    float hue = 0.0f;
    if (d != 0.0f) {
        if (mx == r) {
            hue = 60.0f * (g - b) / d;
            if (b > g) hue += 360.0f;
        } else if (mx == g) {
            hue = 60.0f * (b - r) / d + 120.0f;
        } else {
            hue = 60.0f * (r - g) / d + 240.0f;
        }
    }
    hsv[0] = hue;
    hsv[1] = (mx == 0.0f) ? 0.0f : 1.0f - mn / mx;
    hsv[2] = mx;
}

void HSVToRGB(float* rgb, float* hsv) {
    const float s = hsv[1], v = hsv[2];
    float r = v, g = v, b = v;
    if (s != 0.0f) {
        if (hsv[0] > 360.0f) {
            hsv[0] -= 360.0f;
        } else if (hsv[0] < 0.0f) {
            hsv[0] += 360.0f;
        }
        const float hue = (hsv[0] == 360.0f) ? 0.0f : hsv[0];
        // Hues outside -360 to 720 stay out of range after one wrap; clamping the sector
        // keeps them from indexing past the six cases.
        const int i = std::clamp(static_cast<int>(hue / 60.0f), 0, 5);
        const float f = hue / 60.0f - static_cast<float>(i);
        const float p = (1.0f - s) * v;
        const float q = (1.0f - s * f) * v;
        const float t = static_cast<float>((1.0 - s * (1.0 - f)) * v);
        switch (i) {
            case 0: r = v, g = t, b = p; break;
            case 1: r = q, g = v, b = p; break;
            case 2: r = p, g = v, b = t; break;
            case 3: r = p, g = q, b = v; break;
            case 4: r = t, g = p, b = v; break;
            default: r = v, g = p, b = q; break;
        }
    }
    rgb[0] = std::clamp(r, 0.0f, 1.0f);
    rgb[1] = std::clamp(g, 0.0f, 1.0f);
    rgb[2] = std::clamp(b, 0.0f, 1.0f);
}

bool ClampFloat(float* v, float max, float min) {
    bool clamped = false;
    if (*v > max) {
        *v = max;
        clamped = true;
    }
    if (min > *v) {
        *v = min;
        clamped = true;
    }
    return clamped;
}

float RandSigned() {
    // The motion was tuned on a generator with 15-bit output. glibc's rand() gives 31 bits
    // (RAND_MAX = 2^31 - 1), so its top 15 bits give the same 32768 evenly spaced values.
    constexpr int kShift = 16;
    static_assert(RAND_MAX == 0x7fffffff, "RandSigned expects a 31-bit rand()");
    const int r15 = std::rand() >> kShift;
    return static_cast<float>(r15) / 16384.0f - 1.0f;
}

bool RandomTimer::Tick(float dtMs) {
    if (remaining > 0.0f) {
        remaining -= dtMs / 1000.0f;
        return false;
    }
    const int states = std::clamp<int>(count, 1, kRandomTimerMaxStates);
    const int drawn = static_cast<int>((RandSigned() * 0.5f + 0.5f) * static_cast<float>(states));
    index = static_cast<std::int16_t>(std::min(drawn, states - 1));
    remaining = (RandSigned() * 0.5f + 0.5f) * (max[static_cast<std::size_t>(index)] - min) + min;
    return true;
}

void RandomWalkClamped(float* value, float* velocity, float accel, float velMin, float velMax,
                       float min, float max, float dtMs) {
    *velocity += RandSigned() * accel;
    ClampFloat(velocity, velMax, velMin);
    *value += dtMs * *velocity / 1000.0f;
    if (ClampFloat(value, max, min)) *velocity = 0.0f;
}
