#pragma once
// Names that come from outside (a download's URL, an archive's entry) and
// become files in a folder of ours: only a plain name stays in that folder.
#include <string_view>

namespace corv {

// True for a name that Windows and Linux both take as one file directly in
// the folder it is joined to: not empty, no separator, drive colon or other
// character Windows refuses, not "." or "..", no trailing dot or space
// (Windows drops them), and no device name such as CON, NUL or COM1, with or
// without an extension.
bool isPlainFileName(std::string_view name);

} // namespace corv
