#pragma once
// Sizes as the windows show them, thousands grouped with dots, and numbers
// as the user types them.
#include <cstdint>
#include <optional>
#include <string>

namespace corv {

// "999", "1.000", "1.234.567", "1.500.000.000"; from a billion on, the part
// before the last three groups is written whole ("12345.678.901.234").
std::string groupThousands(uint64_t value);

// The properties viewer's size line: "UNK" for an unknown size (negative),
// otherwise the grouped bytes, "1.234.567 bytes".
std::string fileSizeText(int64_t fileSize);

// Typed text read as C's atof reads it (leading blanks, the longest number, 0
// for none), but infinities and NaN, typed or overflowing, are refused.
std::optional<double> finiteNumber(const std::string& text);

} // namespace corv
