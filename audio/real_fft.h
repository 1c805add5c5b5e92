#pragma once
// The real discrete Fourier transform of a block, in place, unscaled, in half-complex order:
// entry 0 = Re X(0), entries 1 to n/2 = Re X(1) to Re X(n/2), entry n-k = Im X(k).
// Only squares of the entries are ever used, so the sign of the imaginary parts is free.

// In-place bit-reversal permutation of count entries (count a power of two).
void BitReverse(float* block, int count);
// Split-radix real FFT (Sorensen, Jones, Heideman, Burrus 1987). A count that is not a power
// of two of at least 2 leaves the block unchanged.
void RealFFT(float* block, int count);
// RealFFT, then clears entries 0 to k-1 and n-1 down to n-k.
void ComputeSpectrum(float* block, int n, int k);
