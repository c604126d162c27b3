// corvandale-cli: info, convert and tree over WAVE files.
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/host.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    using namespace corv::cli;
    raiseOpenFileLimit();
    auto parsed = parseCommandLine(argc, argv);
    if (const int* status = std::get_if<int>(&parsed)) return *status;
    try {
        return runCommand(std::get<CommandLine>(parsed));
    } catch (const std::exception& error) {
        std::cerr << "corvandale-cli: " << error.what() << '\n';
        return kExitFailure;
    }
}
