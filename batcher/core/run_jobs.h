#pragma once
// RunJobs: the queue run behind the progress dialog. It takes the rows that
// are listed when it starts, copies each row's record at the start of its
// job, skips jobs whose program is not usable, and hands the others to the
// runner of their encoder. Console jobs may run several at once, each in a
// slot; the window-driven encoders and the AC3 library always run alone.
// Windows, consoles and processes stay behind the interfaces below, so the
// run itself is the same code everywhere.
#include "batcher/config/batcher_settings.h"
#include "batcher/core/batcher_log.h"
#include "batcher/core/console_watch.h"
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
    // A job has ended; an open log window shows the latest lines.
    virtual void jobFinished() = 0;
    // Several at once: the slot shows its job (name and encoder; an empty
    // name once the job has ended) and its percent; the queue shows how
    // many of its jobs have ended. A job that runs alone is in slot 0, its
    // progress() that slot's.
    virtual void slotStarted(int slot, std::string_view name, std::string_view encoder) = 0;
    virtual void slotProgress(int slot, int percent) = 0;
    virtual void queueProgress(int finished, int total) = 0;
};

// The job list.
class JobQueue {
  public:
    virtual ~JobQueue() = default;
    virtual int rowCount() = 0;
    // Copies the row's job name and record; false when the row is gone.
    virtual bool copyRow(int index, std::string& name, JobRecord& job) = 0;
};

// The consoles and the runners of the encoders. With one job at a time,
// console jobs run in slot 0, in the batcher console that openConsole makes;
// with several, each slot's program gets a console of its own.
class EncoderRunners {
  public:
    virtual ~EncoderRunners() = default;
    virtual void openConsole() = 0;
    virtual void closeConsole() = 0;
    virtual void clearConsole() = 0;
    virtual void hideConsole() = 0;
    // Starts a console job in a free slot with its console's title and text
    // colour (a console attribute); false with the reason when it did not start.
    virtual bool startConsoleJob(int slot, const std::string& commandLine, std::string_view title,
                                 uint16_t colour, std::string& failure) = 0;
    virtual ScreenLook lookAtConsole(int slot) = 0;
    // Ends the slot's program with all it started and frees the slot; the
    // screen it left (kScreenDumpChars) and how it ended.
    virtual std::string endConsoleJob(int slot, bool& endedByItself,
                                      std::optional<uint32_t>& exitCode) = 0;
    virtual void removeOutput(const std::string& path) = 0;
    // Between two looks at the consoles: one poll interval, less when a
    // console job ends meanwhile.
    virtual void pause() = 0;
    virtual void runAc3Job(const JobRecord& job) = 0;
    virtual void runSurcodeJob(const JobRecord& job) = 0;
    virtual void runSonicJob(const JobRecord& job) = 0;
};

// What the runners share with the dialog while a run goes on.
struct RunShared {
    std::atomic<bool>& abort;        // Stop was pressed
    std::atomic<int>& progressTotal; // what the current job's progress value is divided by
    BatcherLog& jobLog;
    int jobsAtOnce = 1; // console jobs side by side, 1..kMostJobsAtOnce
};

inline constexpr uint16_t kConsoleGreen = 26; // bright green on blue
inline constexpr uint16_t kConsoleRed = 28;   // bright red on blue

// Runs rows 0 .. N-1 of the queue (N counted at the start) until the end or
// a Stop, which ends every running job. The caller clears the abort flag before the run starts, so
// that a Stop pressed at once is not lost; the run clears it at its end. Returns the messages the
// user gets once the progress dialog has ended: "No jobs in queue." or the one about jobs added
// meanwhile.
std::vector<std::string> RunJobs(JobQueue& queue, EncoderRunners& runners, RunObserver& observer,
                                 const BatcherSettings& settings, const UsableFlags& usable,
                                 RunShared shared);

// The message about jobs added during a run (none for 0 or fewer).
std::string jobsAddedMessage(int added);

} // namespace corv
