#pragma once
// Affine matrices of the transforms: 3 x 4, row-major, for column vectors.

#include <cmath>

#include "platform/rt/rt_objects.h"

namespace rt {

// Reads 16 floats (transposed when asked); false unless finite with a last row (0, 0, 0, 1).
inline bool ReadMatrix(const float* m16, bool transpose, Matrix3x4& out) {
    auto at = [&](int row, int col) { return transpose ? m16[col * 4 + row] : m16[row * 4 + col]; };
    for (int i = 0; i < 16; ++i) {
        if (!std::isfinite(m16[i])) return false;
    }
    if (at(3, 0) != 0.0f || at(3, 1) != 0.0f || at(3, 2) != 0.0f || at(3, 3) != 1.0f) return false;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 4; ++col) out[row * 4 + col] = at(row, col);
    }
    return true;
}

inline void WriteMatrix(const Matrix3x4& m, bool transpose, float* m16) {
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            const float value = row < 3 ? m[row * 4 + col] : (col == 3 ? 1.0f : 0.0f);
            m16[transpose ? col * 4 + row : row * 4 + col] = value;
        }
    }
}

inline Matrix3x4 Identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}; }

// a applied after b.
inline Matrix3x4 Multiply(const Matrix3x4& a, const Matrix3x4& b) {
    Matrix3x4 r{};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 4; ++col) {
            float sum = col == 3 ? a[row * 4 + 3] : 0.0f;
            for (int k = 0; k < 3; ++k) sum += a[row * 4 + k] * b[k * 4 + col];
            r[row * 4 + col] = sum;
        }
    }
    return r;
}

// False for a singular matrix (or one too close to it to invert in floats).
inline bool Invert(const Matrix3x4& m, Matrix3x4& out) {
    const double a = m[0], b = m[1], c = m[2], d = m[4], e = m[5], f = m[6], g = m[8], h = m[9],
                 i = m[10];
    const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    if (!std::isfinite(det) || std::fabs(det) < 1e-30) return false;
    const double inv[9] = {(e * i - f * h) / det, (c * h - b * i) / det, (b * f - c * e) / det,
                           (f * g - d * i) / det, (a * i - c * g) / det, (c * d - a * f) / det,
                           (d * h - e * g) / det, (b * g - a * h) / det, (a * e - b * d) / det};
    for (int row = 0; row < 3; ++row) {
        double t = 0.0;
        for (int k = 0; k < 3; ++k) {
            out[row * 4 + k] = static_cast<float>(inv[row * 3 + k]);
            t -= inv[row * 3 + k] * m[k * 4 + 3];
        }
        out[row * 4 + 3] = static_cast<float>(t);
    }
    for (float v : out) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

inline rtd::Float3 ApplyPoint(const Matrix3x4& m, rtd::Float3 p) {
    return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3],
            m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
            m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
}
inline rtd::Float3 ApplyVector(const Matrix3x4& m, rtd::Float3 v) {
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[4] * v.x + m[5] * v.y + m[6] * v.z,
            m[8] * v.x + m[9] * v.y + m[10] * v.z};
}
// By the transpose of m's linear part: a normal through the inverse of the matrix m inverts.
inline rtd::Float3 ApplyTransposed(const Matrix3x4& m, rtd::Float3 n) {
    return {m[0] * n.x + m[4] * n.y + m[8] * n.z, m[1] * n.x + m[5] * n.y + m[9] * n.z,
            m[2] * n.x + m[6] * n.y + m[10] * n.z};
}

}  // namespace rt
