#include "ssrc/fft.h"

#include <stdexcept>
#include <utility>

#include "ssrc/deterministic_math.h"

namespace ssrc {
namespace {

// One Stockham radix-4 pass: length-n sub-transforms at stride s, from x to y.
// Output order is natural after the last pass, so no bit reversal is needed.
template <bool inverse>
void radix4Pass(std::size_t n, std::size_t s, const double* x, double* y, const double* twiddles) {
    const std::size_t m = n / 4;
    for (std::size_t p = 0; p < m; ++p) {
        const double w1r = twiddles[2 * p * s];
        const double w1i = inverse ? -twiddles[2 * p * s + 1] : twiddles[2 * p * s + 1];
        const double w2r = twiddles[4 * p * s];
        const double w2i = inverse ? -twiddles[4 * p * s + 1] : twiddles[4 * p * s + 1];
        const double w3r = twiddles[6 * p * s];
        const double w3i = inverse ? -twiddles[6 * p * s + 1] : twiddles[6 * p * s + 1];
        const double* a = x + 2 * s * p;
        const double* b = x + 2 * s * (p + m);
        const double* c = x + 2 * s * (p + 2 * m);
        const double* d = x + 2 * s * (p + 3 * m);
        double* y0 = y + 2 * s * (4 * p);
        double* y1 = y0 + 2 * s;
        double* y2 = y1 + 2 * s;
        double* y3 = y2 + 2 * s;
        for (std::size_t q = 0; q < s; ++q) {
            const double ar = a[2 * q], ai = a[2 * q + 1];
            const double br = b[2 * q], bi = b[2 * q + 1];
            const double cr = c[2 * q], ci = c[2 * q + 1];
            const double dr = d[2 * q], di = d[2 * q + 1];
            const double t0r = ar + cr, t0i = ai + ci;
            const double t1r = ar - cr, t1i = ai - ci;
            const double t2r = br + dr, t2i = bi + di;
            const double t3r = br - dr, t3i = bi - di;
            // Forward: u1 = t1 - i t3, u3 = t1 + i t3; inverse swaps them.
            const double u1r = inverse ? t1r - t3i : t1r + t3i;
            const double u1i = inverse ? t1i + t3r : t1i - t3r;
            const double u3r = inverse ? t1r + t3i : t1r - t3i;
            const double u3i = inverse ? t1i - t3r : t1i + t3r;
            const double u2r = t0r - t2r, u2i = t0i - t2i;
            y0[2 * q] = t0r + t2r;
            y0[2 * q + 1] = t0i + t2i;
            y1[2 * q] = u1r * w1r - u1i * w1i;
            y1[2 * q + 1] = u1r * w1i + u1i * w1r;
            y2[2 * q] = u2r * w2r - u2i * w2i;
            y2[2 * q + 1] = u2r * w2i + u2i * w2r;
            y3[2 * q] = u3r * w3r - u3i * w3i;
            y3[2 * q + 1] = u3r * w3i + u3i * w3r;
        }
    }
}

// Final radix-2 pass (n == 2): no twiddles.
void radix2Pass(std::size_t s, const double* x, double* y) {
    for (std::size_t q = 0; q < s; ++q) {
        const double ar = x[2 * q], ai = x[2 * q + 1];
        const double br = x[2 * (q + s)], bi = x[2 * (q + s) + 1];
        y[2 * q] = ar + br;
        y[2 * q + 1] = ai + bi;
        y[2 * (q + s)] = ar - br;
        y[2 * (q + s) + 1] = ai - bi;
    }
}

}  // namespace

RealFft::RealFft(std::size_t size) : size_(size) {
    if (!isValidSize(size)) throw std::invalid_argument("FFT size must be a power of two >= 4");
    const std::size_t half = size / 2;
    complexTwiddles_.resize(2 * half);
    for (std::size_t k = 0; k < half; ++k) {
        const double angle = 2.0 * pi * static_cast<double>(k) / static_cast<double>(half);
        complexTwiddles_[2 * k] = cosine(angle);
        complexTwiddles_[2 * k + 1] = -sine(angle);
    }
    realTwiddles_.resize(2 * (size / 4 + 1));
    for (std::size_t k = 0; k <= size / 4; ++k) {
        const double angle = 2.0 * pi * static_cast<double>(k) / static_cast<double>(size);
        realTwiddles_[2 * k] = cosine(angle);
        realTwiddles_[2 * k + 1] = -sine(angle);
    }
    work_.resize(size);
    scratch_.resize(size);
}

void RealFft::complexTransform(bool inverseDirection) {
    double* x = work_.data();
    double* y = scratch_.data();
    std::size_t n = size_ / 2;
    std::size_t s = 1;
    while (n > 1) {
        if (n >= 4) {
            if (inverseDirection)
                radix4Pass<true>(n, s, x, y, complexTwiddles_.data());
            else
                radix4Pass<false>(n, s, x, y, complexTwiddles_.data());
            n /= 4;
            s *= 4;
        } else {
            radix2Pass(s, x, y);
            n /= 2;
            s *= 2;
        }
        std::swap(x, y);
    }
    if (x != work_.data()) work_.swap(scratch_);
}

void RealFft::forward(const double* samples, double* spectrum) {
    const std::size_t half = size_ / 2;
    for (std::size_t i = 0; i < size_; ++i) work_[i] = samples[i];
    complexTransform(false);
    const double* z = work_.data();
    // Split the transform of (even + i odd) into the spectrum of the real input.
    const double z0r = z[0], z0i = z[1];
    spectrum[0] = z0r + z0i;
    spectrum[1] = z0r - z0i;
    for (std::size_t k = 1; k <= half / 2; ++k) {
        const std::size_t j = half - k;
        const double ar = z[2 * k], ai = z[2 * k + 1];
        const double br = z[2 * j], bi = z[2 * j + 1];
        // E = (Z[k] + conj Z[j]) / 2, O = -i (Z[k] - conj Z[j]) / 2
        const double er = 0.5 * (ar + br), ei = 0.5 * (ai - bi);
        const double orr = 0.5 * (ai + bi), oi = -0.5 * (ar - br);
        // Twiddle W^k for k <= size/4; W^j = -conj(W^k) for the mirrored bin.
        const double wr = realTwiddles_[2 * k], wi = realTwiddles_[2 * k + 1];
        const double tr = orr * wr - oi * wi, ti = orr * wi + oi * wr;
        spectrum[2 * k] = er + tr;
        spectrum[2 * k + 1] = ei + ti;
        if (j != k) {
            // X[j] = conj(E[k]) - conj(W^k O[k])... via X[half - k] = conj(E[k] - W^k O[k])
            spectrum[2 * j] = er - tr;
            spectrum[2 * j + 1] = -(ei - ti);
        }
    }
}

void RealFft::inverse(const double* spectrum, double* samples) {
    const std::size_t half = size_ / 2;
    double* z = work_.data();
    const double x0 = spectrum[0], xn = spectrum[1];
    z[0] = x0 + xn;
    z[1] = x0 - xn;
    for (std::size_t k = 1; k <= half / 2; ++k) {
        const std::size_t j = half - k;
        const double ar = spectrum[2 * k], ai = spectrum[2 * k + 1];
        const double br = spectrum[2 * j], bi = spectrum[2 * j + 1];
        // E = X[k] + conj X[j], D = X[k] - conj X[j]; Z[k] = E + i conj(W^k) D.
        const double er = ar + br, ei = ai - bi;
        const double dr = ar - br, di = ai + bi;
        const double wr = realTwiddles_[2 * k], wi = -realTwiddles_[2 * k + 1];
        const double tr = dr * wr - di * wi, ti = dr * wi + di * wr;
        z[2 * k] = er - ti;
        z[2 * k + 1] = ei + tr;
        if (j != k) {
            // Z[j] = conj(E) + i conj(W^j) conj(D)... equals conj(E - i conj(W^k) D) with W^j = -conj W^k
            z[2 * j] = er + ti;
            z[2 * j + 1] = -(ei - tr);
        }
    }
    complexTransform(true);
    const double* result = work_.data();  // the transform may have swapped buffers
    for (std::size_t i = 0; i < size_; ++i) samples[i] = result[i];
}

}  // namespace ssrc
