#include "analyser/ui/win/properties_dialog.h"

#include "analyser/analysis/chunk_tree.h"
#include "analyser/engine/entry_analysis.h"
#include "analyser/shared_ui/win/dialog_support.h"
#include "analyser/ui/number_text.h"
#include "analyser/ui/win/dialog_ids_settings.h"

#include <commctrl.h>

#include <string>

namespace corv {
namespace {

struct PropertiesRequest {
    const AudioFileRecord& record;
    const ConversionSettings& settings;
};

void insertNodes(HWND tree, HTREEITEM parent, const std::vector<TextNode>& nodes) {
    for (const TextNode& node : nodes) {
        TVINSERTSTRUCTA insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<char*>(node.text.c_str());
        auto item = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (!item) return;
        insertNodes(tree, item, node.children);
        if (node.expanded)
            SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    }
}

void onInit(HWND window, PropertiesRequest* request) {
    const AudioFileRecord& record = request->record;
    SetDlgItemTextA(window, IDC_CURRENT_FILE, std::string(fieldText(record.name)).c_str());
    SetDlgItemTextA(window, IDC_FILE_SIZE, fileSizeText(record.fileSize).c_str());
    auto tree = buildChunkTree(std::string(fieldText(record.path)), record.fileSize,
                               analysisOptionsOf(request->settings).headerSizes);
    insertNodes(GetDlgItem(window, IDC_CHUNK_TREE), TVI_ROOT, tree);
}

void onCommand(HWND window, int id, int) {
    if (id == IDC_DIALOG_OK || id == IDC_DIALOG_CANCEL) closeModelessDialog(window);
}

} // namespace

HWND openPropertiesDialog(HWND owner, const AudioFileRecord& record,
                          const ConversionSettings& settings) {
    // The request is read while the dialog opens only.
    return createModelessDialog(
        owner, IDD_WAVE_PROPERTIES,
        GuardedDialogProc<modelessDialogHandler<PropertiesRequest, onInit, onCommand>>,
        std::unique_ptr<PropertiesRequest>(new PropertiesRequest{record, settings}));
}

} // namespace corv
