#include "analyser/ui/win/main_window.h"

#include "analyser/batcher_client/win/batcher_dialog.h"
#include "analyser/batcher_client/win/batcher_link.h"
#include "analyser/shared_ui/win/analyser_state.h"
#include "analyser/shared_ui/win/dialog_support.h"
#include "analyser/shared_ui/win/message_box_notifier.h"
#include "analyser/ui/list_columns.h"
#include "analyser/ui/main_layout.h"
#include "analyser/ui/user_actions.h"
#include "analyser/ui/win/about_box.h"
#include "analyser/ui/win/channel_mapping_dialog.h"
#include "analyser/ui/win/conversion_session.h"
#include "analyser/ui/win/dropped_files.h"
#include "analyser/ui/win/file_list_view.h"
#include "analyser/ui/win/list_feeder.h"
#include "analyser/ui/win/preferences_dialog.h"
#include "analyser/ui/win/properties_dialog.h"
#include "analyser/ui/win/resource.h"
#include "platform/file_stream.h"
#include "platform/win/dialog_program.h"
#include "protocol/messages.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corv {
namespace {

constexpr char kSsrcMissingMessage[] = "ssrcdll.dll is missing or invallid, without this "
                                       "corvandale can NOT upsample/downsample/dither properly.";
constexpr char kOpenFilters[] =
    "Wave files (*.wav)\0*.wav\0MP3 files(*.mp3)\0*.mp3\0Show all (*.*)\0*.*\0";
constexpr DWORD kOpenNameBufferSize = 260000;

// What the main window owns besides its controls.
struct MainWindow {
    HWND window = nullptr;
    FileListView list;
    std::unique_ptr<ListFeeder> feeder;
    std::unique_ptr<ConversionSession> session;
};

MainWindow& Main() {
    static MainWindow main;
    return main;
}

bool conversionRunning() {
    return Main().session && Main().session->running();
}

// Whether the action may go on now; tells the user when it must wait.
bool allowed(UserAction action) {
    switch (decideAction(action, conversionRunning())) {
    case Verdict::Go:
        return true;
    case Verdict::Refuse:
        MessageBoxNotifier(Main().window).warn(kWaitForConversionMessage);
        return false;
    case Verdict::Ignore:
        break;
    }
    return false;
}

int controlId(MainControl control) {
    switch (control) {
    case MainControl::Add:
        return IDC_ADD;
    case MainControl::Delete:
        return IDC_DIALOG_DELETE;
    case MainControl::ClearList:
        return IDC_CLEAR_LIST;
    case MainControl::Analyse:
        return IDC_ANALYSE_LIST;
    case MainControl::Properties:
        return IDC_PROPERTIES;
    case MainControl::Exit:
        return IDC_EXIT;
    case MainControl::Convert:
        return IDC_CONVERT;
    case MainControl::FileList:
        return IDC_FILE_LIST;
    }
    return 0;
}

void applyLayout(HWND window) {
    if (IsIconic(window)) return; // a minimised window keeps its place and size
    RECT frame;
    GetWindowRect(window, &frame);
    const WindowSize now{frame.right - frame.left, frame.bottom - frame.top};
    const WindowSize wanted = atLeastMinimum(now);
    if (wanted.width != now.width || wanted.height != now.height)
        SetWindowPos(window, nullptr, 0, 0, wanted.width, wanted.height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(window, &client);
    for (const ControlPlace& place : mainLayout(client.right, client.bottom)) {
        HWND control = GetDlgItem(window, controlId(place.control));
        if (!control) continue;
        const UINT keepSize = place.width == 0 ? SWP_NOSIZE : 0;
        SetWindowPos(control, nullptr, place.left, place.top, place.width, place.height,
                     SWP_NOZORDER | SWP_NOACTIVATE | keepSize);
    }
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void checkMenuItem(HWND window, UINT id, bool checked) {
    CheckMenuItem(GetMenu(window), id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void applyAlwaysOnTop(HWND window) {
    const bool onTop = Analyser().settings.conversion.alwaysOnTop != 0;
    SetWindowPos(window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    checkMenuItem(window, IDM_ALWAYS_ON_TOP, onTop);
}

UINT columnMenuId(ListColumn column) {
    return IDM_COLUMN_PATH + static_cast<UINT>(column) - 1;
}

void loadSsrcLibraryOrEnd(HWND window) {
    AnalyserState& state = Analyser();
    const std::string path = state.programDirectory + "ssrcdll.dll";
    if (canOpenForReading(path)) state.ssrc = loadSsrcLibrary(path);
    if (state.ssrc.loaded) return;
    MessageBoxA(window, kSsrcMissingMessage, path.c_str(), MB_OK | MB_ICONEXCLAMATION);
    ExitProcess(static_cast<UINT>(-1));
}

void onInit(HWND window) {
    AnalyserState& state = Analyser();
    MainWindow& main = Main();
    state.mainWindow = main.window = window;
    SetFocus(GetDlgItem(window, IDC_ADD));
    applyAlwaysOnTop(window);
    EnableMenuItem(GetMenu(window), IDM_COLUMN_FILENAME, MF_BYCOMMAND | MF_GRAYED);
    checkMenuItem(window, IDM_COLUMN_FILENAME, true);
    for (const ListColumnInfo& info : kListColumns)
        if (info.column != ListColumn::Filename)
            checkMenuItem(window, columnMenuId(info.column),
                          isColumnShown(state.settings.conversion, info.column));
    loadSsrcLibraryOrEnd(window);

    applyLayout(window);
    main.list.attach(GetDlgItem(window, IDC_FILE_LIST), &state.settings.conversion);
    main.feeder = std::make_unique<ListFeeder>(main.list, state.settings.conversion, window);
    main.session = std::make_unique<ConversionSession>(window, main.list, *main.feeder);
    SaveAnalyserSettings();
}

void addThroughOpenDialog(HWND window) {
    std::vector<char> names(kOpenNameBufferSize, '\0');
    OPENFILENAMEA open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = window;
    open.lpstrFilter = kOpenFilters;
    open.nFilterIndex = 1;
    open.lpstrFile = names.data();
    open.nMaxFile = kOpenNameBufferSize;
    open.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (!GetOpenFileNameA(&open)) return;
    const std::string first(names.data());
    Main().feeder->addPaths(
        pathsOfOpenAnswer(std::string_view(names.data(), names.size()), canOpenForReading(first)));
}

void addDroppedFiles(HDROP drop) {
    if (allowed(UserAction::DropFiles)) {
        FileListView& list = Main().list;
        std::vector<std::string> paths = DroppedPaths(drop);
        SendMessageA(list.handle(), LVM_SETITEMCOUNT, list.rowCount() + paths.size(), 0);
        Main().feeder->addPaths(std::move(paths));
    }
    DragFinish(drop);
}

// The main window is disabled while one of its modeless dialogs is open.
void openDialog(HWND window, const std::function<HWND()>& open) {
    MessageBoxNotifier notifier(window);
    openOverOwner(window, open, notifier);
}

void openProperties(HWND window) {
    if (!allowed(UserAction::Properties)) return;
    FileListView& list = Main().list;
    const std::vector<int> selected = list.selectedRows();
    switch (decideProperties(static_cast<int>(selected.size()))) {
    case PropertiesChoice::Nothing:
        return;
    case PropertiesChoice::SelectOne:
        MessageBoxNotifier(window).warn(kSelectSingleItemMessage);
        return;
    case PropertiesChoice::Open:
        if (ListEntry* entry = list.entryAt(selected.front()))
            openDialog(window, [&] {
                return openPropertiesDialog(window, entry->record, Analyser().settings.conversion);
            });
        return;
    }
}

void openChannelMapping(HWND window) {
    AnalyserState& state = Analyser();
    openDialog(window, [&] {
        return openChannelMappingDialog(window, state.maps, state.settings, state.programDirectory,
                                        [] { return conversionRunning(); });
    });
}

void openPreferences(HWND window) {
    AnalyserState& state = Analyser();
    openDialog(window, [&] {
        return openPreferencesDialog(window, state.settings, state.programDirectory,
                                     [] { return conversionRunning(); });
    });
}

void openBatcher(HWND window) {
    AnalyserState& state = Analyser();
    openDialog(window, [&] {
        return openBatcherDialog(window, state.settings, state.programDirectory,
                                 [] { return conversionRunning(); });
    });
}

// Closing while a conversion runs: it is asked to stop and the program ends
// once it has, so that its outputs are finished or removed and nothing it
// uses is freed under it.
void onClose() {
    if (Main().session->mayCloseNow()) PostQuitMessage(0);
}

void toggleColumn(HWND window, ListColumn column) {
    uint8_t* shown = columnSwitch(Analyser().settings.conversion, column);
    *shown = *shown ? 0 : 1;
    Main().list.showColumn(column, *shown != 0);
    checkMenuItem(window, columnMenuId(column), *shown != 0);
    // During a run the records are the conversion's; its end fills the column.
    if (*shown && !conversionRunning()) Main().list.refreshAll();
    SaveAnalyserSettings();
}

void onCommand(HWND window, int id) {
    MainWindow& main = Main();
    switch (id) {
    case IDC_ADD:
        if (allowed(UserAction::Add)) addThroughOpenDialog(window);
        break;
    case IDC_DIALOG_DELETE:
        if (!allowed(UserAction::Delete)) break;
        main.list.deleteSelected();
        main.feeder->rowsChanged();
        break;
    case IDK_SELECT_ALL:
        main.list.selectAll();
        break;
    case IDC_CLEAR_LIST:
        if (!allowed(UserAction::ClearList)) break;
        main.feeder->cancel();
        main.list.clear();
        break;
    case IDC_ANALYSE_LIST:
        if (allowed(UserAction::Analyse)) main.feeder->analyseAll();
        break;
    case IDC_PROPERTIES:
        openProperties(window);
        break;
    case IDC_CONVERT:
        if (allowed(UserAction::Convert)) main.session->convert();
        break;
    case IDC_EXIT:
    case IDM_EXIT:
        SendMessageA(window, WM_CLOSE, 0, 0);
        break;
    case IDK_CHANNEL_MAPPING:
        SendMessageA(window, WM_COMMAND, IDM_CHANNEL_MAPPING, 0);
        break;
    case IDK_QUILLMERE:
        SendMessageA(window, WM_COMMAND, IDM_QUILLMERE, 0);
        break;
    case IDK_PREFERENCES:
        SendMessageA(window, WM_COMMAND, IDM_PREFERENCES, 0);
        break;
    case IDM_PREFERENCES:
        openPreferences(window);
        break;
    case IDM_ALWAYS_ON_TOP: {
        uint8_t& onTop = Analyser().settings.conversion.alwaysOnTop;
        onTop = onTop ? 0 : 1;
        applyAlwaysOnTop(window);
        SaveAnalyserSettings();
        break;
    }
    case IDM_ABOUT:
        openDialog(window, [window] { return OpenAboutBox(window); });
        break;
    case IDM_QUILLMERE:
        openBatcher(window);
        break;
    case IDM_CHANNEL_MAPPING:
        openChannelMapping(window);
        break;
    default:
        if (id >= IDM_COLUMN_PATH && id <= IDM_COLUMN_PEAK_CONV)
            toggleColumn(window, static_cast<ListColumn>(id - IDM_COLUMN_PATH + 1));
        break;
    }
}

void onListNotify(HWND window, const NMHDR& header) {
    MainWindow& main = Main();
    const auto& view = reinterpret_cast<const NMLISTVIEW&>(header);
    switch (header.code) {
    case LVN_DELETEITEM:
        main.list.onRowDeleted(view);
        break;
    case LVN_BEGINDRAG:
        if (allowed(UserAction::Drag)) main.list.beginDrag(view.iItem, window);
        break;
    case LVN_COLUMNCLICK:
        if (!allowed(UserAction::Sort)) break;
        main.list.sortByColumn(view.iSubItem);
        main.feeder->rowsChanged();
        break;
    case NM_DBLCLK:
        openProperties(window);
        break;
    default:
        break;
    }
}

void endDrag() {
    Main().list.endDrag();
    Main().feeder->rowsChanged();
}

LRESULT onCopyData(HWND sender, const COPYDATASTRUCT* data) {
    if (!data || data->dwData != static_cast<ULONG_PTR>(MessageId::ConnectionReply)) return 0;
    return AcceptConnectionReply(sender) ? 1 : 0;
}

INT_PTR handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow& main = Main();
    switch (message) {
    case WM_INITDIALOG:
        onInit(window);
        return FALSE; // the focus is on "&Add"
    case WM_MOVE:
    case WM_SIZE:
        applyLayout(window);
        return TRUE;
    case WM_CLOSE:
        onClose();
        return TRUE;
    case WM_COMMAND:
        onCommand(window, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_FILE_LIST) onListNotify(window, *header);
        return FALSE;
    }
    case WM_MOUSEMOVE:
        if (main.list.dragging())
            main.list.dragTo({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, window);
        return TRUE;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (main.list.dragging()) endDrag();
        return TRUE;
    case WM_DROPFILES:
        addDroppedFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_COPYDATA:
        SetWindowLongPtrA(window, DWLP_MSGRESULT,
                          onCopyData(reinterpret_cast<HWND>(wParam),
                                     reinterpret_cast<const COPYDATASTRUCT*>(lParam)));
        return TRUE;
    default:
        return main.session && main.session->onThreadMessage(message, lParam);
    }
}

} // namespace

HWND CreateMainWindow(HINSTANCE instance) {
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                              GuardedDialogProc<handle>, 0);
}

bool DoListWorkWhenIdle() {
    MainWindow& main = Main();
    if (!main.feeder || !main.feeder->busy() || conversionRunning()) return false;
    main.feeder->workSlice();
    return true;
}

void StopConversionAndWait() {
    if (Main().session) Main().session->stopAndWait();
}

} // namespace corv
