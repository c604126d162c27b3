#pragma once
// A job record comes from any process: before it is queued, every path the
// job's type uses is checked. A path that holds none of the characters that
// cannot be in a file name (quotes among them) and begins with a drive or a
// share cannot end a quoted argument early nor be read as an option; blanks
// stay a matter of quoting where a command is built.
#include "protocol/job_record.h"

#include <optional>
#include <string>
#include <string_view>

namespace corv {

// True when the text could be a path: no control characters, none of
// " < > | * ?, and ":" only as the colon of a drive letter.
bool isPlausiblePath(std::string_view path);

// True when the path begins with a drive ("C:\") or a share
// ("\\server\share\"): paths in a job come from a Windows program, and a
// relative one ("-V0") would be read against some other folder or as an option.
bool isFullPath(std::string_view path);

// Why the job must not be queued, for its log line ("the input path holds a
// character that cannot be in a file name", "the output directory is not a
// full path", or a TwoLAME channel mode other than s, j, d, m); nothing when
// it may be queued. The job name, base name and output directory must be
// plausible for every type; the paths the type uses (input path, channel
// files that are filled, the output directory of the types that name their
// output by it) must be plausible full paths. Each field is read up to its end.
std::optional<std::string> findInvalidField(const JobRecord& job);

} // namespace corv
