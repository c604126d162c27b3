// The wait for the unpacker is bounded: a program that runs too long, or a
// download cancelled meanwhile, ends it; its exit code is passed on.
#include "program_process.h"

#include "batcher/config/win/download_install.h"

#include <gtest/gtest.h>

namespace {

TEST(UnpackerWait, IsBoundedAndNothingItStartedKeepsRunning) {
    const std::string hanging =
        "\"" + e2e::ownDirectory() + "titled_window.exe\" \"Slow unpacker\"";
    HANDLE cancel = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(corv::RunProcessBounded(hanging, 300, cancel).end, corv::ProcessEnd::TimedOut);
    SetEvent(cancel);
    EXPECT_EQ(corv::RunProcessBounded(hanging, INFINITE, cancel).end, corv::ProcessEnd::Cancelled);
    CloseHandle(cancel);
    EXPECT_EQ(e2e::countProcesses("titled_window.exe"), 0);

    corv::ProcessOutcome usage = corv::RunProcessBounded(
        "\"" + e2e::ownDirectory() + "unzipper\\unzip.exe\"", 30000, nullptr);
    EXPECT_EQ(usage.end, corv::ProcessEnd::Exited);
    EXPECT_EQ(usage.exitCode, 2u);
    EXPECT_EQ(
        corv::RunProcessBounded("\"" + e2e::ownDirectory() + "missing.exe\"", 30000, nullptr).end,
        corv::ProcessEnd::NotStarted);
}

} // namespace
