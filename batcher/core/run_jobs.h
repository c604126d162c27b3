#pragma once
// RunJobs: the queue run behind the progress dialog. It takes the rows that
// are listed when it starts, copies each row's record at the start of its
// job, skips jobs whose program is not usable, and hands the others to the
// runner of their encoder. Windows, consoles and processes stay behind the
// interfaces below, so the run itself is the same code everywhere.
#include "batcher/config/batcher_settings.h"
#include "batcher/core/batcher_log.h"
#include "batcher/core/progress_reading.h"
#include "batcher/encoders/command_line.h"
#include "platform/notifier.h"
#include "protocol/job_record.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corv {

inline constexpr std::string_view kNoJobsMessage = "No jobs in queue.";
// Not kNewFormatMessage: Corvandale has its own text under that name, and the
// two share a namespace in the native test program.
inline constexpr std::string_view kUnknownJobTypeMessage = "Internal error: New format";

// The progress dialog's side of a run; warn() shows a message box at once.
class RunObserver : public Notifier {
  public:
    // Row index of the job, rows in the run, the row's job name; the
    // progress bar goes back to 0.
    virtual void jobStarted(int index, int total, std::string_view name) = 0;
    virtual void progress(int percent) = 0;
    // The job has ended; an open log window shows the latest lines.
    virtual void jobFinished() = 0;
};

// The job list.
class JobQueue {
  public:
    virtual ~JobQueue() = default;
    virtual int rowCount() = 0;
    // Copies the row's job name and record; false when the row is gone.
    virtual bool copyRow(int index, std::string& name, JobRecord& job) = 0;
};

// The batcher console and the runners of the encoders.
class EncoderRunners {
  public:
    virtual ~EncoderRunners() = default;
    virtual void openConsole() = 0;
    virtual void closeConsole() = 0;
    virtual void clearConsole() = 0;
    virtual void hideConsole() = 0;
    // Title and text colour (a console attribute) for the next console job.
    virtual void prepareConsole(std::string_view title, uint16_t colour) = 0;
    // outputPath is the file the encoder is to write (removed after a Stop);
    // reading says how its screen shows progress.
    virtual void runConsoleJob(const CommandLineRecord& command, const ProgressReading& reading,
                               const std::string& outputPath) = 0;
    virtual void runAc3Job(const JobRecord& job) = 0;
    virtual void runSurcodeJob(const JobRecord& job) = 0;
    virtual void runSonicJob(const JobRecord& job) = 0;
};

// What the runners share with the dialog while a run goes on.
struct RunShared {
    std::atomic<bool>& abort;        // Stop was pressed
    std::atomic<int>& progressTotal; // what the current job's progress value is divided by
    BatcherLog& jobLog;
};

inline constexpr uint16_t kConsoleGreen = 26; // bright green on blue
inline constexpr uint16_t kConsoleRed = 28;   // bright red on blue

// Runs rows 0 .. N-1 of the queue (N counted at the start) until the end or
// a Stop. The caller clears the abort flag before the run starts, so that a
// Stop pressed at once is not lost; the run clears it at its end. Returns the
// messages the user gets once the progress dialog has ended: "No jobs in
// queue." or the one about jobs added meanwhile.
std::vector<std::string> RunJobs(JobQueue& queue, EncoderRunners& runners, RunObserver& observer,
                                 const BatcherSettings& settings, const UsableFlags& usable,
                                 RunShared shared);

// The message about jobs added during a run (none for 0 or fewer).
std::string jobsAddedMessage(int added);

} // namespace corv
