// Kaiser-windowed sinc low-pass filters for the resampler, computed with
// deterministic_math only so that coefficients are the same bits everywhere.
#ifndef SSRC_FILTER_DESIGN_H
#define SSRC_FILTER_DESIGN_H

#include <vector>

namespace ssrc {

// Kaiser's formulas: window shape for a stop-band attenuation in dB, and the
// window span (length minus one, in samples) for a transition band of the
// given width in cycles per sample.
double kaiserBeta(double attenuationDb);
double kaiserSpan(double attenuationDb, double transitionWidth);

// 2 fc sinc(2 fc tau) times a Kaiser window reaching zero at |tau| = halfWidth;
// tau in samples, cutoff fc in cycles per sample. Unity gain at DC.
class WindowedSinc {
  public:
    WindowedSinc(double cutoff, double halfWidth, double beta);
    double operator()(double tau) const;

  private:
    double cutoff_;
    double halfWidth_;
    double beta_;
    double windowScale_; // 1 / I0(beta)
};

// Linear-phase low-pass of 2 * halfLength + 1 taps, centred on tap halfLength.
std::vector<double> designLowPass(int halfLength, double cutoff, double beta);

} // namespace ssrc

#endif
