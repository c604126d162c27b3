#include "analyser/ui/win/list_view_rows.h"

namespace corv {

void setListCellText(HWND list, int row, int column, const std::string& text) {
    std::string owned = text;
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = owned.data();
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void setListRowState(HWND list, int row, UINT state, UINT mask) {
    LVITEMA item{};
    item.state = state;
    item.stateMask = mask;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::vector<int> selectedListRows(HWND list) {
    std::vector<int> rows;
    for (int row = -1; (row = static_cast<int>(SendMessageA(
                            list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0;)
        rows.push_back(row);
    return rows;
}

void deleteSelectedListRows(HWND list) {
    int from = -1; // the first search starts before row 0
    for (;;) {
        const int row = static_cast<int>(
            SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(from), LVNI_SELECTED));
        if (row < 0 || !SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0)) break;
        from = row - 1;
    }
    setListRowState(list, -1, 0, LVIS_FOCUSED);
}

} // namespace corv
