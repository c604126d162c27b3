#pragma once
// The program's arguments: a command, its options and its files.
#include "cli/convert_flags.h"

#include <string>
#include <variant>
#include <vector>

namespace corv::cli {

enum class Command { Info, Convert, Tree };

// Exit statuses every command keeps to.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1; // some file failed or was skipped
inline constexpr int kExitUsage = 2;

struct CommandLine {
    Command command = Command::Info;
    bool json = false;
    std::string settingsPath; // empty: the defaults
    std::string mapsPath;     // empty: no channel maps
    ConvertFlags flags;
    std::vector<std::string> files; // as given
};

// The parsed arguments, or the exit status when parsing already ended the run
// (help printed: 0; usage error printed: 2).
std::variant<CommandLine, int> parseCommandLine(int argc, const char* const* argv);

} // namespace corv::cli
