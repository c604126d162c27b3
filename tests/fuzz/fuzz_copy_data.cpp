// The batcher's copy-data handling on arbitrary messages, then the command
// line, Sonic and description builders on every job that gets queued.
// Input: byte 0 picks the message id, byte 1 the busy and invert switches and
// whether the payload is cut or padded to a whole job record; the rest is the payload.
#include "batcher/core/copy_data.h"
#include "batcher/encoders/command_line.h"
#include "batcher/encoders/job_description.h"
#include "batcher/encoders/sonic_text.h"
#include "protocol/messages.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class QuietNotifier : public corv::Notifier {
  public:
    void warn(std::string_view, std::string_view) override {}
};

void check(bool condition) {
    if (!condition) std::abort();
}

template <size_t N> void checkTerminated(const char (&field)[N]) {
    check(std::memchr(field, 0, N) != nullptr);
}

void buildEverything(const corv::JobRecord& job, const corv::BatcherSettings& settings,
                     corv::Notifier& notifier) {
    auto record = std::make_unique<corv::CommandLineRecord>();
    for (bool preview : {true, false}) {
        corv::BuildOutcome built =
            corv::BuildCommandLine(job, settings, preview, *record, notifier);
        check(built.ok || !built.error.empty());
        checkTerminated(record->inputDirectory);
        checkTerminated(record->programPath);
        checkTerminated(record->arguments);
        checkTerminated(record->progressMarker);
        check(corv::commandLineText(*record).size() < corv::kMaxCommandlineReply);
        std::string command;
        built = corv::BuildSonicCommandLine(job, settings, "P.ini", preview, command);
        check(command.size() < corv::kMaxCommandlineReply);
    }
    (void)corv::BuildSonicIni(job.settings.sonicFoundry, false);
    corv::JobDescription description = corv::DescribeJob(job, notifier);
    check(description.oneLine.find_first_of("\t\r\n") == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static const uint64_t kIds[] = {100, 104, 110, 130, 131, 130, 131, 0};
    uint64_t id = kIds[data[0] % 8];
    if (id == 0) id = data[0];
    bool busy = data[1] & 1;
    bool wholeRecord = data[1] & 4;
    std::vector<uint8_t> payload(data + 2, data + size);
    if (wholeRecord) payload.resize(corv::kJobRecordSize, 0);
    // A buffer of exactly the payload's size, so that any read beyond it is caught.
    std::unique_ptr<uint8_t[]> exact(payload.empty() ? nullptr : new uint8_t[payload.size()]);
    if (exact) std::memcpy(exact.get(), payload.data(), payload.size());

    corv::BatcherSettings settings = corv::defaultBatcherSettings();
    settings.invertSonicSettings = (data[1] & 2) ? 1 : 0;
    corv::BatcherLog log(corv::LogKind::Message, 4096);
    QuietNotifier notifier;
    corv::CopyDataOutcome outcome = corv::handleCopyData(
        {"fuzz.exe", id, exact.get(), payload.size()}, busy, settings, log, notifier);

    bool jobMessage = id == 130 || id == 131;
    if (jobMessage && (!exact || payload.size() != corv::kJobRecordSize))
        check(outcome.action == corv::CopyDataAction::None);
    check(outcome.replyText.size() < corv::kMaxCommandlineReply);
    if (outcome.action == corv::CopyDataAction::AppendRow) {
        check(outcome.job != nullptr);
        buildEverything(*outcome.job, settings, notifier);
    }
    check(!log.shownText().empty());
    return 0;
}
