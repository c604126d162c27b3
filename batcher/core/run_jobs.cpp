#include "batcher/core/run_jobs.h"

#include "batcher/core/job_progress.h"
#include "batcher/core/log_blocks.h"
#include "batcher/encoders/text_format.h"
#include "protocol/job_types.h"

#include <algorithm>
#include <memory>

namespace corv {
namespace {

struct ProgramRun {
    const char* skipLine;
    const char* consoleTitle; // console jobs only
};

// By program index (job type - 1000).
constexpr ProgramRun kPrograms[kProgramCount] = {
    {"***** Surcode CD Pro disabled or not configured. Skipping current job *****\r\n\r\n\r\n",
     nullptr},
    {"***** Surcode Dvd Pro disabled or not configured. Skipping current job *****\r\n\r\n\r\n",
     nullptr},
    {"***** TwoLame disabled or not configured. Skipping current job *****\r\n\r\n\r\n",
     "Quillmere running TwoLAME"},
    {"***** Ape (monkey's audio) disabled or not configured. Skipping current job "
     "*****\r\n\r\n\r\n",
     "Quillmere running Monkeys audio"},
    {"***** Flac disabled or not configured. Skipping current job *****\r\n\r\n\r\n",
     "Quillmere running FLAC"},
    {"***** WavPack disabled or not configured. Skipping current job *****\r\n\r\n\r\n",
     "Quillmere running WavPack"},
    {"***** Nero-Fends disabled or not configured. Skipping current job *****\r\n\r\n\r\n",
     "Quillmere running Nero frontend"},
    {"***** MPC (musepack) disabled or not configured. Skipping current job *****\r\n\r\n\r\n",
     "Quillmere running Mpc"},
    {"***** Lame disabled or not configured. Skipping current job *****\r\n\r\n\r\n",
     "Quillmere running Lame"},
    {"***** Ogg disabled or not configured. Skipping current job *****\r\n\r\n\r\n",
     "Quillmere running Ogg"},
    {"***** Sonic foundry softencode disabled or not configured. Skipping current job "
     "*****\r\n\r\n\r\n",
     nullptr},
    {"***** Ac3 encoder dll disabled or not configured. Skipping current job *****\r\n\r\n\r\n",
     nullptr},
};

// A console job in its slot.
struct RunningJob {
    int row = -1; // none: the slot is free
    std::unique_ptr<ConsoleWatch> watch;
    std::string output;
};

class QueueRun {
  public:
    QueueRun(EncoderRunners& runners, RunObserver& observer, const BatcherSettings& settings,
             const UsableFlags& usable, RunShared shared, int rows)
        : runners_(runners), observer_(observer), settings_(settings), usable_(usable),
          shared_(shared), blocks_(shared.jobLog), rows_(rows),
          slots_(static_cast<size_t>(std::clamp(shared.jobsAtOnce, 1, kMostJobsAtOnce))) {}

    bool alone() const { return slots_.size() == 1; }

    void run(int row, const JobRecord& job, std::string_view name) {
        std::optional<JobTypeInfo> info = jobTypeInfo(job.jobType);
        if (!info) {
            observer_.warn(kUnknownJobTypeMessage, kQuillmereTitle);
            return ended(row);
        }
        const int program = job.jobType - kFirstJobType;
        if (!usable_[static_cast<size_t>(program)]) {
            blocks_.write(row, kPrograms[program].skipLine);
            return ended(row);
        }
        if (info->runner == RunnerKind::ConsoleProgram)
            return runConsole(row, job, name, kPrograms[program].consoleTitle, info->programName);
        // One window, one library state, one registry key: nothing runs beside it.
        waitUntil([&] { return running() == 0; });
        if (stopped()) return ended(row);
        shared_.progressTotal = progressTotalOf(job);
        runners_.hideConsole();
        if (!alone()) observer_.slotStarted(0, name, info->programName);
        switch (info->runner) {
        case RunnerKind::Ac3Library:
            runners_.runAc3Job(job);
            break;
        case RunnerKind::WindowProgram:
            runners_.runSurcodeJob(job);
            break;
        default:
            runners_.runSonicJob(job);
            break;
        }
        if (!alone()) observer_.slotStarted(0, "", "");
        ended(row);
    }

    void passOver(int row) { ended(row); }

    // Waits for the console jobs still running; a Stop ends them.
    void finish() {
        waitUntil([&] { return running() == 0; });
    }

  private:
    void runConsole(int row, const JobRecord& job, std::string_view name, const char* title,
                    std::string_view encoder) {
        const uint16_t colour = green_ ? kConsoleGreen : kConsoleRed;
        green_ = !green_;
        auto command = std::make_unique<CommandLineRecord>();
        std::string output;
        BuildOutcome built = BuildCommandLine(job, settings_, false, *command, observer_, &output);
        if (!built.ok) {
            blocks_.write(row, formatText("***** %s. Skipping current job *****\r\n\r\n\r\n",
                                          built.error.c_str()));
            return ended(row);
        }
        waitUntil([&] { return running() < slots_.size(); });
        if (stopped()) return ended(row);
        const int slot = static_cast<int>(
            std::find_if(slots_.begin(), slots_.end(), [](auto& s) { return s.row < 0; }) -
            slots_.begin());
        const std::string line = commandLineText(*command);
        blocks_.write(row, ConsoleWatch::startLines(line));
        std::string failure;
        if (!runners_.startConsoleJob(slot, line, title, colour, failure)) {
            blocks_.write(row, ConsoleWatch::notStartedLines(failure));
            return ended(row);
        }
        RunningJob& running = slots_[static_cast<size_t>(slot)];
        running.row = row;
        running.output = output;
        running.watch = std::make_unique<ConsoleWatch>(ProgressReading(job.jobType, *command),
                                                       progressTotalOf(job));
        if (!alone()) observer_.slotStarted(slot, name, encoder);
        if (alone()) finish(); // the next job clears the console
    }

    // A Stop pressed while a job waited for its turn. One at a time, the
    // job starts and its runner sees the Stop, as it always has.
    bool stopped() const { return shared_.abort && !alone(); }

    size_t running() const {
        return static_cast<size_t>(
            std::count_if(slots_.begin(), slots_.end(), [](auto& s) { return s.row >= 0; }));
    }

    // Looks at every running console job until done() holds.
    template <class Done> void waitUntil(Done done) {
        while (!done()) {
            for (size_t slot = 0; slot < slots_.size(); ++slot)
                if (slots_[slot].row >= 0) look(static_cast<int>(slot));
            if (!done()) runners_.pause();
        }
    }

    void look(int slot) {
        RunningJob& job = slots_[static_cast<size_t>(slot)];
        const int row = job.row;
        const WatchOutput out{[&](std::string_view text) { blocks_.write(row, text); },
                              [&](int percent) {
                                  if (alone())
                                      observer_.progress(percent);
                                  else
                                      observer_.slotProgress(slot, percent);
                              }};
        const bool stop = shared_.abort;
        if (!job.watch->look(runners_.lookAtConsole(slot), stop, out)) return;
        ProgramEnd end{stop, false, std::nullopt};
        std::string screen = runners_.endConsoleJob(slot, end.endedByItself, end.exitCode);
        bool removeOutput = false;
        blocks_.write(row, job.watch->endLines(screen, end, removeOutput));
        // A stopped encoder's output is cut short; it must not look finished.
        if (removeOutput && !job.output.empty()) runners_.removeOutput(job.output);
        job = RunningJob{};
        if (!alone()) observer_.slotStarted(slot, "", "");
        ended(row);
    }

    void ended(int row) {
        blocks_.end(row);
        if (alone()) return;
        observer_.queueProgress(++finished_, rows_);
        observer_.jobFinished();
    }

    EncoderRunners& runners_;
    RunObserver& observer_;
    const BatcherSettings& settings_;
    const UsableFlags& usable_;
    RunShared shared_;
    LogBlocks blocks_;
    const int rows_;
    std::vector<RunningJob> slots_;
    int finished_ = 0;
    bool green_ = true;
};

} // namespace

std::string jobsAddedMessage(int added) {
    if (added == 1)
        return "While Quillmere was busy running a new job has been added. This job is SKIPPED.";
    if (added > 1)
        return formatText("While Quillmere was busy running the jobs in the list %i new jobs have "
                          "been added. These jobs have been SKIPPED",
                          added);
    return std::string();
}

std::vector<std::string> RunJobs(JobQueue& queue, EncoderRunners& runners, RunObserver& observer,
                                 const BatcherSettings& settings, const UsableFlags& usable,
                                 RunShared shared) {
    std::vector<std::string> messages;
    const int rows = queue.rowCount();
    if (rows <= 0) {
        shared.abort = false;
        messages.emplace_back(kNoJobsMessage);
        return messages;
    }
    QueueRun queueRun(runners, observer, settings, usable, shared, rows);
    if (queueRun.alone())
        runners.openConsole();
    else
        observer.queueProgress(0, rows);
    std::string name;
    auto job = std::make_unique<JobRecord>(); // the runners read this copy, never the row
    for (int i = 0; i < rows && !shared.abort; ++i) {
        shared.progressTotal = kDefaultProgressTotal;
        if (!queue.copyRow(i, name, *job)) { // the row has gone
            queueRun.passOver(i);
            continue;
        }
        if (queueRun.alone()) {
            runners.clearConsole();
            observer.jobStarted(i, rows, name);
        }
        queueRun.run(i, *job, name);
        if (queueRun.alone()) observer.jobFinished();
    }
    queueRun.finish();
    if (queueRun.alone()) runners.closeConsole();
    if (!shared.abort) {
        std::string added = jobsAddedMessage(queue.rowCount() - rows);
        if (!added.empty()) messages.push_back(std::move(added));
    }
    shared.abort = false;
    return messages;
}

} // namespace corv
