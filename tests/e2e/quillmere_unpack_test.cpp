// The wait for the unpacker is bounded: a program that runs too long, or one
// whose download is cancelled meanwhile, is ended; an exit code is passed on.
#include "program_process.h"

#include "batcher/config/win/download_install.h"

#include <gtest/gtest.h>

namespace {

TEST(UnpackerWait, IsBoundedAndNothingItStartedKeepsRunning) {
    const std::string hanging = "\"" + e2e::ownDirectory() + "titled_window.exe\" \"Slow\"";
    HANDLE cancel = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(corv::RunProcessBounded(hanging, 300, cancel).end, corv::ProcessEnd::TimedOut);
    SetEvent(cancel);
    EXPECT_EQ(corv::RunProcessBounded(hanging, INFINITE, cancel).end, corv::ProcessEnd::Cancelled);
    CloseHandle(cancel);
    EXPECT_EQ(e2e::countProcesses("titled_window.exe"), 0);
    const std::string unzip = "\"" + e2e::ownDirectory() + "unzipper\\unzip.exe\""; // usage: 2
    EXPECT_EQ(corv::RunProcessBounded(unzip, 30000, nullptr).exitCode, 2u);
}

} // namespace
