// Error-feedback filters for the dither quantiser. The quantisation error e
// (dither included) reaches the output as H * e with
// H(z) = 1 + a1 z^-1 + ... + aN z^-N, monic and minimum phase, so the total
// noise is the error's power times 1 + sum ak^2.
#ifndef SSRC_NOISE_SHAPING_H
#define SSRC_NOISE_SHAPING_H

namespace ssrc {

constexpr int kMaxShaperOrder = 32;

// Noise shaping codes of the dither interface; any other code acts as none.
enum NoiseShapingCode : int {
    kShapingNone = 1,
    kShapingTriangular = 2, // H = 1 - z^-1: first-order high-pass
    kShapingHearing = 3,    // fitted to the threshold of hearing at the rate
    kShapingHearingLow = 4, // the same, weighing total noise more: less of it
};

// Writes a1..aN of the filter for `code` at `rate` Hz into coeffs (room for
// kMaxShaperOrder) and returns N; 0 means no shaping.
int designNoiseShaper(int code, int rate, double* coeffs);

} // namespace ssrc

#endif
