#pragma once
// The command of a console encoder job (job types 1002..1009).
#include "batcher/config/batcher_settings.h"
#include "batcher/encoders/build_outcome.h"
#include "platform/notifier.h"
#include "protocol/job_record.h"
#include "protocol/record_layout.h"

#include <cstdint>
#include <string>

namespace corv {

inline constexpr size_t kArgumentsFieldSize = 5200;
inline constexpr size_t kCommandLineRecordSize = 6762;

#pragma pack(push, 1)
struct CommandLineRecord {
    char inputDirectory[kPathFieldSize]; // input path up to its last separator
    char programPath[kPathFieldSize];
    char arguments[kArgumentsFieldSize]; // begins with a blank
    char progressMarker[kPathFieldSize]; // progress reading starts after this text
    char progressSeparator;              // precedes the progress number
    uint8_t firstOccurrence;             // 1: first separator after the marker, 0: last
};
#pragma pack(pop)

CORV_RECORD_SIZE(CommandLineRecord, kCommandLineRecordSize);
CORV_FIELD_AT(CommandLineRecord, inputDirectory, 0);
CORV_FIELD_AT(CommandLineRecord, programPath, 520);
CORV_FIELD_AT(CommandLineRecord, arguments, 1040);
CORV_FIELD_AT(CommandLineRecord, progressMarker, 6240);
CORV_FIELD_AT(CommandLineRecord, progressSeparator, 6760);
CORV_FIELD_AT(CommandLineRecord, firstOccurrence, 6761);

// Preview placeholders, the same texts on every platform.
inline constexpr char kPreviewInputPath[] = "C:\\somefile.wav";
inline constexpr char kPreviewInputDirectory[] = "C:\\";
inline constexpr char kPreviewStem[] = "somefile";
inline constexpr char kPreviewOutputStem[] = "C:\\someoutput";

// Whether a job's TwoLAME channel mode is one TwoLAME takes (-m): s(tereo),
// j(oint stereo), d(ual channel) or m(ono).
bool isTwoLameMode(char mode);

inline constexpr std::string_view kUnknownConsoleFormatMessage = "Internal error: unknow format";

// Zero-fills the record, then fills it for the job's type with the program
// path of BatcherSettings (index = job type - 1000). Outside preview the output
// name is the first free one next to the input. A job type outside
// 1002..1009 warns "Internal error: unknow format" and leaves the record
// empty; a text that would not fit its field fails with the record empty.
// outputPath, when given, receives the output file the command names.
BuildOutcome BuildCommandLine(const JobRecord& job, const BatcherSettings& settings, bool preview,
                              CommandLineRecord& record, Notifier& notifier,
                              std::string* outputPath = nullptr);

// The command that runs and the preview reply: "\"%s\" %s" with program path
// and arguments.
std::string commandLineText(const CommandLineRecord& record);

// The output file extension of a console job type (".mp3"...); empty for others.
std::string outputExtension(const JobRecord& job);

} // namespace corv
