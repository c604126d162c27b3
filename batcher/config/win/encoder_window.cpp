#include "batcher/config/win/encoder_window.h"

#include "batcher/config/win/window_module_path.h"

#include <cstring>
#include <string_view>

namespace corv {
namespace {

constexpr char kSearchedTitle[] = "DTS Encoder*";
// Another program's window may hang; a rename must not hang the batcher with it.
constexpr UINT kRenameTimeoutMs = 1000;

void rename(HWND window, const char* title) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title), SMTO_ABORTIFHUNG,
                        kRenameTimeoutMs, &ignored);
}

BOOL CALLBACK renameBack(HWND window, LPARAM) {
    char title[sizeof kSearchedTitle + 1] = {};
    GetWindowTextA(window, title, sizeof title);
    if (std::strcmp(title, kSearchedTitle) == 0) rename(window, kDtsEncoderTitle);
    return TRUE;
}

} // namespace

bool FindEncoderWindow(int32_t jobType, char (&path)[kPathFieldSize], bool ntPlatform) {
    const bool dvd = jobType == 1001;
    const std::string_view marker = dvd ? " DVD " : " CD ";
    const std::string_view fileName = dvd ? "surcodedvd.exe" : "surcodedts.exe";

    bool found = false;
    HWND window = FindWindowA(nullptr, kDtsEncoderTitle);
    while (window && !found) {
        char candidate[kPathFieldSize] = {};
        bool named = GetWindowModulePath(window, candidate, sizeof candidate, ntPlatform);
        rename(window, kSearchedTitle);
        std::string_view text = fieldText(candidate);
        if (named && (text.find(marker) != std::string_view::npos ||
                      text.find(fileName) != std::string_view::npos)) {
            std::memcpy(path, candidate, sizeof path);
            found = true;
        } else {
            HWND next = FindWindowA(nullptr, kDtsEncoderTitle);
            // A window that would not take the new title would be found forever.
            window = next == window ? nullptr : next;
        }
    }
    EnumWindows(renameBack, 0);
    return found;
}

} // namespace corv
