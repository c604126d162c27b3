#include "batcher/core/run_jobs.h"

#include "batcher/core/job_progress.h"
#include "batcher/encoders/text_format.h"
#include "protocol/job_types.h"

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

class QueueRun {
  public:
    QueueRun(EncoderRunners& runners, RunObserver& observer, const BatcherSettings& settings,
             const UsableFlags& usable, RunShared shared)
        : runners_(runners), observer_(observer), settings_(settings), usable_(usable),
          shared_(shared) {}

    void run(const JobRecord& job) {
        std::optional<JobTypeInfo> info = jobTypeInfo(job.jobType);
        if (!info) {
            observer_.warn(kUnknownJobTypeMessage, kQuillmereTitle);
            return;
        }
        const int program = job.jobType - kFirstJobType;
        if (!usable_[static_cast<size_t>(program)]) {
            AppendLog(shared_.jobLog, kPrograms[program].skipLine);
            return;
        }
        shared_.progressTotal = progressTotalOf(job);
        switch (info->runner) {
        case RunnerKind::ConsoleProgram:
            runConsole(job, kPrograms[program].consoleTitle);
            break;
        case RunnerKind::Ac3Library:
            runners_.hideConsole();
            runners_.runAc3Job(job);
            break;
        case RunnerKind::WindowProgram:
            runners_.hideConsole();
            runners_.runSurcodeJob(job);
            break;
        case RunnerKind::SonicParameterFile:
            runners_.hideConsole();
            runners_.runSonicJob(job);
            break;
        }
    }

  private:
    void runConsole(const JobRecord& job, const char* title) {
        runners_.prepareConsole(title, green_ ? kConsoleGreen : kConsoleRed);
        green_ = !green_;
        auto command = std::make_unique<CommandLineRecord>();
        std::string output;
        BuildOutcome built = BuildCommandLine(job, settings_, false, *command, observer_, &output);
        if (!built.ok) {
            AppendLog(shared_.jobLog, formatText("***** %s. Skipping current job *****\r\n\r\n\r\n",
                                                 built.error.c_str()));
            return;
        }
        runners_.runConsoleJob(*command, ProgressReading(job.jobType, *command), output);
    }

    EncoderRunners& runners_;
    RunObserver& observer_;
    const BatcherSettings& settings_;
    const UsableFlags& usable_;
    RunShared shared_;
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
    runners.openConsole();
    QueueRun queueRun(runners, observer, settings, usable, shared);
    std::string name;
    auto job = std::make_unique<JobRecord>(); // the runners read this copy, never the row
    for (int i = 0; i < rows && !shared.abort; ++i) {
        shared.progressTotal = kDefaultProgressTotal;
        if (!queue.copyRow(i, name, *job)) continue; // the row has gone
        runners.clearConsole();
        observer.jobStarted(i, rows, name);
        queueRun.run(*job);
        observer.jobFinished();
    }
    runners.closeConsole();
    if (!shared.abort) {
        std::string added = jobsAddedMessage(queue.rowCount() - rows);
        if (!added.empty()) messages.push_back(std::move(added));
    }
    shared.abort = false;
    return messages;
}

} // namespace corv
