#include "batcher/encoders/output_name.h"

#include "platform/file_system.h"
#include "platform/free_name.h"
#include "platform/path.h"
#include "protocol/fixed_text.h"

#include <string>

namespace corv {

std::string_view stemOfPath(std::string_view path) {
    return withoutExtension(afterLastSeparator(path));
}

BuildOutcome chooseOutputName(std::string_view directory, std::string_view stem,
                              std::string_view extension, std::string& output) {
    // Another number would not answer an undecided name any better, so it stops the search.
    FreeName found = firstFreeName(std::string(directory) + std::string(stem), extension,
                                   kPathFieldSize, nameState);
    switch (found.outcome) {
    case FreeName::Outcome::Found:
        output = std::move(found.path);
        return BuildOutcome::success();
    case FreeName::Outcome::TooLong:
        return BuildOutcome::failure("The output file name is longer than a path may be");
    case FreeName::Outcome::Undecided:
        return BuildOutcome::failure("It cannot be told whether the output file " + found.path +
                                     " exists");
    case FreeName::Outcome::NoneFree:
        break;
    }
    return BuildOutcome::failure("No free output file name was found");
}

} // namespace corv
