#include "batcher/win/system_error.h"

#include "batcher/encoders/text_format.h"

namespace corv {

std::string SystemErrorText(DWORD code) {
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, sizeof text, nullptr);
    std::string words(text, length);
    while (!words.empty() && (words.back() == '\r' || words.back() == '\n' || words.back() == ' '))
        words.pop_back();
    if (words.empty()) words = "Unknown error.";
    return formatText("%s (error %lu)", words.c_str(), static_cast<unsigned long>(code));
}

} // namespace corv
