#pragma once
// The table of summed sines that the ray tracer's turbulence texture samples.

#include <vector>

// size values: entry 0 is 0, entry i the sum of five sines of i / size.
std::vector<float> NoiseValues(int size);
