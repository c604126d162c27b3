#include "batcher/core/copy_data.h"

#include "batcher/core/job_check.h"
#include "batcher/encoders/command_line.h"
#include "batcher/encoders/job_description.h"
#include "batcher/encoders/sonic_text.h"
#include "batcher/encoders/text_format.h"
#include "platform/path.h"
#include "protocol/job_types.h"
#include "protocol/messages.h"

#include <climits>
#include <cstring>
#include <string>

namespace corv {
namespace {

constexpr char kInvalidMessageLine[] = "\tInvallid message, message ignored! \r\n\r\n";
constexpr char kNoDosCommand[] = "No dos command available.";

bool isJobPayload(const CopyDataMessage& message) {
    return message.payload != nullptr && message.size == kJobRecordSize;
}

std::unique_ptr<JobRecord> copyJob(const CopyDataMessage& message) {
    auto job = std::make_unique<JobRecord>();
    std::memcpy(job.get(), message.payload, sizeof(JobRecord));
    return job;
}

bool isSonicJob(const JobRecord& job) {
    return job.jobType == static_cast<int32_t>(JobType::SonicFoundry);
}

void logReceived(BatcherLog& log, const CopyDataMessage& message) {
    std::string line = formatText(
        "* Message received from %.*s. Msg ID: ", static_cast<int>(message.senderName.size()),
        message.senderName.data());
    if (message.id <= static_cast<uint64_t>(INT_MAX))
        appendPrintf(line, "%04i", static_cast<int>(message.id));
    else
        appendPrintf(line, "%04llu", static_cast<unsigned long long>(message.id));
    line += ".\r\n";
    AppendLog(log, line);
}

CopyDataOutcome addJob(const CopyDataMessage& message, const BatcherSettings& settings,
                       BatcherLog& log, Notifier& notifier) {
    CopyDataOutcome outcome;
    AppendLog(log, "\tMsg description: Add job \r\n");
    std::unique_ptr<JobRecord> job = copyJob(message);
    outcome.jobRefused = true; // until it is queued
    if (std::optional<std::string> reason = findInvalidField(*job)) {
        AppendLog(log, formatText("\tInvalid job: %s, job ignored! \r\n\r\n", reason->c_str()));
        return outcome;
    }
    if (isSonicJob(*job) && settings.invertSonicSettings)
        invertSonicSettings(job->settings.sonicFoundry);
    JobDescription description = DescribeJob(*job, notifier);
    if (!description.known) { // it could never run here
        AppendLog(log, "\tInvalid job: the job type is not known, job ignored! \r\n\r\n");
        return outcome;
    }
    AppendLog(log, description.text);
    AppendLog(log, "\r\n");
    outcome.action = CopyDataAction::AppendRow;
    outcome.job = std::move(job);
    outcome.jobRefused = false;
    outcome.programName = std::move(description.programName);
    outcome.oneLineDescription = std::move(description.oneLine);
    return outcome;
}

// The reply text; a failure other than an unknown job type is logged and
// answered with nothing.
BuildOutcome commandlineReply(const JobRecord& job, const BatcherSettings& settings,
                              Notifier& notifier, std::string& reply) {
    switch (job.jobType) {
    case static_cast<int32_t>(JobType::SurcodeCdPro):
    case static_cast<int32_t>(JobType::SurcodeDvd):
    case static_cast<int32_t>(JobType::Ac3Library):
        reply = kNoDosCommand;
        return BuildOutcome::success();
    case static_cast<int32_t>(JobType::SonicFoundry):
        return BuildSonicCommandLine(job, settings, "", true, reply);
    default:
        break;
    }
    // The preview is built from the job type and the settings alone.
    auto preview = std::make_unique<JobRecord>();
    preview->jobType = job.jobType;
    preview->settings = job.settings;
    auto record = std::make_unique<CommandLineRecord>();
    BuildOutcome built = BuildCommandLine(*preview, settings, true, *record, notifier);
    // An unknown type has had its message box and is answered with the empty command.
    if (!built.ok && jobTypeInfo(job.jobType)) return built;
    reply = commandLineText(*record);
    if (reply.size() >= kMaxCommandlineReply)
        return BuildOutcome::failure("The command line does not fit in " +
                                     std::to_string(kMaxCommandlineReply) + " bytes");
    return BuildOutcome::success();
}

CopyDataOutcome giveCommandline(const CopyDataMessage& message, const BatcherSettings& settings,
                                BatcherLog& log, Notifier& notifier) {
    CopyDataOutcome outcome;
    AppendLog(log, "\tMsg description: Give commandline \r\n");
    std::unique_ptr<JobRecord> job = copyJob(message);
    std::string reply;
    BuildOutcome built = commandlineReply(*job, settings, notifier, reply);
    if (!built.ok) {
        AppendLog(log, formatText("\tNo reply sent: %s \r\n\r\n", built.error.c_str()));
        return outcome;
    }
    AppendLog(log, "\t" + reply + "\r\n");
    if (isSonicJob(*job)) {
        // The preview shows the settings as sent; the logged parameters as they would be queued.
        if (settings.invertSonicSettings) invertSonicSettings(job->settings.sonicFoundry);
        AppendLog(log, BuildSonicIni(job->settings.sonicFoundry, true));
    }
    AppendLog(log, "\r\n\r\n");
    outcome.action = CopyDataAction::ReplyCommandline;
    outcome.replyText = std::move(reply);
    return outcome;
}

} // namespace

CopyDataOutcome handleCopyData(const CopyDataMessage& message, bool busy,
                               const BatcherSettings& settings, BatcherLog& messageLog,
                               Notifier& notifier) {
    logReceived(messageLog, message);
    CopyDataOutcome outcome;
    switch (message.id) {
    case static_cast<uint64_t>(MessageId::OpenConnection):
        AppendLog(messageLog, "\tMsg description: Open connection \r\n\r\n");
        outcome.action = CopyDataAction::ReplyConnection;
        return outcome;
    case static_cast<uint64_t>(MessageId::NotifyUser):
        AppendLog(messageLog, "\tMsg description: Notify user \r\n\r\n");
        outcome.action = CopyDataAction::BringToFront;
        return outcome;
    case static_cast<uint64_t>(MessageId::StartJobs):
        AppendLog(messageLog, "\tMsg description: Start jobs \r\n\r\n");
        if (!busy) outcome.action = CopyDataAction::PostRun;
        return outcome;
    case static_cast<uint64_t>(MessageId::AddJobRecord):
    case static_cast<uint64_t>(MessageId::GiveCommandline):
        if (!isJobPayload(message)) {
            AppendLog(messageLog, kInvalidMessageLine);
            outcome.jobRefused = message.id == static_cast<uint64_t>(MessageId::AddJobRecord);
            return outcome;
        }
        if (message.id == static_cast<uint64_t>(MessageId::AddJobRecord))
            return addJob(message, settings, messageLog, notifier);
        return giveCommandline(message, settings, messageLog, notifier);
    default:
        AppendLog(messageLog, "\tUnknown message \r\n\r\n");
        return outcome;
    }
}

void invertSonicSettings(SonicFoundrySettings& s) {
    for (uint8_t* flag : {&s.useLfe, &s.deemphasis, &s.dcFilter, &s.intelByteOrder, &s.timeStamp})
        *flag = *flag ? 0 : 1;
}

std::string senderNameFromModulePath(std::string_view modulePath) {
    return std::string(afterLastSeparator(modulePath));
}

const std::string& SenderNameCache::update(uintptr_t window, const ModulePathLookup& lookup) {
    if (!known_ || window != window_) {
        name_ = senderNameFromModulePath(lookup(window));
        window_ = window;
        known_ = true;
    }
    return name_;
}

} // namespace corv
