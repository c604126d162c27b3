#pragma once
// The unpacker Quillmere starts after a download, as "unzip -o -j -d DIR
// ARCHIVE": every file of the archive is written directly into DIR, its
// folders dropped (-j), replacing what is there (-o).
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace corv {

// Exit codes: every file written; the archive or an entry damaged, refused or
// not writable (the other entries are still written); a bad command line.
inline constexpr int kUnzipDone = 0;
inline constexpr int kUnzipFailed = 1;
inline constexpr int kUnzipUsage = 2;

// The file name an entry is written under once its folders are dropped; ""
// for a folder entry; nothing for a name that could reach outside DIR: a ".."
// part, a drive letter or any other colon, a device name such as CON.
std::optional<std::string> entryFileName(std::string_view entryName);

// Runs the command (arguments without the program name); errors go to
// `messages`, one line each. Returns the exit code.
int runUnzip(const std::vector<std::string>& arguments, std::ostream& messages);

} // namespace corv
