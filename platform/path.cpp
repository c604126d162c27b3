#include "platform/path.h"

namespace corv {

std::string_view afterLastSeparator(std::string_view path) {
    size_t at = path.rfind(kPathSeparator);
    return at == std::string_view::npos ? path : path.substr(at + 1);
}

std::string_view upToLastSeparator(std::string_view path) {
    size_t at = path.rfind(kPathSeparator);
    return at == std::string_view::npos ? std::string_view{} : path.substr(0, at + 1);
}

std::string joinPath(std::string_view directoryWithSeparator, std::string_view name) {
    std::string out(directoryWithSeparator);
    out += name;
    return out;
}

std::string_view withoutExtension(std::string_view name) {
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

} // namespace corv
