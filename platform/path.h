#pragma once
// Path text rules written once; the separator is the platform's.
#include <string>
#include <string_view>

namespace corv {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The part after the last separator (the whole text when there is none).
std::string_view afterLastSeparator(std::string_view path);

// The text up to and including the last separator ("" when there is none).
std::string_view upToLastSeparator(std::string_view path);

// A directory text (ending in a separator) followed by a name.
std::string joinPath(std::string_view directoryWithSeparator, std::string_view name);

// The name without everything from its last "." on (the whole name without one).
std::string_view withoutExtension(std::string_view name);

} // namespace corv
