// Copy-data messages: the message-log lines and what the window must do.
#include "batcher/core/copy_data.h"
#include "batcher/core/job_check.h"
#include "batcher_test_support.h"
#include "platform/path.h"
#include "protocol/messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

namespace corv {
namespace {

using test::makeJob;
using test::RecordingNotifier;

const std::string kSender = "Corvandale.exe";
constexpr uint64_t id(MessageId message) {
    return static_cast<uint64_t>(message);
}
constexpr uint64_t kAddJob = id(MessageId::AddJobRecord),
                   kGiveCommandline = id(MessageId::GiveCommandline);

class CopyData : public ::testing::Test {
  protected:
    // Each message into a fresh log.
    CopyDataOutcome send(uint64_t id, const void* payload = nullptr, size_t size = 0,
                         bool busy = false) {
        log.emplace(LogKind::Message);
        return handleCopyData({kSender, id, payload, size}, busy, settings, *log, notifier);
    }
    CopyDataOutcome sendJob(uint64_t id, const JobRecord& job) {
        return send(id, &job, sizeof job);
    }
    std::string received(const char* id) {
        return "* Message received from " + kSender + ". Msg ID: " + id + ".\r\n";
    }
    static std::unique_ptr<JobRecord> lameJob() {
        auto job = makeJob(JobType::Lame);
        setFieldText(job->jobName, "song.wav");
        job->settings.lame = {.mpegVersion = 1, .preset = 1, .algorithmQuality = 2};
        setFieldText(job->settings.lame.inputPath, "C:\\out\\song.wav");
        return job;
    }
    static std::unique_ptr<JobRecord> sonicJob() {
        auto job = makeJob(JobType::SonicFoundry);
        SonicFoundrySettings& s = job->settings.sonicFoundry;
        s.codingMode = 7, s.useLfe = 1, s.timeStamp = 0, s.dcFilter = 1, s.phase90 = 1;
        setFieldText(job->outputDirectory, "C:\\out\\");
        return job;
    }
    BatcherSettings settings = test::settingsWithPrograms();
    std::optional<BatcherLog> log;
    RecordingNotifier notifier;
};

TEST_F(CopyData, SimpleMessagesLogTheirLineAndActAndJobMessagesNeed6800Bytes) {
    using enum CopyDataAction;
    struct {
        uint64_t id;
        bool busy;
        const char* idText;
        const char* description; // nullptr: unknown
        CopyDataAction action;
    } cases[] = {
        {id(MessageId::OpenConnection), false, "0100", "Open connection", ReplyConnection},
        {id(MessageId::NotifyUser), false, "0104", "Notify user", BringToFront},
        {id(MessageId::StartJobs), false, "0110", "Start jobs", PostRun},
        {id(MessageId::StartJobs), true, "0110", "Start jobs", None},
        {id(MessageId::ConnectionReply), false, "0102", nullptr, None},
        {12345, false, "12345", nullptr, None},
        {(1ull << 40), false, "1099511627776", nullptr, None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(send(c.id, nullptr, 0, c.busy).action, c.action) << c.id;
        EXPECT_EQ(log->shownText(),
                  received(c.idText) + (c.description ? "\tMsg description: " +
                                                            std::string(c.description) + " \r\n\r\n"
                                                      : "\tUnknown message \r\n\r\n"));
    }
    EXPECT_TRUE(notifier.messages.empty());

    // Job messages need exactly 6800 bytes of payload.
    std::vector<uint8_t> bytes(6801, 0);
    for (uint64_t message : {kAddJob, kGiveCommandline}) {
        for (size_t size : {size_t{0}, size_t{6799}, size_t{6801}}) {
            EXPECT_EQ(send(message, bytes.data(), size).action, CopyDataAction::None);
            EXPECT_EQ(send(message, bytes.data(), size).jobRefused, message == kAddJob); // 0
            EXPECT_EQ(log->shownText(), received(message == kAddJob ? "0130" : "0131") +
                                            "\tInvallid message, message ignored! \r\n\r\n");
        }
        EXPECT_EQ(send(message, nullptr, 6800).action, CopyDataAction::None);
    }
}

TEST_F(CopyData, AddJobCopiesDescribesAndLogsTheJobAndFlipsSonicsFlagsIfSet) {
    auto job = lameJob();
    CopyDataOutcome outcome = sendJob(kAddJob, *job);
    ASSERT_EQ(outcome.action, CopyDataAction::AppendRow);
    ASSERT_TRUE(outcome.job);
    EXPECT_EQ(std::memcmp(outcome.job.get(), job.get(), sizeof *job), 0);
    EXPECT_FALSE(outcome.jobRefused);
    EXPECT_EQ(outcome.programName, "LAME (mp3)");
    EXPECT_EQ(outcome.oneLineDescription, " MPEG1   preset Standard   quality:q2  ");
    EXPECT_EQ(log->shownText(), received("0130") + "\tMsg description: Add job \r\n" +
                                    "\tMPEG1\r\n\tpreset Standard\r\n\tquality:q2\r\n" + "\r\n");
    EXPECT_TRUE(notifier.messages.empty());

    // A job of a type not known here could never run: refused, after the warning.
    outcome = sendJob(kAddJob, *makeJob(1012));
    EXPECT_TRUE(outcome.action == CopyDataAction::None && outcome.jobRefused);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].first, "ohoh... new format is not configured");

    // Exactly five of Sonic's flags are flipped on arrival, only with the invert setting.
    job = sonicJob();
    for (uint8_t invert : {0, 1}) {
        settings.invertSonicSettings = invert;
        outcome = sendJob(kAddJob, *job);
        ASSERT_TRUE(outcome.job);
        auto expected = std::make_unique<JobRecord>(*job);
        SonicFoundrySettings& flipped = expected->settings.sonicFoundry;
        if (invert)
            flipped.useLfe = 0, flipped.timeStamp = 1, flipped.dcFilter = 0, flipped.deemphasis = 1,
            flipped.intelByteOrder = 1;
        EXPECT_EQ(std::memcmp(outcome.job.get(), expected.get(), sizeof *job), 0);
    }
}

TEST_F(CopyData, GiveCommandlineRepliesWithThePreviewCommandOfEachKindOfJob) {
    const std::string lameReply = "\"C:\\tools\\lame.exe\"   --preset standard -q 2 "
                                  "\"C:\\somefile.wav\" \"C:\\someoutput.mp3\"";
    settings.invertSonicSettings = 1;
    const std::pair<std::unique_ptr<JobRecord>, std::string> cases[] = {
        {lameJob(), lameReply},
        {makeJob(JobType::SurcodeCdPro), "No dos command available."},
        {makeJob(JobType::SurcodeDvd), "No dos command available."},
        {makeJob(JobType::Ac3Library), "No dos command available."},
        {makeJob(1234), "\"\" "}, // after the unknown format's warning
    };
    const std::string lameLog = received("0131") + "\tMsg description: Give commandline \r\n\t" +
                                lameReply + "\r\n\r\n\r\n";
    for (const auto& [job, reply] : cases) {
        CopyDataOutcome outcome = sendJob(kGiveCommandline, *job);
        EXPECT_EQ(outcome.action, CopyDataAction::ReplyCommandline);
        EXPECT_EQ(outcome.replyText, reply);
        if (reply == lameReply) {
            EXPECT_EQ(log->shownText().substr(0, lameLog.size()), lameLog);
        }
    }
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].first, "Internal error: unknow format");

    // Sonic: the reply shows the settings as sent, the log the inverted ones.
    const std::string reply = sendJob(kGiveCommandline, *sonicJob()).replyText;
    EXPECT_NE(reply.find(" -e C:\\LFE.wav"), std::string::npos); // sent with UseLFE 1
    const std::string shown = log->shownText();
    EXPECT_NE(shown.find("\t" + reply + "\r\n\t[Parameters]\r\n"), std::string::npos);
    EXPECT_NE(shown.find("\tUseLFE=Off\r\n"), std::string::npos);
    EXPECT_NE(shown.find("\tTimeStamp=On\r\n\r\n\r\n"), std::string::npos);
}

TEST_F(CopyData, JobsWithAnyFieldThatCouldCarryOptionsAreNotQueued) {
    const std::vector<std::string> plausible = {"C:\\out\\song.wav", "\\\\server\\share\\a b.wav",
                                                "c:\\x\\y.wav"};
    std::vector<std::string> refused = {"C:\\out\\a\" -o \"x.wav", "1:\\a.wav"};
    for (char c : std::string_view("<>|*?\t\x7f:"))
        refused.push_back(std::string("C:\\a") + c + "b.wav");
    for (bool valid : {true, false}) {
        for (const std::string& path : valid ? plausible : refused) {
            EXPECT_EQ(isPlausiblePath(path), valid) << path;
            auto job = lameJob();
            setFieldText(job->settings.lame.inputPath, path);
            EXPECT_EQ(sendJob(kAddJob, *job).action,
                      valid ? CopyDataAction::AppendRow : CopyDataAction::None)
                << path;
            if (!valid) {
                EXPECT_EQ(log->shownText(),
                          received("0130") + "\tMsg description: Add job \r\n" +
                              "\tInvalid job: the input path holds a character that cannot be in "
                              "a file name, job ignored! \r\n\r\n");
            }
        }
    }
    // Plausible, but read against another folder or as options; as the output directory too.
    const std::string partial = " is not a full path (a drive or \\\\server\\share\\ first)";
    for (const char* path :
         {"-V0", "a\\b.wav", "C:a", "\\a.wav", "\\\\server\\a", "\\\\\\s\\a", ""}) {
        auto job = lameJob(), sonic = sonicJob();
        setFieldText(job->settings.lame.inputPath, path);
        setFieldText(sonic->outputDirectory, path);
        EXPECT_EQ(findInvalidField(*job), "the input path" + partial) << path;
        EXPECT_EQ(findInvalidField(*sonic), "the output directory" + partial) << path;
    }
    // Every path field of the job type is checked.
    auto surcode = makeJob(JobType::SurcodeDvd);
    setFieldText(surcode->outputDirectory, "C:\\out\\");
    setFieldText(surcode->settings.surcode.channelFiles[4], "C:\\ls?.wav");
    EXPECT_EQ(findInvalidField(*surcode),
              "the LS channel file holds a character that cannot be in a file name");
    auto sonic = sonicJob();
    setFieldText(sonic->baseName, "song\"");
    EXPECT_EQ(findInvalidField(*sonic),
              "the base name holds a character that cannot be in a file name");
    auto twoLame = makeJob(JobType::TwoLame);
    twoLame->settings.twoLame.channelMode = '"';
    EXPECT_EQ(findInvalidField(*twoLame), "the TwoLAME channel mode is not one of s, j, d, m");
    // A field without its terminator is read only up to its end.
    auto lame = lameJob();
    std::memset(lame->jobName, 'a', sizeof lame->jobName);
    EXPECT_EQ(findInvalidField(*lame), std::nullopt);
}

TEST(SenderName, IsTheModuleFileNameAndIsLookedUpOncePerWindow) {
    const std::string path =
        std::string("C:") + kPathSeparator + "Tools" + kPathSeparator + "Corvandale.exe";
    EXPECT_EQ(senderNameFromModulePath(path), "Corvandale.exe");
    EXPECT_EQ(senderNameFromModulePath("Corvandale.exe"), "Corvandale.exe");
    SenderNameCache cache;
    int lookups = 0;
    auto lookup = [&](uintptr_t window) {
        ++lookups;
        return window == 1 ? path : std::string("other.exe");
    };
    EXPECT_EQ(cache.update(1, lookup), "Corvandale.exe");
    EXPECT_EQ(cache.update(1, lookup), "Corvandale.exe");
    EXPECT_EQ(lookups, 1);
    EXPECT_EQ(cache.update(2, lookup), "other.exe");
    EXPECT_EQ(lookups, 2);
}

} // namespace
} // namespace corv
