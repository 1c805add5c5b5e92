#include "audio/real_fft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace {
bool IsPowerOfTwo(int n) { return n >= 2 && (n & (n - 1)) == 0; }
void LengthTwoButterflies(float* x, int n);
void LShapedButterflies(float* x, int n, int n2);
void TwiddleButterflies(float* x, int n, int n2, int j, float angle);
}  // namespace

void BitReverse(float* block, int count) {
    int j = 0;
    for (int i = 0; i < count - 1; ++i) {
        if (i < j) std::swap(block[i], block[j]);
        int k = count / 2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }
}

void RealFFT(float* block, int count) {
    if (!IsPowerOfTwo(count)) return;
    BitReverse(block, count);
    LengthTwoButterflies(block, count);
    for (int n2 = 4; n2 <= count; n2 *= 2) {
        LShapedButterflies(block, count, n2);
        // Twiddles are computed where they are used, two sine and cosine pairs per index.
        const float step = 2.0f * std::numbers::pi_v<float> / static_cast<float>(n2);
        for (int j = 2; j <= n2 / 8; ++j)
            TwiddleButterflies(block, count, n2, j, static_cast<float>(j - 1) * step);
    }
}

void ComputeSpectrum(float* block, int n, int k) {
    RealFFT(block, n);
    for (int i = 0; i < k && i < n; ++i) {
        block[i] = 0.0f;
        block[n - 1 - i] = 0.0f;
    }
}

namespace {

// The butterflies visit the L-shaped index sets of the split-radix decomposition: each pass
// covers blocks of length id starting at is, and the next pass starts where the
// decomposition left blocks unfinished.
void LengthTwoButterflies(float* x, int n) {
    for (int is = 0, id = 4; is < n - 1; is = 2 * id - 2, id *= 4) {
        for (int i0 = is; i0 < n; i0 += id) {
            const float r = x[i0];
            x[i0] = r + x[i0 + 1];
            x[i0 + 1] = r - x[i0 + 1];
        }
    }
}

void LShapedButterflies(float* x, int n, int n2) {
    const int n4 = n2 / 4;
    const int n8 = n2 / 8;
    const float rsqrt2 = 1.0f / std::numbers::sqrt2_v<float>;
    for (int is = 0, id = 2 * n2; is < n; is = 2 * id - n2, id *= 4) {
        for (int i = is; i < n; i += id) {
            int i1 = i, i2 = i1 + n4, i3 = i2 + n4, i4 = i3 + n4;
            float t1 = x[i4] + x[i3];
            x[i4] -= x[i3];
            x[i3] = x[i1] - t1;
            x[i1] += t1;
            if (n4 == 1) continue;
            i1 += n8;
            i2 += n8;
            i3 += n8;
            i4 += n8;
            t1 = (x[i3] + x[i4]) * rsqrt2;
            const float t2 = (x[i3] - x[i4]) * rsqrt2;
            x[i4] = x[i2] - t1;
            x[i3] = -x[i2] - t1;
            x[i2] = x[i1] - t2;
            x[i1] += t2;
        }
    }
}

void TwiddleButterflies(float* x, int n, int n2, int j, float angle) {
    const int n4 = n2 / 4;
    const float cc1 = std::cos(angle), ss1 = std::sin(angle);
    const float cc3 = std::cos(3.0f * angle), ss3 = std::sin(3.0f * angle);
    for (int is = 0, id = 2 * n2; is < n; is = 2 * id - n2, id *= 4) {
        for (int i = is; i < n; i += id) {
            const int i1 = i + j - 1, i2 = i1 + n4, i3 = i2 + n4, i4 = i3 + n4;
            const int i5 = i + n4 - j + 1, i6 = i5 + n4, i7 = i6 + n4, i8 = i7 + n4;
            float t1 = x[i3] * cc1 + x[i7] * ss1;
            float t2 = x[i7] * cc1 - x[i3] * ss1;
            float t3 = x[i4] * cc3 + x[i8] * ss3;
            float t4 = x[i8] * cc3 - x[i4] * ss3;
            const float t5 = t1 + t3;
            const float t6 = t2 + t4;
            t3 = t1 - t3;
            t4 = t2 - t4;
            t2 = x[i6] + t6;
            x[i3] = t6 - x[i6];
            x[i8] = t2;
            t2 = x[i2] - t3;
            x[i7] = -x[i2] - t3;
            x[i4] = t2;
            t1 = x[i1] + t5;
            x[i6] = x[i1] - t5;
            x[i1] = t1;
            t1 = x[i5] + t4;
            x[i5] -= t4;
            x[i2] = t1;
        }
    }
}

}  // namespace
