#pragma once
// The batcher dialog without its window: the encoder chosen for the jobs
// and the two switches of the link to Quillmere.
#include "analyser/engine/settings_file.h"

#include <functional>
#include <string>

namespace corv {

struct BatcherDialogValues {
    int outputType = 0; // position in the "Output type" list (job-type order)
    bool sendJobs = false;
    bool startBatcherWhenFinished = false;
};

// The stored choice; a job type outside the list shows its first entry.
BatcherDialogValues batcherDialogShows(const ConversionSettings& settings);

// The job type of a list position; the first entry's for one outside the list.
int32_t jobTypeAt(int position);

enum class BatcherApply {
    Saved,
    NotWritten, // stored, but the settings file could not be written (nothing is said)
    Refused,    // a conversion runs and reads these settings: kWaitForConversionMessage
};

// Stores the values and writes the whole settings file, encoder blocks
// included, unless conversionRunning() says a conversion runs.
BatcherApply applyBatcherDialog(const BatcherDialogValues& values, AnalyserSettings& settings,
                                const std::string& programDirectory,
                                const std::function<bool()>& conversionRunning);

} // namespace corv
