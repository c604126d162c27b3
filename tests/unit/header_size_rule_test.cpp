// "Ignore size in header": which file lengths the choice applies to, at the
// exact byte where each switch turns.
#include "analyser/analysis/wave_reader.h"

#include <gtest/gtest.h>

namespace corv {
namespace {

TEST(HeaderSizeRule, EachChoiceTurnsAtItsExactLength) {
    constexpr int64_t k2GB = int64_t{1} << 31, k4GB = int64_t{1} << 32;
    const HeaderSizeOptions off{false, true, true, true}, over2{true, true, false, false},
        over4{true, false, true, false}, always{true, false, false, true};
    const struct {
        HeaderSizeOptions options;
        int64_t fileSize;
        bool ignored;
    } cases[] = {
        {off, k4GB, false},   {over2, k2GB - 1, false}, {over2, k2GB, true},
        {over4, k2GB, false}, {over4, k4GB - 1, false}, {over4, k4GB, true},
        {always, 0, true},    {always, -1, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(headerSizesIgnored(c.options, c.fileSize), c.ignored) << c.fileSize;
}

} // namespace
} // namespace corv
