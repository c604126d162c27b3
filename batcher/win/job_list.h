#pragma once
// The job list control is the queue: every row owns one JobRecord (item data),
// released whenever the row goes, however it goes.
#include "protocol/job_record.h"

#include <windows.h>
#include <commctrl.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <string_view>

namespace corv {

// Grid lines, full-row select and the three columns.
bool SetUpJobList(HWND list);

// Appends a row at the end; the row takes the record. False (record released)
// when the control refuses the row.
bool AppendJobRow(HWND list, std::unique_ptr<JobRecord> job, std::string_view programName,
                  std::string_view oneLineDescription);

// Rows arriving in a burst are painted together, at most every 100 ms: a
// repaint after every row would cost far more than the row itself. The
// owner's timer kRepaintTimer ends the hold (ResumeJobListPainting).
inline constexpr UINT_PTR kRepaintTimer = 1;
void HoldJobListPainting(HWND owner, HWND list);
void ResumeJobListPainting(HWND owner, HWND list);

// Removes every selected row.
void DeleteSelectedJobs(HWND list);

// Removes every row.
void ClearJobs(HWND list);

// The record a row owns (null when there is no such row).
const JobRecord* JobAt(HWND list, int row);

// Copies a row's job name (at most 520 characters) and record for the job
// runner; false when there is no such row.
bool CopyJobRow(HWND list, int row, std::string& name, JobRecord& job);

// Called for the list's LVN_DELETEITEM: the row's record goes with it.
void ReleaseJobOfDeletedRow(const NMLISTVIEW& deleted);

} // namespace corv
