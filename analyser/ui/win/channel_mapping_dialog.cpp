#include "analyser/ui/win/channel_mapping_dialog.h"

#include "analyser/shared_ui/win/dialog_support.h"
#include "analyser/ui/channel_map_editing.h"
#include "analyser/ui/win/dialog_ids_maps.h"
#include "analyser/ui/win/list_view_rows.h"
#include "analyser/ui/win/map_form_dialog.h"
#include "platform/notifier.h"

#include <commctrl.h>

#include <memory>

namespace corv {
namespace {

struct ListColumn {
    const char* title;
    int width;
};
constexpr ListColumn kColumns[] = {{"From -> To", 75}, {"Type", 50}, {"Description", 228}};

HWND openList = nullptr; // at most one dialog is open: it disables the main window

ChannelMapEditor& editorOf(HWND dialog) {
    return *reinterpret_cast<ChannelMapEditor*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

HWND listOf(HWND dialog) {
    return GetDlgItem(dialog, IDC_MAP_LIST);
}

void warn(HWND dialog, std::string_view text) {
    if (!text.empty()) showWarning(dialog, text, kAttentionTitle);
}

void showRow(HWND list, int row, const ChannelMap& map) {
    const MapRowTexts texts = mapRowTexts(map);
    setListCellText(list, row, 0, texts.fromTo);
    setListCellText(list, row, 1, std::string(texts.type));
    setListCellText(list, row, 2, texts.description);
}

void appendRow(HWND list, const ChannelMap& map, bool checked) {
    LVITEMA item{};
    item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    const int row =
        static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;
    showRow(list, row, map);
    setListRowState(list, row, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

std::vector<bool> checkedRows(HWND list) {
    std::vector<bool> checked;
    for (int row = 0, n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); row < n;
         ++row)
        checked.push_back(
            (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) &
             LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2));
    return checked;
}

void onInit(HWND dialog, ChannelMapEditor* editor) {
    HWND list = openList = listOf(dialog);
    const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(kColumns[i].title);
        column.cx = kColumns[i].width;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&column));
    }
    const ChannelMapList& maps = editor->maps();
    for (size_t row = 0; row < maps.maps().size(); ++row)
        appendRow(list, maps.maps()[row], maps.isActive(row));
    CheckDlgButton(dialog, IDC_MAP_ENABLE, editor->mappingEnabled() ? BST_CHECKED : BST_UNCHECKED);
}

void onNew(HWND dialog) {
    if (auto map = runNewMapDialog(dialog)) {
        editorOf(dialog).add(*map);
        appendRow(listOf(dialog), *map, false);
    }
}

void onView(HWND dialog) {
    ChannelMapEditor& editor = editorOf(dialog);
    const std::vector<int> selected = selectedListRows(listOf(dialog));
    const ChannelMap* map =
        selected.size() == 1 && static_cast<size_t>(selected.front()) < editor.maps().maps().size()
            ? &editor.maps().maps()[static_cast<size_t>(selected.front())]
            : nullptr;
    switch (decideView(static_cast<int>(selected.size()), map)) {
    case ViewChoice::SelectOne:
        warn(dialog, kSelectSingleMapMessage);
        return;
    case ViewChoice::TooManyChannels:
        warn(dialog, kTooManyChannelsMessage);
        return;
    case ViewChoice::Open:
        if (auto edited = runMapFormDialog(dialog, *map)) {
            const auto row = static_cast<size_t>(selected.front());
            editor.change(row, *edited);
            showRow(listOf(dialog), selected.front(), editor.maps().maps()[row]);
        }
        return;
    }
}

void onDelete(HWND dialog) {
    HWND list = listOf(dialog);
    editorOf(dialog).remove(selectedListRows(list));
    deleteSelectedListRows(list);
}

// True when the maps went through and were saved.
bool onApply(HWND dialog, MapButton button) {
    MapsOutcome outcome =
        editorOf(dialog).apply(checkedRows(listOf(dialog)),
                               IsDlgButtonChecked(dialog, IDC_MAP_ENABLE) == BST_CHECKED, button);
    warn(dialog, outcome.message);
    return outcome.done;
}

void onCancel(HWND dialog) {
    editorOf(dialog).cancel();
    closeModelessDialog(dialog);
}

void onCommand(HWND dialog, int id, int) {
    switch (id) {
    case IDC_MAP_NEW:
        onNew(dialog);
        break;
    case IDC_MAP_VIEW:
        onView(dialog);
        break;
    case IDC_DIALOG_DELETE:
        onDelete(dialog);
        break;
    case IDK_SELECT_ALL:
        SetFocus(listOf(dialog));
        setListRowState(listOf(dialog), -1, LVIS_SELECTED, LVIS_SELECTED);
        break;
    case IDC_DIALOG_APPLY:
        onApply(dialog, MapButton::Apply);
        break;
    case IDC_DIALOG_OK:
        if (onApply(dialog, MapButton::Ok)) closeModelessDialog(dialog);
        break;
    case IDC_DIALOG_CANCEL:
    case IDCANCEL:
        onCancel(dialog);
        break;
    default:
        break;
    }
}

INT_PTR onMessage(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_NOTIFY) return FALSE;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom == IDC_MAP_LIST && header->code == NM_DBLCLK &&
        reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem >= 0)
        onView(dialog);
    return FALSE;
}

void onDestroyed(HWND) {
    openList = nullptr;
}

} // namespace

HWND openChannelMappingDialog(HWND owner, ChannelMapList& maps, AnalyserSettings& settings,
                              const std::string& programDirectory,
                              std::function<bool()> workerRunning) {
    auto editor = std::make_unique<ChannelMapEditor>(maps, settings, programDirectory,
                                                     std::move(workerRunning));
    return createModelessDialog(
        owner, IDD_CHANNEL_MAPPING,
        GuardedDialogProc<modelessDialogHandler<ChannelMapEditor, onInit, onCommand, onCancel,
                                                onMessage, onDestroyed>>,
        std::move(editor));
}

HWND channelMappingList() {
    return openList;
}

} // namespace corv
