#include "analyser/ui/win/dropped_files.h"

#include "analyser/ui/list_additions.h"

#include <shlobj.h>

namespace corv {
namespace {

std::string narrowed(const char* wide, size_t bytes) {
    const auto* text = reinterpret_cast<const wchar_t*>(wide);
    const int length = static_cast<int>(bytes / sizeof(wchar_t));
    std::string out(static_cast<size_t>(
                        WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr)),
                    '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), static_cast<int>(out.size()), nullptr,
                        nullptr);
    return out;
}

} // namespace

std::vector<std::string> DroppedPaths(HDROP drop) {
    std::vector<std::string> paths;
    const SIZE_T size = GlobalSize(drop);
    const auto* block = static_cast<const char*>(GlobalLock(drop));
    if (!block) return paths;
    const auto* files = reinterpret_cast<const DROPFILES*>(block);
    if (size >= sizeof(DROPFILES) && files->pFiles < size) {
        const char* list = block + files->pFiles;
        const size_t bytes = size - files->pFiles;
        const std::string names = files->fWide ? narrowed(list, bytes) : std::string(list, bytes);
        for (std::string_view name : zeroTerminatedTexts(names))
            paths.emplace_back(name);
    }
    GlobalUnlock(drop);
    return paths;
}

} // namespace corv
