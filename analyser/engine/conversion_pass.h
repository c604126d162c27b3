#pragma once
// One pass over one entry: reads the source (or the entry's temporary sample
// file) block by block and pushes every block through the chain: channel
// moves, working form, mixing, resampling, gain, dither and peak, output.
#include "analyser/engine/conversion_run.h"
#include "analyser/engine/output_targets.h"
#include "analyser/engine/run_mode.h"
#include "analyser/engine/sample_types.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace corv {

class FileStream;

// What the passes of one run share.
struct RunContext {
    const ConversionSetup& setup;
    ConversionObserver& observer;
    const std::atomic<bool>& stop;
    RunMode mode;
    uint32_t mergedChannels = 0;
    CombinedOutput combined;
};

struct PassRequest {
    bool writeOutput = false; // conversion pass; peak passes only measure
    double gain = 1.0;
    FileStream* writeTemp = nullptr; // keep the processed samples here
    FileStream* readTemp = nullptr;  // take them from here instead of the source
    bool again = false;              // a second conversion pass of the same entry
};

struct PassOutcome {
    OutputType out;
    uint64_t framesWritten = 0;        // output frames of this pass
    std::vector<OutputStream> streams; // the entry's own outputs (plain, mono streams)
};

// Sets record.result (3 done, 2 failed, 1 stopped) and record.peak.
PassOutcome runPass(RunContext& context, AudioFileRecord& record, const PassRequest& request);

} // namespace corv
