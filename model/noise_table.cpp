#include "model/noise_table.h"

#include <cmath>

namespace {

struct NoiseTerm {
    double amplitude;
    double frequency;
};
// Summed in this order; the last two share an amplitude.
constexpr NoiseTerm kNoiseTerms[] = {
    {0.5, 60.0}, {0.25, 111.0}, {0.125, 231.0}, {0.0675, 467.0}, {0.0675, 631.0},
};

}  // namespace

std::vector<float> NoiseValues(int size) {
    std::vector<float> values(size > 0 ? static_cast<std::size_t>(size) : 0, 0.0f);
    for (int i = 1; i < size; ++i) {
        const float x = static_cast<float>(i) / static_cast<float>(size);
        float sum = 0.0f;
        // Each term in double, the running sum rounded to float after each one.
        for (const NoiseTerm& t : kNoiseTerms) {
            sum = static_cast<float>(sum + t.amplitude * std::sin(t.frequency * x));
        }
        values[static_cast<std::size_t>(i)] = sum;
    }
    return values;
}
