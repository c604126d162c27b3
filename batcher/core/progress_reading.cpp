#include "batcher/core/progress_reading.h"

#include "batcher/core/console_screen.h"
#include "batcher/core/job_progress.h"
#include "platform/text_number.h"
#include "protocol/job_types.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace corv {
namespace {

constexpr auto npos = std::string_view::npos;

// A progress figure and what it is a share of.
struct ScreenFigure {
    int64_t value;
    int64_t total;
};

// What one encoder's own rule makes of a screen.
struct ScreenReading {
    bool known = false;                 // the screen shows the texts this rule reads
    std::optional<ScreenFigure> figure; // a whole figure among them
};
// A frame count or a time in tenths never needs more; endless digits stay finite.
constexpr int64_t kLargestFigure = int64_t{1} << 40;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A text of decimal digits only, nothing for anything else.
std::optional<int64_t> wholeNumber(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != npos) return std::nullopt;
    return leadingInteger(text, kLargestFigure);
}

// "24.9" or "7" in tenths; nothing for anything else ("-.-").
std::optional<int64_t> tenthsOf(std::string_view text) {
    size_t point = text.find('.');
    std::optional<int64_t> whole = wholeNumber(text.substr(0, point));
    if (!whole) return std::nullopt;
    int64_t tenths = *whole * 10;
    if (point == npos) return tenths;
    if (text.size() != point + 2 || !isDigit(text[point + 1])) return std::nullopt;
    return tenths + (text[point + 1] - '0');
}

// A clock "m:ss.s" (or "h:mm:ss.s") in tenths of a second.
std::optional<int64_t> clockTenths(std::string_view text) {
    int64_t minutes = 0;
    for (size_t colon; (colon = text.find(':')) != npos; text.remove_prefix(colon + 1)) {
        std::optional<int64_t> part = wholeNumber(text.substr(0, colon));
        if (!part) return std::nullopt;
        minutes = minutes * 60 + *part;
    }
    std::optional<int64_t> seconds = tenthsOf(text);
    if (!seconds) return std::nullopt;
    return minutes * 600 + *seconds;
}

std::vector<std::string_view> wordsOf(std::string_view text) {
    std::vector<std::string_view> words;
    for (size_t at = 0; (at = text.find_first_not_of(' ', at)) != npos;) {
        size_t end = std::min(text.find(' ', at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

// TwoLAME 0.4 rewrites "Encoding frame: 1147/2297 (49%)" in place, a
// character at a time, and ends with "Encoding Finished.". A line caught
// half written shows a mix of old and new digits ("11/66 (0%)" between
// "7/766 (0%)" and "11/766 (1%)"); it counts only when its percent is the
// whole percent of its fraction. Total: the frame count it shows, not the
// job's progress total, whose frames are counted another way.
ScreenReading twoLameFrames(std::string_view screen) {
    constexpr std::string_view kLabel = "Encoding frame: ";
    size_t at = screen.rfind(kLabel);
    ScreenReading reading;
    reading.known = at != npos || screen.find("Encoding Finished.") != npos;
    if (at == npos) return reading;
    std::string_view line = screen.substr(at + kLabel.size());
    size_t slash = line.find('/'), open = line.find(" ("), close = line.find("%)");
    if (slash == npos || open == npos || close == npos || !(slash < open && open < close))
        return reading;
    std::optional<int64_t> frame = wholeNumber(line.substr(0, slash));
    std::optional<int64_t> frames = wholeNumber(line.substr(slash + 1, open - slash - 1));
    std::optional<int64_t> percent = wholeNumber(line.substr(open + 2, close - open - 2));
    if (frame && frames && percent && *frames > 0 && *frame * 100 / *frames == *percent)
        reading.figure = ScreenFigure{*frame, *frames};
    return reading;
}

// WavPack 5.6 rewrites "creating out.wv,  56% done..." in place and ends
// with "created out.wv in 0.69 secs (lossless, 26.06%)": that percentage is
// the compression ratio, and the output's name need not hold the input's
// stem. Total: 100, the figure is a percentage already.
ScreenReading wavPackDone(std::string_view screen) {
    ScreenReading reading;
    size_t created = screen.rfind("created ");
    if (created != npos && screen.find(" secs (", created) != npos) {
        reading.known = true; // finished: the end of the run says the rest
        return reading;
    }
    size_t done = screen.rfind("% done");
    if (done == npos) return reading;
    reading.known = true;
    size_t first = done;
    while (first > 0 && isDigit(screen[first - 1]))
        --first;
    if (std::optional<int64_t> percent = wholeNumber(screen.substr(first, done - first)))
        reading.figure = ScreenFigure{*percent, 100};
    return reading;
}

// mpcenc 1.30 shows a status row under its header
//     "    %|avg.bitrate| speed|play time (proc/tot)| CPU time (proc/tot)| ETA"
//     " 24.9   36.9 kbps 27.49x     0:29.8    2:00.0     0:01.0    0:04.3 ..."
// and rewrites it a character at a time, so a screen can show the first
// digits of a new percent beside the old ones, or beside the old play times
// (" 22.3" beside "0:51.2 4:00.0", which make 21.3 %). A percent counts only
// when the play times of its row agree with it. Total: 1000, the figure
// being a percentage in tenths.
ScreenReading mpcStatus(std::string_view screen) {
    size_t header = screen.find("play time (proc/tot)");
    if (header == npos) return {};
    ScreenReading reading{true, std::nullopt};
    size_t row = header - header % kConsoleColumns + kConsoleColumns;
    if (row >= screen.size()) return reading;
    std::vector<std::string_view> words = wordsOf(screen.substr(row, kConsoleColumns));
    if (words.size() < 6 || words[2] != "kbps") return reading;
    std::optional<int64_t> percent = tenthsOf(words[0]);
    std::optional<int64_t> played = clockTenths(words[4]);
    std::optional<int64_t> length = clockTenths(words[5]);
    if (!percent || !played || !length || *length <= 0) return reading;
    // Both times are shown to a tenth of a second, the percent to a tenth:
    // that much they may disagree. A torn percent is off by 9 % or more.
    double fromTimes = 1000.0 * static_cast<double>(*played) / static_cast<double>(*length);
    double slack = std::min(2.0 + 2000.0 / static_cast<double>(*length), 50.0);
    if (std::abs(static_cast<double>(*percent) - fromTimes) <= slack)
        reading.figure = ScreenFigure{*percent, 1000};
    return reading;
}

// FLAC 1.4 and mpcenc 1.30 write their status one character at a time: while the cursor stands
// inside a row, before characters that the row still holds, or moves while the screen is read, the
// row may show new figures beside old ones (FLAC's "41%" on the way from "31%" to "43%"). TwoLAME
// 0.4 does so too, but rewrites its line so often that the cursor hardly ever stands still: its
// rule checks its figures against each other.
bool halfWritten(std::string_view screen, int cursor) {
    if (cursor == kCursorMoving) return true;
    if (cursor < 0 || static_cast<size_t>(cursor) >= screen.size()) return false;
    size_t column = static_cast<size_t>(cursor) % kConsoleColumns;
    if (column == 0) return false;
    std::string_view rest = screen.substr(static_cast<size_t>(cursor), kConsoleColumns - column);
    return rest.find_first_not_of(' ') != npos;
}

struct EncoderRule {
    ScreenReading (*own)(std::string_view screen); // today's texts, if its own
    bool characterWriter;                          // see halfWritten
};

// LAME 3.100 and FLAC 1.4 print what the marker rule reads; LAME draws its
// screen with the cursor anywhere, so where it stands tells nothing.
EncoderRule ruleOf(int32_t jobType) {
    switch (static_cast<JobType>(jobType)) {
    case JobType::TwoLame:
        return {twoLameFrames, false};
    case JobType::Flac:
        return {nullptr, true};
    case JobType::WavPack:
        return {wavPackDone, false}; // writes each figure whole
    case JobType::Mpc:
        return {mpcStatus, true};
    default:
        return {nullptr, false};
    }
}

} // namespace

ProgressReading::ProgressReading(int32_t jobType, const CommandLineRecord& command)
    : jobType_(jobType), marker_(fieldText(command.progressMarker)),
      separator_(command.progressSeparator), firstOccurrence_(command.firstOccurrence == 1) {}

bool ProgressReading::shows(std::string_view screen) const {
    EncoderRule rule = ruleOf(jobType_);
    return (rule.own && rule.own(screen).known) || screen.find(marker_) != npos;
}

std::optional<int> ProgressReading::percent(std::string_view screen, int cursor,
                                            int progressTotal) const {
    EncoderRule rule = ruleOf(jobType_);
    if (rule.characterWriter && halfWritten(screen, cursor)) return std::nullopt;
    if (rule.own) {
        ScreenReading own = rule.own(screen);
        if (own.known) {
            if (!own.figure) return std::nullopt;
            return percentOf(own.figure->value, own.figure->total);
        }
    }
    std::optional<int64_t> number = progressNumber(screen, marker_, separator_, firstOccurrence_);
    if (!number) return std::nullopt;
    return percentOf(*number, progressTotal);
}

} // namespace corv
