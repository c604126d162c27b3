#pragma once
// The private messages of Quillmere's windows, all in one place: those the
// windows post to themselves and those the job runner thread sends or posts
// to the user-interface thread.
#include <windows.h>

#include <string>

namespace corv {

struct JobRecord;

// Posted to the main window after a copy-data message whose handling had
// something to tell the user: the warnings are shown once the sender has
// been released. No parameters.
inline constexpr UINT kShowPendingWarnings = WM_APP + 1;

// Any process can send these numbers to our windows, so none of them carries
// a pointer: what they need is left in BatcherState or the dialog's run.

// Sent by the runner to the main window at the start of each job: copy the
// row's job name and record into BatcherState::rowCopy, so that nothing the
// runner reads belongs to the list. wParam: row index. Result TRUE when
// copied, FALSE when the row is gone or no copy is awaited.
inline constexpr UINT kCopyJobRow = WM_APP + 2;
struct JobRowCopy {
    std::string* name;
    JobRecord* job;
};

// Sent by the runner to the progress dialog: show the run's pending warning
// ("Quillmere", exclamation icon) and return when the user has answered it.
// No parameters.
inline constexpr UINT kShowRunWarning = WM_APP + 3;

// Posted by the runner to the progress dialog after each job: an open log
// window shows the latest lines. No parameters.
inline constexpr UINT kJobFinished = WM_APP + 4;

// Posted by the runner to the progress dialog as its last act: the run is
// over and the dialog ends. No parameters.
inline constexpr UINT kRunFinished = WM_APP + 5;

// Posted by the download thread to the download dialog as its last act: the
// dialog ends. No parameters.
inline constexpr UINT kDownloadFinished = WM_APP + 6;

// Posted by the download thread to the download dialog: show the download's
// pending message (owned by the main window) and set the event the thread
// waits on once the user has answered it. No parameters.
inline constexpr UINT kShowDownloadMessage = WM_APP + 7;

} // namespace corv
