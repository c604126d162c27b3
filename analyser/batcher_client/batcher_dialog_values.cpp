#include "analyser/batcher_client/batcher_dialog_values.h"

#include "protocol/job_types.h"

namespace corv {

BatcherDialogValues batcherDialogShows(const ConversionSettings& settings) {
    BatcherDialogValues values;
    if (jobTypeInfo(settings.batcherOutputType))
        values.outputType = settings.batcherOutputType - kFirstJobType;
    values.sendJobs = settings.sendJobsToBatcher != 0;
    values.startBatcherWhenFinished = settings.startBatcherWhenFinished != 0;
    return values;
}

int32_t jobTypeAt(int position) {
    return position >= 0 && position < kJobTypeCount ? kFirstJobType + position : kFirstJobType;
}

BatcherApply applyBatcherDialog(const BatcherDialogValues& values, AnalyserSettings& settings,
                                const std::string& programDirectory,
                                const std::function<bool()>& conversionRunning) {
    if (conversionRunning && conversionRunning()) return BatcherApply::Refused;
    ConversionSettings& s = settings.conversion;
    s.batcherOutputType = jobTypeAt(values.outputType);
    s.sendJobsToBatcher = values.sendJobs ? 1 : 0;
    s.startBatcherWhenFinished = values.startBatcherWhenFinished ? 1 : 0;
    return saveSettings(settings, programDirectory) ? BatcherApply::Saved
                                                    : BatcherApply::NotWritten;
}

} // namespace corv
