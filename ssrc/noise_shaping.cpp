#include "ssrc/noise_shaping.h"

#include "ssrc/deterministic_math.h"
#include "ssrc/hearing_threshold.h"

namespace ssrc {
namespace {

constexpr int kGridPoints = 1024;

// The fit minimises the noise weighted by the inverse threshold (1 at its
// lowest point) plus the total noise weighted penaltyDb down: without that
// term the shaper would pile up noise (and feedback gain) where the threshold
// soars, for no audible benefit. A smaller penaltyDb gives less total noise.
struct HearingFit {
    double penaltyDb;
    int order;
};

constexpr HearingFit kHearingFit{50.0, 24};
constexpr HearingFit kHearingLowFit{30.0, 24};

double dbToPower(double db) {
    return exponential(db * (0.1 * 2.302585092994045684));
}

// The monic filter A of `order` that minimises the integral of |A|^2 W, W the
// inverse threshold (relative to its lowest point) plus the penalty: the
// linear predictor of a process whose spectrum is W (autocorrelation method,
// Levinson-Durbin). It is minimum phase, and as the order grows |A|^2 follows
// the threshold wherever the penalty does not dominate.
int fitHearingThreshold(const HearingFit& fit, int rate, double* coeffs) {
    double lowest = 1e300;
    double thresholdDb[kGridPoints];
    for (int m = 0; m < kGridPoints; ++m) {
        const double hz = (m + 0.5) * (0.5 * rate) / kGridPoints;
        thresholdDb[m] = hearingThresholdDb(hz);
        if (thresholdDb[m] < lowest) lowest = thresholdDb[m];
    }
    const double penalty = 1.0 / dbToPower(fit.penaltyDb);
    double r[kMaxShaperOrder + 1] = {};
    for (int m = 0; m < kGridPoints; ++m) {
        const double weight = 1.0 / dbToPower(thresholdDb[m] - lowest) + penalty;
        // cos(k theta) by the Chebyshev recurrence: one cosine per point.
        const double c1 = cosine(pi * (m + 0.5) / kGridPoints);
        double previous = 1.0;
        double current = c1;
        r[0] += weight;
        for (int k = 1; k <= fit.order; ++k) {
            r[k] += weight * current;
            const double next = 2.0 * c1 * current - previous;
            previous = current;
            current = next;
        }
    }
    r[0] *= 1.0 + 1e-9; // keeps the recursion well away from singular

    double a[kMaxShaperOrder + 1] = {1.0};
    double error = r[0];
    for (int i = 1; i <= fit.order; ++i) {
        double acc = r[i];
        for (int j = 1; j < i; ++j)
            acc += a[j] * r[i - j];
        const double k = -acc / error;
        for (int j = 1; j <= i / 2; ++j) {
            const double low = a[j];
            const double high = a[i - j];
            a[j] = low + k * high;
            a[i - j] = high + k * low;
        }
        a[i] = k;
        error *= 1.0 - k * k;
    }
    for (int k = 1; k <= fit.order; ++k)
        coeffs[k - 1] = a[k];
    return fit.order;
}

} // namespace

int designNoiseShaper(int code, int rate, double* coeffs) {
    switch (code) {
    case kShapingTriangular:
        coeffs[0] = -1.0;
        return 1;
    case kShapingHearing:
        return fitHearingThreshold(kHearingFit, rate, coeffs);
    case kShapingHearingLow:
        return fitHearingThreshold(kHearingLowFit, rate, coeffs);
    default:
        return 0;
    }
}

} // namespace ssrc
