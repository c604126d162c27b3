#include "batcher/win/job_list.h"

#include <commctrl.h>

#include <string>

namespace corv {
namespace {

struct Column {
    const char* title;
    int width; // pixels
};
constexpr Column kColumns[] = {{"Job name", 130}, {"Program", 130}, {"Settings", 600}};
constexpr UINT kRepaintIntervalMs = 100;
constexpr char kPaintingHeld[] = "QuillmereJobListPaintingHeld";

bool setCellText(HWND list, int row, int column, std::string_view text) {
    std::string owned(text);
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = owned.data();
    return SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(&item)) != 0;
}

} // namespace

bool SetUpJobList(HWND list) {
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    int index = 0;
    for (const Column& c : kColumns) {
        std::string title = c.title;
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = title.data();
        column.cx = c.width;
        column.iSubItem = index;
        if (SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(&column)) != index)
            return false;
        ++index;
    }
    return true;
}

bool AppendJobRow(HWND list, std::unique_ptr<JobRecord> job, std::string_view programName,
                  std::string_view oneLineDescription) {
    std::string name(fieldText(job->jobName));
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = name.data();
    item.lParam = reinterpret_cast<LPARAM>(job.get());
    int row =
        static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return false;
    job.release(); // the row owns it now; LVN_DELETEITEM gives it back
    // The job is queued even when a text cannot be shown.
    setCellText(list, row, 1, programName);
    setCellText(list, row, 2, oneLineDescription);
    return true;
}

void HoldJobListPainting(HWND owner, HWND list) {
    if (GetPropA(list, kPaintingHeld)) return;
    if (!SetTimer(owner, kRepaintTimer, kRepaintIntervalMs, nullptr))
        return; // then it paints as usual
    SetPropA(list, kPaintingHeld, reinterpret_cast<HANDLE>(1));
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
}

void ResumeJobListPainting(HWND owner, HWND list) {
    KillTimer(owner, kRepaintTimer);
    if (!RemovePropA(list, kPaintingHeld)) return;
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void DeleteSelectedJobs(HWND list) {
    int from = -1; // the first search starts before row 0
    for (;;) {
        int row = static_cast<int>(
            SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(from), LVNI_SELECTED));
        if (row < 0) break;
        if (!SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0)) break;
        from = row - 1;
    }
}

void ClearJobs(HWND list) {
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
}

const JobRecord* JobAt(HWND list, int row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<const JobRecord*>(item.lParam);
}

bool CopyJobRow(HWND list, int row, std::string& name, JobRecord& job) {
    const JobRecord* owned = JobAt(list, row);
    if (!owned) return false;
    char text[kPathFieldSize] = {};
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    name = fieldText(text);
    job = *owned;
    return true;
}

void ReleaseJobOfDeletedRow(const NMLISTVIEW& deleted) {
    delete reinterpret_cast<JobRecord*>(deleted.lParam);
}

} // namespace corv
