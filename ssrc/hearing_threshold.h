// The absolute threshold of hearing (Terhardt's approximation), which the
// noise shapers fit and the measurements weight by.
#ifndef SSRC_HEARING_THRESHOLD_H
#define SSRC_HEARING_THRESHOLD_H

namespace ssrc {

// Threshold in dB SPL at `hz` (> 0): 3.64 f^-0.8 - 6.5 exp(-0.6 (f - 3.3)^2)
// + 0.001 f^4 with f in kHz. Lowest, about -5 dB, near 3.3 kHz.
double hearingThresholdDb(double hz);

} // namespace ssrc

#endif
