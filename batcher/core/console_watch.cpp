#include "batcher/core/console_watch.h"

#include "batcher/core/console_screen.h"
#include "batcher/encoders/text_format.h"

namespace corv {
namespace {

constexpr char kFinishedLine[] = "\r\n***** Process Finished/Terminated ***** \r\n\r\n\r\n";

} // namespace

std::string ConsoleWatch::startLines(std::string_view commandLine) {
    return "***** Starting dos job: *****\r\n\tRunning: " + std::string(commandLine) + "\r\n";
}

std::string ConsoleWatch::notStartedLines(std::string_view reason) {
    return "\tThe program could not be started: " + std::string(reason) + "\r\n" + kFinishedLine;
}

bool ConsoleWatch::look(const ScreenLook& look, bool stop, const WatchOutput& out) {
    if (phase_ == Phase::Over) return true;
    if (phase_ == Phase::Marker) {
        // An encoder that has already ended still has its last figure read.
        if (stop || !reading_.shows(look.screen)) {
            if (!stop && !look.ended) return false;
            out.log("\tProgress: ");
            phase_ = Phase::Over;
            return true;
        }
        out.log("\tProgress: ");
        phase_ = Phase::Reading;
    }
    if (std::optional<int> percent = reading_.percent(look.screen, look.cursor, total_))
        show(*percent, out);
    if (look.ended) {
        // One that ended by itself with exit code 0 has done all of its work.
        if (look.exitCode == 0u) show(100, out);
        out.log("\r\n");
    } else if (!stop) {
        return false;
    }
    phase_ = Phase::Over;
    return true;
}

void ConsoleWatch::show(int percent, const WatchOutput& out) {
    if (!rising_.rises(percent)) return;
    out.progress(percent);
    out.log(formatText(" %i%% ", percent));
}

std::string ConsoleWatch::endLines(std::string_view dumpScreen, const ProgramEnd& end,
                                   bool& removeOutput) {
    std::string lines = screenDump(dumpScreen);
    if (end.endedByItself && end.exitCode) {
        // A failing encoder must not look like a finished one.
        lines += formatText("\tExit code: %lu%s\r\n", static_cast<unsigned long>(*end.exitCode),
                            *end.exitCode == 0 ? "" : " (the encoder failed)");
    }
    JobEnd result = jobEndOf(end);
    removeOutput = result.removeOutput;
    return lines + std::string(result.logLine) + kFinishedLine;
}

} // namespace corv
