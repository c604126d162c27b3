#include "analyser/ui/number_text.h"

#include "platform/text_format.h"

#include <cmath>
#include <cstdlib>

namespace corv {

std::string groupThousands(uint64_t value) {
    const uint64_t thousand = 1000;
    int units = static_cast<int>(value % thousand);
    int thousands = static_cast<int>(value / thousand % thousand);
    int millions = static_cast<int>(value / (thousand * thousand) % thousand);
    if (value >= 1000000000)
        return std::to_string(value / 1000000000) +
               formatText(".%03d.%03d.%03d", millions, thousands, units);
    if (value >= 1000000) return formatText("%d.%03d.%03d", millions, thousands, units);
    if (value >= 1000) return formatText("%d.%03d", thousands, units);
    return formatText("%d", units);
}

std::string fileSizeText(int64_t fileSize) {
    if (fileSize < 0) return "UNK";
    return groupThousands(static_cast<uint64_t>(fileSize)) + " bytes";
}

std::optional<double> finiteNumber(const std::string& text) {
    double value = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

} // namespace corv
