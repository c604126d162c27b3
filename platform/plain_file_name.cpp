#include "platform/plain_file_name.h"

#include <array>
#include <cctype>

namespace corv {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Windows opens the device whatever extension follows its name.
bool isDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    constexpr std::array<std::string_view, 8> kDevices{"CON",    "PRN",    "AUX",     "NUL",
                                                       "CLOCK$", "CONIN$", "CONOUT$", "$MFT"};
    for (std::string_view device : kDevices)
        if (equalsIgnoringCase(stem, device)) return true;
    if (stem.size() == 4 && std::isdigit(static_cast<unsigned char>(stem[3])))
        return equalsIgnoringCase(stem.substr(0, 3), "COM") ||
               equalsIgnoringCase(stem.substr(0, 3), "LPT");
    return false;
}

} // namespace

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 32 ||
            std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    return !isDeviceName(name);
}

} // namespace corv
