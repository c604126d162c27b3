#pragma once
// One pass over one entry: reads the source (or the entry's temporary sample
// file) block by block and pushes every block through the chain: channel
// moves, working form, mixing, resampling, gain, dither and peak, output.
// Where the output goes is the run's output sink; a pass only hands it blocks.
#include "analyser/engine/conversion_run.h"
#include "analyser/engine/output_sink.h"

#include <atomic>
#include <cstdint>

namespace corv {

class FileStream;

// What the passes of one run share.
struct RunContext {
    const ConversionSetup& setup;
    ConversionObserver& observer;
    const std::atomic<bool>& stop;
};

struct PassRequest {
    OutputSink* output = nullptr; // conversion pass: where its blocks go; peak passes only measure
    double gain = 1.0;
    FileStream* writeTemp = nullptr; // keep the samples before dither here
    FileStream* readTemp = nullptr;  // take them from here instead of the source
    bool again = false;              // a second conversion pass of the same entry
};

struct PassOutcome {
    uint64_t framesWritten = 0; // output frames of this pass
};

// Sets record.result (3 done, 2 failed, 1 stopped) and record.peak.
PassOutcome runPass(const RunContext& context, AudioFileRecord& record, const PassRequest& request);

} // namespace corv
