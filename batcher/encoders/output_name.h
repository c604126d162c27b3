#pragma once
// Output names of encoder jobs never overwrite anything: the first name of
// directory + stem + extension, then "stem(1)", "stem(2)"... that is free.
#include "batcher/encoders/build_outcome.h"

#include <string>
#include <string_view>

namespace corv {

// Fills output with the first free name. Fails when no candidate fits a
// 520-byte path field, when a candidate's folder cannot be asked, or when no
// free name is found.
BuildOutcome chooseOutputName(std::string_view directory, std::string_view stem,
                              std::string_view extension, std::string& output);

// The file name after the last separator with everything from its last "." removed.
std::string_view stemOfPath(std::string_view path);

} // namespace corv
