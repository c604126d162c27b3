#include "batcher/core/console_screen.h"

#include "platform/text_number.h"

namespace corv {
namespace {

// A progress figure never needs more; an endless row of digits stays finite.
constexpr int64_t kLargestProgressNumber = int64_t{1} << 40;

} // namespace

std::optional<int64_t> progressNumber(std::string_view screen, std::string_view marker,
                                      char separator, bool firstOccurrence) {
    size_t at = screen.find(marker);
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view after = screen.substr(at);
    size_t cut = firstOccurrence ? after.find(separator) : after.rfind(separator);
    if (cut == std::string_view::npos) return std::nullopt;
    std::string_view number = after.substr(cut + 1);
    size_t digit = number.find_first_not_of(" \t+-");
    // A line caught half written has no figure yet: no update rather than 0.
    if (digit == std::string_view::npos || number[digit] < '0' || number[digit] > '9')
        return std::nullopt;
    return leadingInteger(number, kLargestProgressNumber);
}

std::string screenDump(std::string_view screen) {
    const std::string rule(kConsoleColumns, '_');
    std::string dump = "\tScreen dump:\r\n\t " + rule + "\r\n";
    for (size_t row = 0; row < screen.size(); row += kConsoleColumns) {
        std::string line(screen.substr(row, kConsoleColumns));
        line.resize(kConsoleColumns, ' ');
        dump += "\t|" + line + "|\r\n";
    }
    return dump + "\t|" + rule + "|\r\n";
}

} // namespace corv
