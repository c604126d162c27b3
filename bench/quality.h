// Quality of one resampler at one rate pair, measured on its 64-bit output.
#pragma once

#include "resamplers.h"

#include <cstdint>

namespace bench {

struct QualityOptions {
    int channels = 2;        // the right channel carries the left one negated
    int rejectionTones = 40; // tones across the stop band, denser near its edge
};

struct Quality {
    double rejectionDb = 0;         // worst aliasing/imaging, dB below the input tone
    double rejectionToneHz = 0;     // the input tone where it occurs
    double passbandDeviationDb = 0; // largest |gain| in dB up to 0.90 of the lower Nyquist
    double minus01Point = 0; // where the gain first falls 0.1 dB, fraction of the lower Nyquist
    double minus3Point = 0;  // the same for 3 dB
    double thdnDb = 0;       // 1 kHz at -1 dBFS: all but the tone, dB relative to the tone
    double delay = 0;        // output samples: impulse position minus k * out / in
    std::int64_t lengthError = 0; // output frames minus round(n * out / in)
};

Quality measureQuality(Engine engine, int inputRate, int outputRate, const QualityOptions& options);

} // namespace bench
