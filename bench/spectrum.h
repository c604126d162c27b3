// Spectra for the measurements: FFTW on doubles, and a window whose side lobes
// stay below the 180 dB the measured resamplers reach.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

namespace bench {

// 7-term Blackman-Harris, periodic form (side lobes about -180 dB). On a signal
// that is exactly periodic in n samples, a tone spreads over its own bin +-6 only.
std::vector<double> blackmanHarris7(std::size_t n);
// Bins a tone occupies on each side of its own under that window.
inline constexpr std::size_t kBlackmanHarris7HalfWidth = 6;

// |X_k|^2 for k = 0..n/2 of the real DFT of x (any length n).
std::vector<double> powerSpectrum(const std::vector<double>& x);

// The real DFT of x zero-padded to fftSize (>= x.size()), bins 0..fftSize/2.
std::vector<std::complex<double>> paddedDft(const std::vector<double>& x, std::size_t fftSize);

// Welch average of x over Hann-windowed segments of segmentSize (half
// overlapping): bins 0..segmentSize/2 whose sum is the mean square of x.
std::vector<double> welchPowerSpectrum(const std::vector<double>& x, std::size_t segmentSize);

double toDb(double powerRatio);

} // namespace bench
