#include "analyser/ui/win/folder_browse.h"

#include "analyser/shared_ui/win/dialog_support.h"
#include "analyser/ui/folder_choice.h"

#include <shlobj.h>

namespace corv {
namespace {

int CALLBACK preselectFolder(HWND browser, UINT message, LPARAM, LPARAM folder) {
    if (message == BFFM_INITIALIZED) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, folder);
    return 0;
}

std::optional<uint64_t> bytesAvailable(const char* folder) {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA(folder, &available, nullptr, nullptr)) return std::nullopt;
    return available.QuadPart;
}

} // namespace

std::optional<std::string> browseForFolder(HWND owner, const std::string& preselect,
                                           bool checkFreeSpace) {
    const std::string title(kBrowseFolderTitle);
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX;
    info.lpfn = preselectFolder;
    info.lParam = reinterpret_cast<LPARAM>(preselect.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
    if (!chosen) return std::nullopt;
    char path[MAX_PATH] = {};
    bool converted = SHGetPathFromIDListA(chosen, path);
    CoTaskMemFree(chosen);
    std::string_view refusal = converted ? std::string_view{} : kInvalidDirectoryText;
    if (converted && checkFreeSpace) refusal = freeSpaceRefusal(bytesAvailable(path));
    if (!refusal.empty()) {
        showWarning(owner, refusal, kBrowseWarningTitle);
        return std::nullopt;
    }
    return withTrailingSeparator(path);
}

} // namespace corv
