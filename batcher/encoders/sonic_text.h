#pragma once
// Texts of a Sonic Foundry Soft Encode job (job type 1010): the command and
// the parameter file "SonnicAc3.ini".
#include "batcher/config/batcher_settings.h"
#include "batcher/encoders/build_outcome.h"
#include "protocol/job_record.h"

#include <string>
#include <string_view>

namespace corv {

inline constexpr char kSonicParameterFileName[] = "SonnicAc3.ini";

// The parameter text; indented (tab before every line) for logs and the job list.
std::string BuildSonicIni(const SonicFoundrySettings& settings, bool indented);

// The command text: program (index 10) with " -A -P", the parameter file,
// " -o" and the output, then the channel options of the job's channel mask;
// a path with a blank is quoted, any other written as it is.
// In preview the placeholders stand for every file and parameterFile is
// ignored; otherwise the output is the first free name of the job's output
// directory + base name + ".ac3". Fails when the text would not fit a
// command-line reply (6762 bytes with its zero) or a path field. outputPath,
// when given, receives the output file of the command.
BuildOutcome BuildSonicCommandLine(const JobRecord& job, const BatcherSettings& settings,
                                   std::string_view parameterFile, bool preview,
                                   std::string& command, std::string* outputPath = nullptr);

} // namespace corv
