#pragma once
// The texts of a job-list row: program name and the "Settings" description.
#include "platform/notifier.h"
#include "protocol/job_record.h"

#include <string>

namespace corv {

inline constexpr std::string_view kUnknownJobFormatMessage = "ohoh... new format is not configured";

struct JobDescription {
    bool known = false;      // job type 1000..1011
    std::string programName; // "Program" column
    std::string text;        // multi-line description for the message log
    std::string oneLine;     // "Settings" column: tabs, CR and LF as blanks
};

// Builds the row texts. An unknown job type warns "ohoh... new format is not
// configured" titled "Quillmere" and gives empty texts (no row is appended
// for it).
JobDescription DescribeJob(const JobRecord& job, Notifier& notifier);

// Tabs, carriage returns and line feeds become blanks.
std::string oneLineOf(std::string text);

} // namespace corv
