#pragma once
// DownloadAndInstall, the download thread's work: fetch, check, and for an
// encoder archive unpack it with unzipper\unzip.exe and move its programs
// and libraries into bin\.
#include "batcher/config/program_list.h"
#include "batcher/config/win/download_file.h"

#include <windows.h>

#include <string>

namespace corv {

// How long unzip.exe may take before it is stopped (an archive of a few
// megabytes takes well under a second).
inline constexpr DWORD kUnpackTimeoutMs = 60000;

// Tells the user what came of it through the observer as it happens (nothing
// after a cancel). A list is kept, with its signature file beside it, only
// when its checksum holds and the policy lets it be used. An archive that
// fails its checksum is deleted and never unpacked; a failed unpack installs
// nothing.
void DownloadAndInstall(DownloadRequest& request, const std::string& programDirectory,
                        const ListPolicy& policy, int64_t ceiling, DownloadObserver& observer,
                        HANDLE cancel);

enum class ProcessEnd { Exited, NotStarted, TimedOut, Cancelled };
struct ProcessOutcome {
    ProcessEnd end;
    DWORD exitCode = 0;
};

// Runs a command line without a window and waits at most timeoutMs for it;
// a process still running after that, or when the cancel event is set, is
// terminated before this returns.
ProcessOutcome RunProcessBounded(std::string commandLine, DWORD timeoutMs, HANDLE cancel);

} // namespace corv
