// Real-input FFT of a power-of-two size, forward and inverse, with no outside
// library (the DLL must stand alone) and twiddles from deterministic_math, so
// results are the same bits on every platform.
//
// Usage:
//   ssrc::RealFft fft(1024);              // size: power of two, at least 4
//   fft.forward(samples, spectrum);       // 1024 doubles in, 1024 doubles out
//   fft.inverse(spectrum, samples);       // gives 1024 * samples (unscaled)
// Spectrum layout ("packed", size doubles), X[k] = sum_n x[n] e^(-2 pi i k n / size):
//   spectrum[0] = X[0] (real), spectrum[1] = X[size / 2] (real),
//   spectrum[2k], spectrum[2k + 1] = real, imaginary part of X[k], 0 < k < size / 2.
// Input and output may be the same array. An object holds scratch memory:
// use one object per thread.
#ifndef SSRC_FFT_H
#define SSRC_FFT_H

#include <cstddef>
#include <vector>

namespace ssrc {

class RealFft {
  public:
    explicit RealFft(std::size_t size);

    std::size_t size() const { return size_; }
    void forward(const double* samples, double* spectrum);
    // Inverse of forward without the 1 / size factor.
    void inverse(const double* spectrum, double* samples);

    static bool isValidSize(std::size_t size) { return size >= 4 && (size & (size - 1)) == 0; }

  private:
    // Complex FFT of size_ / 2 interleaved points; in and out may be the same.
    void complexTransform(const double* in, double* out, bool inverseDirection);

    std::size_t size_;
    std::vector<std::vector<double>> passTwiddles_; // per radix-4 pass of the half-size transform
    std::vector<double> realTwiddles_; // e^(-2 pi i k / size), k <= size/4, as (re, re, -im, im)
    std::vector<double> buffers_;      // two ping-pong buffers
    std::size_t bufferB_ = 0;          // offset of the second one
};

} // namespace ssrc

#endif
