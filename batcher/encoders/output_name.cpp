#include "batcher/encoders/output_name.h"

#include "batcher/encoders/text_format.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "protocol/fixed_text.h"

#include <string>

namespace corv {
namespace {

// Far more than any folder holds; it only keeps a folder whose names cannot
// be read at all from looping for ever.
constexpr int kMaxNumberedName = 100000;

} // namespace

std::string_view stemOfPath(std::string_view path) {
    std::string_view name = afterLastSeparator(path);
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

BuildOutcome chooseOutputName(std::string_view directory, std::string_view stem,
                              std::string_view extension, std::string& output) {
    std::string candidate = std::string(directory) + std::string(stem) + std::string(extension);
    for (int n = 1; n <= kMaxNumberedName; ++n) {
        if (candidate.size() >= kPathFieldSize)
            return BuildOutcome::failure("The output file name is longer than a path may be");
        NameState state = nameState(candidate);
        if (state == NameState::Free) {
            output = std::move(candidate);
            return BuildOutcome::success();
        }
        // Another number would not answer the question any better.
        if (state == NameState::Undecided)
            return BuildOutcome::failure("It cannot be told whether the output file " + candidate +
                                         " exists");
        candidate = formatText("%.*s%.*s(%i)%.*s", static_cast<int>(directory.size()),
                               directory.data(), static_cast<int>(stem.size()), stem.data(), n,
                               static_cast<int>(extension.size()), extension.data());
    }
    return BuildOutcome::failure("No free output file name was found");
}

} // namespace corv
