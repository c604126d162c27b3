#pragma once
// Corvandale's end of the connection to Quillmere: finding a running batcher
// (its semaphore, its window, the reply to Open connection), starting
// "Quillmere.exe" from the program directory tree, previews for the encoder
// dialogs, and the messages of a conversion run. The batcher window is
// AnalyserState::batcherWindow.
#include "analyser/batcher_client/job_hand_over.h"
#include "protocol/job_record.h"
#include "protocol/messages.h"

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace corv {

inline constexpr std::string_view kNoBatcherMessage = "No running instance of Quillmere found";

// User-interface thread. start=false: connect to a running Quillmere only;
// start=true: launch it first when none runs. True when a batcher window is
// known afterwards.
bool ConnectBatcher(bool start);

// Sends Give commandline (131) for jobType in preview form, built from the
// stored encoder blocks (Analyser().settings.encoders), with requester as the
// first parameter; the reply (copy-data 131 to requester) arrives during the
// call. A batcher window that is gone is forgotten and a running batcher
// connected first. False when no batcher runs or none answers.
bool RequestCommandLine(HWND requester, int32_t jobType);

// The semaphore test: true while a batcher runs.
bool BatcherRuns();

// The conversion start: a batcher window is forgotten once no batcher runs
// or the window no longer exists.
void ForgetBatcherIfGone();

// A copy-data reply is taken only from the batcher window that was asked.
bool IsBatcherWindow(HWND window);

// The main window's copy-data 102: the sender becomes the batcher window when
// it is one (class and title "Quillmere"). False for any other sender.
bool AcceptConnectionReply(HWND sender);

// Conversion thread: an Add job, or Start jobs / Notify user (job null), to
// the batcher window, with the main window as sender. Waits a few seconds for
// an answer to a job, about a second for the others. A failed semaphore test
// forgets the batcher window for Start jobs and Notify user, not for a job.
Delivery SendToBatcher(MessageId id, const JobRecord* job);

// Before Notify user: the batcher's process may take the foreground.
void AllowBatcherToComeForward();

} // namespace corv
