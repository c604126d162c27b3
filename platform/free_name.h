#pragma once
// Names of new files never overwrite anything: the first free one of
// stem + extension, stem + "(1)" + extension, stem + "(2)" + extension...
#include "platform/file_system.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace corv {

// Far more than any folder holds; it only keeps a folder whose names cannot
// be told apart from taken ones from being searched for ever.
inline constexpr int kMaxNameNumber = 100000;

// stem + "(number)" + extension.
std::string numberedName(std::string_view stem, int number, std::string_view extension);

struct FreeName {
    enum class Outcome { Found, TooLong, Undecided, NoneFree };
    Outcome outcome = Outcome::NoneFree;
    std::string path; // the free name; on TooLong and Undecided the candidate that stopped
};

// The first candidate, unnumbered then numbered 1 to kMaxNameNumber, whose
// state is Free. Stops at a candidate of pathLimit bytes or more and at one
// whose state is Undecided; a Taken one moves on to the next number.
FreeName firstFreeName(std::string_view stem, std::string_view extension, size_t pathLimit,
                       const std::function<NameState(const std::string& path)>& stateOf);

} // namespace corv
