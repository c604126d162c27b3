#pragma once
// A job record comes from any process: before it is queued its paths are
// checked, so that none can carry quotes or options into an encoder's command.
#include "protocol/job_record.h"

#include <optional>
#include <string>
#include <string_view>

namespace corv {

// True when the text could be a path: no control characters, none of
// " < > | * ?, and ":" only as the colon of a drive letter.
bool isPlausiblePath(std::string_view path);

// Why the job must not be queued, for its log line ("the input path holds a
// character that cannot be in a file name", or a TwoLAME channel mode other
// than s, j, d, m); nothing when it may be queued. Only the fields that the
// job's type uses are checked, each up to its field's end.
std::optional<std::string> findInvalidField(const JobRecord& job);

} // namespace corv
