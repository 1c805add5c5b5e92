#include "audio/real_fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

// The half-complex layout computed directly in double precision; imaginary parts with the
// sign convention X(k) = sum x[m] exp(-2 pi i k m / n).
std::vector<double> NaiveHalfComplex(const std::vector<float>& x) {
    const int n = static_cast<int>(x.size());
    std::vector<double> out(x.size());
    for (int k = 0; k <= n / 2; ++k) {
        double re = 0.0, im = 0.0;
        for (int m = 0; m < n; ++m) {
            const double a = 2.0 * std::numbers::pi * k * m / n;
            re += x[m] * std::cos(a);
            im -= x[m] * std::sin(a);
        }
        out[k] = re;
        if (k > 0 && k < n / 2) out[n - k] = im;
    }
    return out;
}

// Largest error over the block relative to the largest entry, for the better of the two
// signs of the imaginary parts (the tracker only uses squares, so either convention is fine,
// but one convention must hold for the whole block).
double RelativeError(const std::vector<float>& got, const std::vector<double>& want) {
    const int n = static_cast<int>(got.size());
    double scale = 1e-30, error[2] = {0.0, 0.0};
    for (int i = 0; i < n; ++i) {
        scale = std::max(scale, std::fabs(want[i]));
        const bool imaginary = i > n / 2;
        for (int sign = 0; sign < 2; ++sign) {
            const double w = imaginary && sign == 1 ? -want[i] : want[i];
            error[sign] = std::max(error[sign], std::fabs(got[i] - w));
        }
    }
    return std::min(error[0], error[1]) / scale;
}

TEST(RealFFT, MatchesDirectTransformForEveryPowerOfTwo) {
    std::mt19937 random(20261210);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    for (int n = 2; n <= 512; n *= 2) {
        for (int trial = 0; trial < 3; ++trial) {
            std::vector<float> x(n);
            for (float& v : x) v = value(random);
            const std::vector<double> want = NaiveHalfComplex(x);
            RealFFT(x.data(), n);
            EXPECT_LT(RelativeError(x, want), 1e-5) << "n = " << n << ", trial " << trial;
        }
    }
}

TEST(RealFFT, ConstantBlockHasOnlyTheZeroFrequencyTerm) {
    std::vector<float> x(512, 1.0f);
    RealFFT(x.data(), 512);
    EXPECT_FLOAT_EQ(x[0], 512.0f);
    for (int i = 1; i < 512; ++i) EXPECT_NEAR(x[i], 0.0f, 1e-4f) << i;
}

TEST(RealFFT, CosineOfTheFirstBinIsRealOnly) {
    std::vector<float> x(512);
    for (int m = 0; m < 512; ++m) x[m] = static_cast<float>(std::cos(2.0 * std::numbers::pi * m / 512));
    RealFFT(x.data(), 512);
    EXPECT_NEAR(x[1], 256.0f, 1e-3f);
    EXPECT_NEAR(x[511], 0.0f, 1e-3f);
    EXPECT_NEAR(x[0], 0.0f, 1e-3f);
}

TEST(RealFFT, CountThatIsNoPowerOfTwoLeavesBlockAlone) {
    for (int n : {0, 1, 3, 12}) {
        std::vector<float> x(12, 1.0f);
        RealFFT(x.data(), n);
        for (float v : x) EXPECT_EQ(v, 1.0f) << "n = " << n;
    }
}

TEST(ComputeSpectrum, ClearsTheOutermostEntries) {
    std::vector<float> x(16);
    for (int m = 0; m < 16; ++m) x[m] = static_cast<float>(m % 5);
    std::vector<float> full = x;
    RealFFT(full.data(), 16);
    ComputeSpectrum(x.data(), 16, 2);
    for (int i = 0; i < 16; ++i) {
        const bool cleared = i < 2 || i >= 14;
        EXPECT_EQ(x[i], cleared ? 0.0f : full[i]) << i;
    }
    std::vector<float> kept(16, 1.0f);
    ComputeSpectrum(kept.data(), 16, 0);
    EXPECT_FLOAT_EQ(kept[0], 16.0f);  // k = 0, as the analysis passes it: nothing cleared
}

}  // namespace
