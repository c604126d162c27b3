// The dither quantiser behind _DitherInit/_DitherProcess: a state that lives
// entirely in the caller's memory (no heap), so initialising it again on the
// same memory leaves nothing behind.
#ifndef SSRC_DITHER_H
#define SSRC_DITHER_H

#include "ssrc/dither_random.h"
#include "ssrc/noise_shaping.h"

#include <cstdint>

namespace ssrc {

constexpr int kMaxDitherChannels = 1000;
// Error history per channel: a ring as long as the longest filter.
constexpr int kErrorRing = kMaxShaperOrder;
static_assert((kErrorRing & (kErrorRing - 1)) == 0, "the ring index is masked");

enum PdfShape : int { kPdfRectangular = 0, kPdfTriangular = 1, kPdfGaussian = 2 };

struct DitherState {
    int32_t active; // 0: samples pass unchanged
    int32_t channels;
    int32_t pdf;
    int32_t order;     // of the error feedback; 0: only the dither is added
    uint32_t position; // ring index of the current frame
    int32_t hasSpare;
    double amplitude;  // in working units
    double steps;      // q: working value x becomes the integer x * q
    double lowest;     // -(q + 1), the lowest integer the output holds
    double errorLimit; // bound of the fed-back error, working units
    double spare;      // the second normal deviate of a polar pair
    DitherRandom random;
    double coeffs[kMaxShaperOrder];
    double errors[kMaxDitherChannels * kErrorRing];
};

// Output grid that an amplitude (one LSB in working units) implies: the q
// among 127, 32767, 8388607 and 2147483647 with amplitude * q nearest 1 on a
// log scale.
double quantiserSteps(double amplitude);

void initDither(DitherState& state, int channels, int rate, int shaping, int pdf, double amplitude);
void processDither(DitherState& state, int frames, double* samples);

} // namespace ssrc

#endif
