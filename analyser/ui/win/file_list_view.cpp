#include "analyser/ui/win/file_list_view.h"

#include "analyser/ui/list_cells.h"
#include "analyser/ui/list_order.h"
#include "analyser/ui/win/list_view_rows.h"

#include <memory>

namespace corv {
namespace {

constexpr int kHeaderTextSize = 100;

LRESULT send(HWND list, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(list, message, wParam, lParam);
}

int CALLBACK compareEntries(LPARAM a, LPARAM b, LPARAM sortKey) {
    return compareForSort(reinterpret_cast<const ListEntry*>(a)->record,
                          reinterpret_cast<const ListEntry*>(b)->record, static_cast<int>(sortKey));
}

} // namespace

PaintingHold::PaintingHold(HWND list) : list_(list) {
    send(list_, WM_SETREDRAW, FALSE);
}

PaintingHold::~PaintingHold() {
    send(list_, WM_SETREDRAW, TRUE);
    InvalidateRect(list_, nullptr, TRUE);
}

void FileListView::attach(HWND list, const ConversionSettings* settings) {
    list_ = list;
    settings_ = settings;
    const DWORD extended = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP;
    send(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    // Each shown column at its order number; past the end it appends, so
    // the fixed order results.
    for (const ListColumnInfo& info : kListColumns)
        if (isColumnShown(*settings_, info.column))
            insertColumn(info.column, static_cast<int>(info.column));
}

int FileListView::rowCount() const {
    return static_cast<int>(send(list_, LVM_GETITEMCOUNT));
}

ListEntry* FileListView::entryAt(int row) const {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!send(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<ListEntry*>(item.lParam);
}

std::vector<AudioFileRecord*> FileListView::recordsInOrder() const {
    std::vector<AudioFileRecord*> records;
    for (int row = 0, n = rowCount(); row < n; ++row)
        if (ListEntry* entry = entryAt(row)) records.push_back(&entry->record);
    return records;
}

std::vector<int> FileListView::selectedRows() const {
    return selectedListRows(list_);
}

AddVerdict FileListView::add(const std::string& path) {
    auto entry = std::make_unique<ListEntry>();
    const AddVerdict verdict = prepareListEntry(path, listedPaths_, entry->record);
    if (verdict != AddVerdict::Add) return verdict;
    std::string name(fieldText(entry->record.name));
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = rowCount();
    item.pszText = name.data();
    item.lParam = reinterpret_cast<LPARAM>(entry.get());
    if (send(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) < 0)
        return AddVerdict::Skip;
    entry.release(); // the row owns it now; LVN_DELETEITEM gives it back
    listedPaths_.insert(path);
    return AddVerdict::Add;
}

void FileListView::deleteSelected() {
    PaintingHold hold(list_);
    deleteSelectedListRows(list_);
}

void FileListView::clear() {
    send(list_, LVM_DELETEALLITEMS);
}

void FileListView::selectAll() {
    SetFocus(list_);
    setListRowState(list_, -1, LVIS_SELECTED, LVIS_SELECTED);
    setListRowState(list_, -1, 0, LVIS_FOCUSED);
}

void FileListView::onRowDeleted(const NMLISTVIEW& deleted) {
    auto* entry = reinterpret_cast<ListEntry*>(deleted.lParam);
    if (!entry) return;
    listedPaths_.erase(std::string(fieldText(entry->record.path)));
    delete entry;
}

FileListView::ColumnPlaces FileListView::findColumns() const {
    ColumnPlaces places;
    places.fill(-1);
    char header[kHeaderTextSize + 1];
    for (int index = 0;; ++index) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT;
        column.pszText = header;
        column.cchTextMax = kHeaderTextSize;
        header[0] = '\0';
        if (!send(list_, LVM_GETCOLUMNA, static_cast<WPARAM>(index),
                  reinterpret_cast<LPARAM>(&column)))
            return places;
        if (auto found = columnOfHeader(header)) places[static_cast<size_t>(*found)] = index;
    }
}

int FileListView::findColumn(ListColumn column) const {
    return findColumns()[static_cast<size_t>(column)];
}

void FileListView::insertColumn(ListColumn column, int position) {
    const ListColumnInfo& info = columnInfo(column);
    std::string header(info.header);
    LVCOLUMNA lvColumn{};
    lvColumn.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    lvColumn.fmt = info.rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
    lvColumn.cx = info.width;
    lvColumn.pszText = header.data();
    send(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(position),
         reinterpret_cast<LPARAM>(&lvColumn));
}

void FileListView::writeCells(int row, ListEntry& entry, const AudioFileRecord& record,
                              const ColumnPlaces& places, bool everyCell) {
    for (const ListColumnInfo& info : kListColumns) {
        const auto column = static_cast<size_t>(info.column);
        if (info.column == ListColumn::Filename || places[column] < 0) continue;
        const bool inKB = settings_->sizeInKB != 0;
        auto text = everyCell ? freshCellText(record, info.column, inKB)
                              : cellText(record, info.column, inKB);
        if (!text || *text == entry.shownCells[column]) continue;
        setListCellText(list_, row, places[column], *text);
        entry.shownCells[column] = std::move(*text);
    }
}

void FileListView::refreshRow(int row, const ColumnPlaces& places) {
    if (ListEntry* entry = entryAt(row)) writeCells(row, *entry, entry->record, places);
}

void FileListView::refreshRows(const std::vector<int>& rows) {
    std::vector<std::pair<int, const AudioFileRecord*>> shown;
    for (int row : rows)
        if (const ListEntry* entry = entryAt(row)) shown.emplace_back(row, &entry->record);
    refreshRows(shown);
}

void FileListView::refreshRows(const std::vector<std::pair<int, const AudioFileRecord*>>& shown) {
    if (shown.empty()) return;
    const ColumnPlaces places = findColumns();
    for (const auto& [row, record] : shown)
        if (ListEntry* entry = entryAt(row)) writeCells(row, *entry, *record, places);
}

void FileListView::refreshAll() {
    std::vector<int> rows(static_cast<size_t>(rowCount()));
    for (size_t row = 0; row < rows.size(); ++row)
        rows[row] = static_cast<int>(row);
    refreshRows(rows);
}

void FileListView::sortByColumn(int columnIndex) {
    char header[kHeaderTextSize + 1] = {};
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT;
    column.pszText = header;
    column.cchTextMax = kHeaderTextSize;
    if (!send(list_, LVM_GETCOLUMNA, static_cast<WPARAM>(columnIndex),
              reinterpret_cast<LPARAM>(&column)))
        return;
    const auto clicked = columnOfHeader(header);
    if (!clicked) return;
    sortKey_ = toggledSortKey(sortKey_, *clicked);
    send(list_, LVM_SORTITEMS, static_cast<WPARAM>(sortKey_),
         reinterpret_cast<LPARAM>(compareEntries));
}

void FileListView::showColumn(ListColumn column, bool shown) {
    if (!shown) {
        const int place = findColumn(column);
        if (place >= 0) send(list_, LVM_DELETECOLUMN, static_cast<WPARAM>(place));
        return;
    }
    insertColumn(column, columnInsertPosition(*settings_, column));
    for (int row = 0, n = rowCount(); row < n; ++row)
        if (ListEntry* entry = entryAt(row)) entry->shownCells[static_cast<size_t>(column)].clear();
}

void FileListView::beginDrag(int anchorRow, HWND captureWindow) {
    dragAnchor_ = anchorRow;
    SetCapture(captureWindow);
    dragging_ = true;
}

void FileListView::dragTo(POINT inWindow, HWND window) {
    const std::vector<int> selected = selectedRows();
    if (selected.empty()) return;
    LVHITTESTINFO hit{};
    hit.pt = inWindow;
    MapWindowPoints(window, list_, &hit.pt, 1);
    const int row = static_cast<int>(send(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row < 0) return;
    const int delta = row - dragAnchor_;
    dragAnchor_ = row;
    for (RowExchange exchange : dragExchanges(selected, delta, rowCount())) {
        exchangeRows(exchange.row, exchange.with);
        setListRowState(list_, exchange.with, LVIS_SELECTED, LVIS_SELECTED);
        setListRowState(list_, exchange.row, 0, LVIS_SELECTED);
    }
}

// The two rows swap their entries, and each row shows its new record in
// every cell: a cell the record has nothing for is emptied, not left with
// the other record's text.
void FileListView::exchangeRows(int row, int with) {
    ListEntry* const entries[2] = {entryAt(with), entryAt(row)};
    const int rows[2] = {row, with};
    if (!entries[0] || !entries[1]) return;
    const ColumnPlaces places = findColumns();
    std::swap(entries[0]->shownCells, entries[1]->shownCells); // the rows' cells stay put
    for (int i = 0; i < 2; ++i) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = rows[i];
        item.lParam = reinterpret_cast<LPARAM>(entries[i]);
        send(list_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        setListCellText(list_, rows[i], 0, std::string(fieldText(entries[i]->record.name)));
        writeCells(rows[i], *entries[i], entries[i]->record, places, true);
    }
}

void FileListView::endDrag() {
    dragging_ = false; // first: releasing the capture reports a capture change
    ReleaseCapture();
    refreshAll();
}

} // namespace corv
