#pragma once
// The private messages of Corvandale's windows, all in one place. The
// conversion thread talks to the user-interface thread only through these,
// addressed to the main window, which lives as long as the process: the
// conversion dialog may be gone by the time a message arrives.
#include <windows.h>

namespace corv {

// Posted by the conversion thread when it has news for the dialog or the
// list (ConversionWorker::takeNews collects them). At most one is pending at
// a time, so a fast run cannot flood the queue. No parameters.
inline constexpr UINT kConversionNews = WM_APP + 1;

// Sent by the conversion thread when the run's start has analysed every
// entry again: the list shows the new analysis before the run writes any
// result. The thread waits for it. No parameters.
inline constexpr UINT kConversionAnalysed = WM_APP + 2;

// Sent by the conversion thread for a message box; it waits for the answer.
// lParam: const WorkerMessage* (conversion_worker.h).
inline constexpr UINT kConversionMessage = WM_APP + 3;

// Posted by the conversion thread as its last act. No parameters.
inline constexpr UINT kConversionEnded = WM_APP + 4;

// Posted by the conversion thread when the run's checks have passed and its
// jobs go to Quillmere: the connection step (Quillmere found or started) is
// made, and its outcome given to ConversionWorker::batcherDecided. The
// thread waits for it before its first message to Quillmere. No parameters.
inline constexpr UINT kConversionConnect = WM_APP + 5;

} // namespace corv
