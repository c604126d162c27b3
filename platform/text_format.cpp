#include "platform/text_format.h"

#include <cstdarg>
#include <cstdio>

namespace corv {
namespace {

void appendPrintfV(std::string& out, const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) return;
    size_t at = out.size();
    out.resize(at + static_cast<size_t>(length) + 1);
    std::vsnprintf(out.data() + at, static_cast<size_t>(length) + 1, format, args);
    out.resize(at + static_cast<size_t>(length));
}

} // namespace

std::string formatText(const char* format, ...) {
    std::string out;
    va_list args;
    va_start(args, format);
    appendPrintfV(out, format, args);
    va_end(args);
    return out;
}

void appendPrintf(std::string& out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    appendPrintfV(out, format, args);
    va_end(args);
}

} // namespace corv
