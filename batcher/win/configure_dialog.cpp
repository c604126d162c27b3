#include "batcher/win/configure_dialog.h"

#include "batcher/config/configure_groups.h"
#include "batcher/config/download_texts.h"
#include "batcher/config/program_list.h"
#include "batcher/config/trusted_keys.h"
#include "batcher/config/win/locate_program.h"
#include "batcher/win/download_dialog.h"
#include "batcher/win/message_box_notifier.h"
#include "batcher/win/resource.h"
#include "platform/file_system.h"
#include "platform/win/dialog_program.h"

#include <commctrl.h>

#include <string>

namespace corv {
namespace {

constexpr int kPageX = 50; // pixels inside the dialog
constexpr int kPageY = 46;

HWND groupControl(const BatcherState& state, int index, GroupControl control) {
    return GetDlgItem(state.configurePages[index / kProgramsPerPage], controlId(index, control));
}

bool ticked(const BatcherState& state, int index) {
    return SendMessageA(groupControl(state, index, GroupControl::Disable), BM_GETCHECK, 0, 0) ==
           BST_CHECKED;
}

// A program switched off has its path and Find greyed; Download is not touched.
void enableGroup(const BatcherState& state, int index) {
    const bool on = !ticked(state, index);
    EnableWindow(groupControl(state, index, GroupControl::Path), on);
    EnableWindow(groupControl(state, index, GroupControl::Find), on);
}

void showPage(BatcherState& state, int page) {
    for (int i = 0; i < kConfigurePageCount; ++i)
        ShowWindow(state.configurePages[i], i == page ? SW_SHOW : SW_HIDE);
}

std::string programListFile(const BatcherState& state) {
    return state.programDirectory + "downloads\\" + kProgramListName;
}

// The policy the dialog shows is the one in force, also before OK saves it.
ListPolicy shownPolicy(HWND dialog) {
    return ListPolicy{trustedListKeys(),
                      IsDlgButtonChecked(dialog, IDC_REFUSE_UNSIGNED) == BST_CHECKED};
}

// The download messages are owned by the main window; meanwhile this dialog
// takes no clicks, as it would take none for a box of its own.
void tellUser(HWND dialog, const BatcherState& state, std::string_view text) {
    EnableWindow(dialog, FALSE);
    WarnUser(state.mainWindow, text);
    if (IsWindow(dialog)) EnableWindow(dialog, TRUE);
}

LocateContext locateContext(HWND dialog, const BatcherState& state) {
    return LocateContext{dialog, state.programDirectory, state.ntPlatform};
}

void find(HWND dialog, const BatcherState& state, int index) {
    LocateProgram(groupControl(state, index, GroupControl::Path),
                  controlId(index, GroupControl::Find), locateContext(dialog, state));
}

// Whether the list is there after one download of it from the given path.
bool fetchProgramList(HWND dialog, BatcherState& state, const char* urlPath) {
    DownloadRequest request{};
    setFieldText(request.serverName, kProgramListHost);
    setFieldText(request.urlPath, urlPath);
    RunDownloadDialog(state, dialog, request, shownPolicy(dialog));
    return isExistingFile(programListFile(state));
}

void onDownloadList(HWND dialog, BatcherState& state) {
    const std::string list = programListFile(state);
    DeleteFileA(list.c_str());
    DeleteFileA((list + kSignatureSuffix).c_str());
    bool fetched = fetchProgramList(dialog, state, kProgramListPath);
    if (!IsWindow(dialog)) return; // Quillmere is closing
    if (!fetched) {
        tellUser(dialog, state, kListFallbackMessage);
        fetched = fetchProgramList(dialog, state, kProgramListFallbackPath);
        if (!IsWindow(dialog)) return;
    }
    tellUser(dialog, state, fetched ? kListDownloadedMessage : kListFailedMessage);
    for (int index = 0; index < kProgramCount; ++index) {
        DownloadRequest request{};
        std::optional<std::string_view> key = programListKey(index);
        if (key && ReadProgramListEntry(list, *key, request, shownPolicy(dialog)))
            EnableWindow(groupControl(state, index, GroupControl::Download), TRUE);
    }
}

void onDownload(HWND dialog, BatcherState& state, int index) {
    DownloadRequest request{};
    std::optional<std::string_view> key = programListKey(index);
    if (key && ReadProgramListEntry(programListFile(state), *key, request, shownPolicy(dialog)))
        RunDownloadDialog(state, dialog, request, shownPolicy(dialog));
    if (IsWindow(dialog)) find(dialog, state, index); // the installed program is in bin\ now
}

void onOk(HWND dialog, BatcherState& state) {
    BatcherSettings& settings = state.settings;
    settings.invertSonicSettings = IsDlgButtonChecked(dialog, IDC_INVERT_SONIC) == BST_CHECKED;
    settings.acceptUnsignedLists = shownPolicy(dialog).refuseUnsigned ? 0 : 1;
    const int chosen =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_JOBS_AT_ONCE, CB_GETCURSEL, 0, 0)) + 1;
    settings.jobsAtOnce = storedJobsAtOnce(settings.jobsAtOnce, chosen, ProcessorCount());
    for (int index = 0; index < kProgramCount; ++index) {
        char path[kPathFieldSize] = {}; // the edits take no more
        GetWindowTextA(groupControl(state, index, GroupControl::Path), path, sizeof path);
        setFieldText(settings.programPath[index], path);
        settings.disabled[index] = ticked(state, index) ? 1 : 0;
    }
    state.usable = computeUsableFlags(settings);
    saveBatcherSettings(settings, state.programDirectory);
    EndDialog(dialog, 1);
}

void onCommand(HWND dialog, BatcherState& state, int id) {
    if (std::optional<GroupCommand> group = groupCommandOf(id)) {
        switch (group->control) {
        case GroupControl::Disable:
            enableGroup(state, group->programIndex);
            break;
        case GroupControl::Find:
            find(dialog, state, group->programIndex);
            break;
        case GroupControl::Download:
            onDownload(dialog, state, group->programIndex);
            break;
        case GroupControl::Path:
            break;
        }
        return;
    }
    switch (id) {
    case IDC_DOWNLOAD_LIST:
        onDownloadList(dialog, state);
        break;
    case IDC_CONFIGURE_OK:
        onOk(dialog, state);
        break;
    case IDC_CONFIGURE_CANCEL:
    case IDCANCEL: // Escape
        EndDialog(dialog, 0);
        break;
    default:
        break;
    }
}

// A page passes every command of its controls on to the dialog.
INT_PTR CALLBACK pageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COMMAND) return FALSE;
    SendMessageA(GetParent(page), WM_COMMAND, wParam, lParam);
    return TRUE;
}

void onInit(HWND dialog, BatcherState& state) {
    BatcherSettings& settings = state.settings;
    resetMissingPaths(settings);
    saveBatcherSettings(settings, state.programDirectory);
    CheckDlgButton(dialog, IDC_INVERT_SONIC,
                   settings.invertSonicSettings ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_REFUSE_UNSIGNED,
                   settings.acceptUnsignedLists ? BST_UNCHECKED : BST_CHECKED);
    for (int jobs = 1; jobs <= kMostJobsAtOnce; ++jobs)
        SendDlgItemMessageA(dialog, IDC_JOBS_AT_ONCE, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(std::to_string(jobs).c_str()));
    SendDlgItemMessageA(dialog, IDC_JOBS_AT_ONCE, CB_SETCURSEL,
                        static_cast<WPARAM>(jobsAtOnceOf(settings, ProcessorCount()) - 1), 0);

    HWND tabs = GetDlgItem(dialog, IDC_CONFIGURE_TABS);
    for (int i = 0; i < kConfigurePageCount; ++i) {
        std::string title = "Programs " + std::to_string(i);
        TCITEMA tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = title.data();
        SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab));
        HWND page =
            CreateDialogParamA(GetModuleHandleA(nullptr),
                               MAKEINTRESOURCEA(IDD_CONFIGURE_PAGE_0 + i), dialog, pageProc, 0);
        SetWindowPos(page, HWND_TOP, kPageX, kPageY, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        state.configurePages[i] = page;
    }
    const int page =
        settings.configurePage < kConfigurePageCount ? static_cast<int>(settings.configurePage) : 0;
    showPage(state, page);
    SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);

    for (int index = 0; index < kProgramCount; ++index) {
        HWND path = groupControl(state, index, GroupControl::Path);
        // A longer path would have to be cut to fit its field.
        SendMessageA(path, EM_LIMITTEXT, kPathFieldSize - 1, 0);
        SetWindowTextA(path, std::string(fieldText(settings.programPath[index])).c_str());
        SendMessageA(groupControl(state, index, GroupControl::Disable), BM_SETCHECK,
                     settings.disabled[index] ? BST_CHECKED : BST_UNCHECKED, 0);
        enableGroup(state, index);
    }
}

void onTabChange(HWND dialog, BatcherState& state) {
    LRESULT page = SendDlgItemMessageA(dialog, IDC_CONFIGURE_TABS, TCM_GETCURSEL, 0, 0);
    if (page < 0 || page >= kConfigurePageCount) return;
    state.settings.configurePage = static_cast<uint32_t>(page);
    showPage(state, static_cast<int>(page));
}

INT_PTR handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = DialogRecord<BatcherState>(dialog, message, lParam);
    if (!state) return FALSE;
    if (message == WM_INITDIALOG) {
        onInit(dialog, *state);
        return TRUE;
    }
    switch (message) {
    case WM_COMMAND:
        onCommand(dialog, *state, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_CONFIGURE_TABS && header->code == TCN_SELCHANGE)
            onTabChange(dialog, *state);
        return FALSE;
    }
    case WM_CLOSE: // as Cancel
        EndDialog(dialog, 0);
        return TRUE;
    case WM_DESTROY:
        for (HWND& page : state->configurePages)
            page = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void ShowConfigureDialog(BatcherState& state) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIGURE), state.mainWindow,
                    GuardedDialogProc<handle>, reinterpret_cast<LPARAM>(&state));
}

} // namespace corv
