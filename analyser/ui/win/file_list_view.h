#pragma once
// The main window's file list (control 2108). Every row owns one entry (its
// record), released whenever the row goes, however it goes. Columns are
// always found by their header text, never by a remembered position.
#include "analyser/analysis/audio_file_record.h"
#include "analyser/engine/conversion_settings.h"
#include "analyser/ui/list_additions.h"
#include "analyser/ui/list_columns.h"

#include <windows.h>

#include <commctrl.h> // needs windows.h first

#include <array>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace corv {

// A row's item data.
struct ListEntry {
    AudioFileRecord record;
    unsigned analysedInPass = 0; // the last analysis pass that reached it
    // What the row's cells show, by column: a refresh writes only the cells
    // whose text changes, so refreshing a long list stays cheap.
    std::array<std::string, kListColumnCount> shownCells;
};

// Rows added or removed while one of these lives are painted once, when it
// ends: the list would otherwise repaint and rescale its scroll bars after
// every one, which costs far more than the change itself.
class PaintingHold {
  public:
    explicit PaintingHold(HWND list);
    ~PaintingHold();
    PaintingHold(const PaintingHold&) = delete;
    PaintingHold& operator=(const PaintingHold&) = delete;

  private:
    HWND list_;
};

class FileListView {
  public:
    // List styles and the columns the settings show.
    void attach(HWND list, const ConversionSettings* settings);
    HWND handle() const { return list_; }

    int rowCount() const;
    ListEntry* entryAt(int row) const;
    std::vector<AudioFileRecord*> recordsInOrder() const;
    std::vector<int> selectedRows() const;

    // The add step for one path: a row at the end, or nothing (see AddVerdict).
    AddVerdict add(const std::string& path);
    void deleteSelected();
    void clear();
    void selectAll();
    // Called for the list's LVN_DELETEITEM.
    void onRowDeleted(const NMLISTVIEW& deleted);

    // Where each column is now (-1: not shown), found by header text.
    using ColumnPlaces = std::array<int, kListColumnCount>;
    ColumnPlaces findColumns() const;
    // The cells of one row from its record.
    void refreshRow(int row, const ColumnPlaces& places);
    // The cells of rows from their records, or from copies of them whose
    // result and peak are newer than the records' own (a running conversion's).
    void refreshRows(const std::vector<int>& rows);
    void refreshRows(const std::vector<std::pair<int, const AudioFileRecord*>>& shown);
    void refreshAll();

    void sortByColumn(int columnIndex);
    // Shows or hides the column as its switch now says.
    void showColumn(ListColumn column, bool shown);

    void beginDrag(int anchorRow, HWND captureWindow);
    void dragTo(POINT inWindow, HWND window);
    void endDrag();
    bool dragging() const { return dragging_; }

  private:
    int findColumn(ListColumn column) const;
    void insertColumn(ListColumn column, int position);
    // everyCell: a cell the record has nothing for is emptied, not kept.
    void writeCells(int row, ListEntry& entry, const AudioFileRecord& record,
                    const ColumnPlaces& places, bool everyCell = false);
    void exchangeRows(int row, int with);

    HWND list_ = nullptr;
    const ConversionSettings* settings_ = nullptr;
    std::unordered_set<std::string> listedPaths_;
    int sortKey_ = 0;
    bool dragging_ = false;
    int dragAnchor_ = 0;
};

} // namespace corv
