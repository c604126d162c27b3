#pragma once
// The three commands; each returns the program's exit status.
#include "cli/command_line.h"

namespace corv::cli {

int runInfo(const CommandLine& line);
int runConvert(const CommandLine& line);
int runTree(const CommandLine& line);

inline int runCommand(const CommandLine& line) {
    switch (line.command) {
    case Command::Info:
        return runInfo(line);
    case Command::Convert:
        return runConvert(line);
    case Command::Tree:
        return runTree(line);
    }
    return kExitUsage;
}

} // namespace corv::cli
