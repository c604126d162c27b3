// Texts of the settings dialogs, without windows.
#include "analyser/ui/number_text.h"

#include <gtest/gtest.h>

#include <utility>

namespace corv {
namespace {

TEST(FileSizeText, DotsBetweenThousands) {
    const std::pair<int64_t, const char*> cases[] = {{-1, "UNK"},
                                                     {0, "0 bytes"},
                                                     {999, "999 bytes"},
                                                     {1000, "1.000 bytes"},
                                                     {44100, "44.100 bytes"},
                                                     {999999, "999.999 bytes"},
                                                     {1000000, "1.000.000 bytes"},
                                                     {1234567, "1.234.567 bytes"},
                                                     {999999999, "999.999.999 bytes"},
                                                     {1000000000, "1.000.000.000 bytes"},
                                                     {4294967296, "4.294.967.296 bytes"},
                                                     {12345678901234, "12345.678.901.234 bytes"}};
    for (auto [size, text] : cases)
        EXPECT_EQ(fileSizeText(size), text);
}

} // namespace
} // namespace corv
