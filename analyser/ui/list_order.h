#pragma once
// The order of the file list: sorting by a column with its direction toggle,
// and moving the selected rows by dragging them.
#include "analyser/analysis/audio_file_record.h"
#include "analyser/ui/list_columns.h"

#include <vector>

namespace corv {

// The sort key after a click on a column: its magnitude names the column,
// negative is ascending. The first click sorts ascending, the next one on the
// same column descending; another column starts ascending again.
int toggledSortKey(int sortKey, ListColumn clicked);

// -1, 0 or 1: whether a comes before b under the sort key (0 leaves the order
// to the list). The column's comparison is reduced to its sign before the
// direction is applied, so large sizes and small peak differences keep theirs.
int compareForSort(const AudioFileRecord& a, const AudioFileRecord& b, int sortKey);

// One exchange of two rows' records and names while dragging.
struct RowExchange {
    int row;
    int with;
};

// The exchanges, in the order to make them, that move the selected rows
// (ascending indices) by delta rows; delta is first limited so that no
// selected row leaves the list. Empty when nothing moves.
std::vector<RowExchange> dragExchanges(const std::vector<int>& selectedRows, int delta,
                                       int rowCount);

} // namespace corv
