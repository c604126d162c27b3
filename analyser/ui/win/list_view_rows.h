#pragma once
// Rows of a report-view list control, as the program's lists use them.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace corv {

void setListCellText(HWND list, int row, int column, const std::string& text);
// Row -1: every row.
void setListRowState(HWND list, int row, UINT state, UINT mask);
std::vector<int> selectedListRows(HWND list);
// Every selected row, then the focus mark, so that no row looks chosen.
void deleteSelectedListRows(HWND list);

} // namespace corv
