#include "batcher/config/win/locate_program.h"

#include "batcher/config/batcher_settings.h"
#include "batcher/config/configure_groups.h"
#include "batcher/config/program_search.h"
#include "batcher/config/win/encoder_window.h"
#include "batcher/config/win/window_module_path.h"
#include "protocol/fixed_text.h"
#include "protocol/messages.h"

#include <commdlg.h>

#include <optional>
#include <string_view>

namespace corv {
namespace {

constexpr char kSonicWindowClass[] = "SFAC3.WndClass.Frame";
constexpr char kSonicWindowTitle[] = "Sonic Foundry Soft Encode";

void tell(HWND owner, std::string_view text) {
    std::string owned(text);
    MessageBoxA(owner, owned.c_str(), kBatcherWindowName, MB_OK | MB_ICONEXCLAMATION);
}

bool askYesNo(HWND owner, const std::string& question) {
    return MessageBoxA(owner, question.c_str(), kBatcherWindowName,
                       MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

std::string editText(HWND edit) {
    char text[kPathFieldSize] = {};
    GetWindowTextA(edit, text, sizeof text);
    return text;
}

void manualSearch(HWND edit, int index, const ProgramSearchInfo& info,
                  const LocateContext& context) {
    const std::string filterName = openFileFilterName(index);
    const std::string_view pattern = openFileFilterPattern(index);
    // Name, pattern, and the empty pair that ends the list.
    std::string filter = filterName + '\0' + std::string(pattern) + '\0' + '\0';
    const std::string initialDirectory =
        manualSearchDirectory(editText(edit), context.programDirectory);

    char chosen[kPathFieldSize] = {};
    if (!setFieldText(chosen, info.fileName)) return;
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = context.owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = sizeof chosen;
    dialog.lpstrInitialDir = initialDirectory.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameA(&dialog) && GetFileAttributesA(chosen) != INVALID_FILE_ATTRIBUTES)
        SetWindowTextA(edit, chosen);
}

void offerManualSearch(HWND edit, int index, const ProgramSearchInfo& info,
                       const LocateContext& context, const std::string& question) {
    if (askYesNo(context.owner, question)) manualSearch(edit, index, info, context);
}

std::optional<std::string> runningWindowProgram(int index, bool ntPlatform) {
    char path[kPathFieldSize] = {};
    if (index == kSonicProgramIndex) {
        HWND window = FindWindowA(kSonicWindowClass, nullptr);
        if (window && GetWindowModulePath(window, path, sizeof path, ntPlatform))
            return std::string(fieldText(path));
        return std::nullopt;
    }
    if (FindEncoderWindow(kFirstJobType + index, path, ntPlatform))
        return std::string(fieldText(path));
    return std::nullopt;
}

} // namespace

int ProgramIndexOfFindButton(int findButtonId) {
    std::optional<GroupCommand> command = groupCommandOf(findButtonId);
    return command && command->control == GroupControl::Find ? command->programIndex : -1;
}

void LocateProgram(HWND edit, int findButtonId, const LocateContext& context) {
    const int index = ProgramIndexOfFindButton(findButtonId);
    const std::optional<ProgramSearchInfo> info =
        index < 0 ? std::nullopt : programSearchInfo(index);
    if (!info) {
        tell(context.owner, kNewProgramNotHandledMessage);
        return;
    }
    const bool windowProgram = index <= 1 || index == kSonicProgramIndex;
    if (windowProgram) {
        if (auto path = runningWindowProgram(index, context.ntPlatform)) {
            SetWindowTextA(edit, path->c_str());
            return;
        }
        const char* title = index == kSonicProgramIndex ? kSonicWindowTitle : kDtsEncoderTitle;
        offerManualSearch(edit, index, *info, context,
                          startProgramFirstQuestion(info->findName, title));
        return;
    }
    if (auto path = findProgramInTree(context.programDirectory, index)) {
        SetWindowTextA(edit, path->c_str());
        return;
    }
    offerManualSearch(edit, index, *info, context, cantFindQuestion(info->fileName));
}

} // namespace corv
