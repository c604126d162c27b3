// FFTs of sizes with small prime factors, forward and inverse, with no outside library
// (the DLL must stand alone) and twiddles from deterministic_math, so results
// are the same bits on every platform.
//
// Usage:
//   ssrc::RealFft fft(1024);              // size: see isValidSize
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

// Complex transform of `points` values stored as (real, imaginary) pairs:
// forward X[k] = sum_n x[n] e^(-2 pi i k n / points), inverse with e^(+...),
// both unscaled. Input and output may be the same array. Sizes: products of
// 2, 3, 5 and 7.
class ComplexFft {
  public:
    explicit ComplexFft(std::size_t points);
    static bool supports(std::size_t points);
    // Estimated work of a transform per point (256-bit operations of its
    // passes, loads and stores included); 0 for a size it does not support.
    static double workPerPoint(std::size_t points);

    std::size_t points() const { return points_; }
    void transform(const double* in, double* out, bool inverse);

  private:
    std::size_t points_;
    std::vector<std::size_t> radices_; // of the passes, in order
    // Per pass, W^(p k) for pairs of sub-transforms p, p + 1 (see blockSize
    // in fft.cpp), so 256-bit code can take both at once.
    std::vector<std::vector<double>> passTwiddles_;
    std::vector<double> buffers_; // two ping-pong buffers
    std::size_t bufferB_ = 0;     // offset of the second one
};

class RealFft {
  public:
    explicit RealFft(std::size_t size);

    std::size_t size() const { return size_; }
    void forward(const double* samples, double* spectrum);
    // Inverse of forward without the 1 / size factor.
    void inverse(const double* spectrum, double* samples);

    // A multiple of 4 whose half has no prime factor above 7.
    static bool isValidSize(std::size_t size) {
        return size >= 4 && size % 4 == 0 && ComplexFft::supports(size / 2);
    }

  private:
    std::size_t size_;
    ComplexFft half_;                  // size / 2 points
    std::vector<double> realTwiddles_; // e^(-2 pi i k / size), k <= size/4, as (re, re, -im, im)
};

} // namespace ssrc

#endif
