#pragma once
// The job record Corvandale hands to Quillmere: an Add job built from the
// finished outputs of one source and the stored encoder blocks, or the
// preview form of a command-line request, built from the blocks alone.
#include "analyser/encoder_settings/encoder_blocks.h"
#include "analyser/encoder_settings/job_texts.h"
#include "analyser/engine/conversion_run.h"
#include "analyser/engine/conversion_settings.h"
#include "platform/notifier.h"
#include "protocol/job_record.h"

#include <cstdint>

namespace corv {

// Zero-fills the record and fills it for job.batcherOutputType. A job type
// outside 1000..1011 warns kNewFormatMessage and leaves the settings area
// empty (the record still goes). False when a name or path does not fit its
// field: such a record must not be sent.
bool buildJobRecord(const FinishedJob& job, const ConversionSettings& settings,
                    const EncoderBlocks& encoders, JobRecord& record, Notifier& notifier);

// The preview form: the job type and the settings, no names, no paths.
void buildPreviewRecord(int32_t jobType, const EncoderBlocks& encoders, JobRecord& record,
                        Notifier& notifier);

} // namespace corv
