#pragma once
// Blocks that are neither mixed nor resampled go from the input's stored type
// into the output's without the block-sized working buffer of the general
// chain (toWorking, gain, peak, dither, fromWorking). The bytes and the peak
// are the chain's. Most conversions take the chain's own operations, with
// gain and peak folded into the reading and writing of small chunks that
// stay in the cache; some take integer or single-precision arithmetic that
// gives the same result for every input:
//   widening between integers (not 24 to 32 bit, whose product the chain
//   rounds) is a shift with a correction of one;
//   integers and floats into the three float types, and floats between
//   them, are a float product by a power of two;
//   a pass that only measures integers takes their largest magnitude.
#include "analyser/engine/sample_types.h"

#include <cstddef>
#include <cstdint>

namespace corv {

class DirectConversion {
  public:
    // gain: the pass's gain; writes: false for a pass that only measures.
    DirectConversion(SampleType input, const OutputType& output, double gain, bool writes);

    // False for a type code outside the eight: such a pass takes the chain.
    bool usable() const { return read_ != nullptr && write_ != nullptr; }

    // count samples from in into out (nullptr when not writing), undithered.
    // Returns the block's peak as the chain measures it: -1 for an empty block.
    double convert(const uint8_t* in, size_t count, uint8_t* out) const;

    // The same in two halves, for the dither to act between them: count
    // samples into working form (gain applied), returning their peak; then
    // into the output (clipping `working` as fromWorking does), returning the
    // peak of what is written. Chunks of any size give the same bytes.
    double read(const uint8_t* in, size_t count, double* working) const {
        return read_(in, count, gain_, working);
    }
    double write(double* working, size_t count, uint8_t* out) const {
        return write_(working, count, out);
    }

  private:
    using Kernel = double (*)(const uint8_t* in, size_t count, uint8_t* out);
    using Reader = double (*)(const uint8_t* in, size_t count, double gain, double* working);
    using Writer = double (*)(double* working, size_t count, uint8_t* out);

    Kernel kernel_ = nullptr; // an exact shortcut, when one applies
    Reader read_ = nullptr;
    Writer write_ = nullptr;
    double gain_ = 1.0;
    size_t inBytes_ = 0;
    size_t outBytes_ = 0;
};

} // namespace corv
