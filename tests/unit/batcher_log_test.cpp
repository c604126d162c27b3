// The log ring against a plain model (its small rings meet every exact fit and
// wrap at the array's end), the omitted-part marker, and the log files.
#include "batcher/core/batcher_log.h"
#include "batcher/core/log_buffer.h"
#include "batcher/core/unexpected_error.h"
#include "recording_notifier.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>

namespace corv {
namespace {

// The model: everything until a character has to be dropped (the array is
// overfilled, or one text is as long as the ring), then the last capacity - 1.
struct RingModel {
    size_t capacity;
    std::string kept;
    bool wrapped = false;
    void append(const std::string& text) {
        kept += text;
        if (kept.size() > capacity || text.size() >= capacity) wrapped = true;
        if (wrapped && kept.size() > capacity - 1) kept.erase(0, kept.size() - (capacity - 1));
    }
};

TEST(LogBuffer, KeepsWhatAPlainModelKeepsOverManyRandomAppends) {
    std::mt19937 random(7);
    for (int32_t capacity : {2, 3, 10, 97, 100000}) {
        LogBuffer ring(capacity);
        RingModel model{static_cast<size_t>(capacity), {}};
        std::uniform_int_distribution<int> bigOrSmall(0, 9);
        for (int step = 0; step < 3000; ++step) {
            // Mostly short lines, now and then one longer than the ring.
            size_t maxLength = bigOrSmall(random) == 0 ? static_cast<size_t>(capacity) * 2 + 3
                                                       : static_cast<size_t>(capacity) / 3 + 2;
            std::string text(std::uniform_int_distribution<size_t>(0, maxLength)(random), ' ');
            for (char& c : text)
                c = static_cast<char>('a' + random() % 26);
            ring.append(text);
            model.append(text);
            ASSERT_EQ(ring.keptText(), model.kept) << "capacity " << capacity << " step " << step;
            ASSERT_EQ(ring.hasWrapped(), model.wrapped);
        }
    }
}

TEST(BatcherLog, ShowsTheOmittedMarkerOverTheCutLineOfTheJobLogOnly) {
    BatcherLog jobLog(LogKind::Job, 100), messageLog(LogKind::Message, 100);
    for (BatcherLog* log : {&jobLog, &messageLog}) {
        log->append(kLogStartLine);
        EXPECT_EQ(log->shownText(), kLogStartLine);
        for (int line = 0; line < 8; ++line)
            log->append("line number " + std::to_string(line) + "\r\n");
    }
    std::string kept = messageLog.shownText();
    ASSERT_EQ(kept.size(), 99u);
    std::string shown = jobLog.shownText();
    ASSERT_EQ(shown.size(), 99u);
    ASSERT_EQ(shown.substr(0, kOmittedLogMarker.size()), kOmittedLogMarker);
    // Everything after the marker up to the cut line's CR is blank; later lines are untouched.
    size_t cutLineEnd = kept.find('\r', kOmittedLogMarker.size());
    EXPECT_EQ(shown.substr(kOmittedLogMarker.size(), cutLineEnd - kOmittedLogMarker.size()),
              std::string(cutLineEnd - kOmittedLogMarker.size(), ' '));
    EXPECT_EQ(shown.substr(cutLineEnd), kept.substr(cutLineEnd));
}

TEST(BatcherLog, StartReplacesTheFileAndTheFileGetsEveryCharacter) {
    test::TempDir dir;
    test::writeText(dir.file(kJobLogFileName), "an older run");
    BatcherLog jobLog(LogKind::Job, 50), messageLog(LogKind::Message, 50);
    ASSERT_TRUE(jobLog.start(dir.dir()) && messageLog.start(dir.dir()));
    std::string longText(120, 'z'); // longer than the ring
    AppendLog(jobLog, longText);
    AppendLog(messageLog, "one\r\n");
    EXPECT_EQ(test::readText(dir.file(kJobLogFileName)), std::string(kLogStartLine) + longText);
    EXPECT_EQ(test::readText(dir.file(kMessageLogFileName)),
              std::string(kLogStartLine) + "one\r\n");
    EXPECT_EQ(jobLog.shownText().size(), 49u);
    jobLog.closeFile();
    AppendLog(jobLog, "after close");
    EXPECT_EQ(test::readText(dir.file(kJobLogFileName)), std::string(kLogStartLine) + longText);

    // A file that cannot be opened leaves the log in memory.
    BatcherLog unwritten(LogKind::Message);
    EXPECT_FALSE(unwritten.start(dir.file("missing-folder") + "/"));
    AppendLog(unwritten, "still here\r\n");
    EXPECT_EQ(unwritten.shownText(), std::string(kLogStartLine) + "still here\r\n");
}

TEST(BatcherLog, AnUnexpectedErrorIsLoggedShownAndEndsWithItsOwnExitCode) {
    const struct {
        std::exception_ptr error;
        std::string said;
    } cases[] = {
        {std::make_exception_ptr(std::runtime_error("disk on fire")), "disk on fire"},
        {std::make_exception_ptr(42), "unknown error"},
    };
    for (const auto& c : cases) {
        BatcherLog log(LogKind::Message);
        test::RecordingNotifier notifier;
        EXPECT_EQ(reportUnexpectedError(c.error, log, notifier), kUnexpectedErrorExitCode);
        const std::string text = "Quillmere stopped after an unexpected error: " + c.said;
        EXPECT_EQ(log.shownText(), text + "\r\n");
        ASSERT_EQ(notifier.messages.size(), 1u);
        EXPECT_EQ(notifier.messages[0], std::make_pair(text, std::string("Quillmere")));
        EXPECT_FALSE(notifier.plain[0]); // the exclamation icon
    }
}

TEST(BatcherLog, AppendsFromTwoThreadsKeepWholeLines) {
    BatcherLog log(LogKind::Message, 1000);
    const std::string a = "aaaaaaaaa\r\n", b = "bbbbbbbbb\r\n";
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i)
            AppendLog(log, a);
    });
    bool whole = true;
    for (int i = 0; i < 2000 && whole; ++i) {
        AppendLog(log, b);
        std::string shown = log.shownText(); // a read never sees half an append
        size_t firstLine = shown.find("\r\n") + 2;
        for (size_t at = firstLine; at + a.size() <= shown.size(); at += a.size())
            whole = whole &&
                    (shown.compare(at, a.size(), a) == 0 || shown.compare(at, b.size(), b) == 0);
    }
    writer.join();
    EXPECT_TRUE(whole);
}

} // namespace
} // namespace corv
