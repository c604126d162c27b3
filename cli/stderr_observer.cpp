#include "cli/stderr_observer.h"

#include <algorithm>

namespace corv::cli {

namespace {

// Narrow enough for any console; the bar never wraps, so "\r" can redraw it.
constexpr size_t kBarWidth = 79;
constexpr int kBarCells = 20;

} // namespace

std::string messageLine(std::string_view text, std::string_view title) {
    std::string line(title);
    line += ": ";
    bool lastWasBreak = false;
    for (char c : text) {
        const bool isBreak = c == '\r' || c == '\n';
        if (isBreak && !lastWasBreak) line += ' ';
        if (!isBreak) line += c;
        lastWasBreak = isBreak;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

std::string progressLine(std::string_view caption, std::string_view file, int done, int total,
                         int percent, size_t width) {
    percent = std::clamp(percent, 0, 100);
    const int filled = percent * kBarCells / 100;
    std::string line = "[" + std::string(static_cast<size_t>(filled), '#') +
                       std::string(static_cast<size_t>(kBarCells - filled), '.') + "] ";
    line += std::to_string(percent) + "% " + std::to_string(done) + "/" + std::to_string(total);
    if (!caption.empty()) line += " " + std::string(caption);
    if (!file.empty()) line += ": " + std::string(file);
    if (line.size() > width) line.resize(width);
    return line;
}

void StderrObserver::caption(std::string_view text) {
    caption_ = text;
    draw();
}

void StderrObserver::currentFile(std::string_view name) {
    file_ = name;
    draw();
}

void StderrObserver::filesFinished(int done, int total) {
    done_ = done;
    total_ = total;
    draw();
}

void StderrObserver::progress(int percent) {
    if (percent == percent_ && shownWidth_ != 0) return; // called once per block
    percent_ = percent;
    draw();
}

void StderrObserver::draw() {
    if (!showProgress_) return;
    std::string line = progressLine(caption_, file_, done_, total_, percent_, kBarWidth);
    const size_t width = line.size();
    if (width < shownWidth_) line.append(shownWidth_ - width, ' '); // covers the longer bar before
    std::fputc('\r', out_);
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
    shownWidth_ = std::max<size_t>(width, 1);
}

void StderrObserver::clearBar() {
    if (shownWidth_ == 0) return;
    std::fputc('\r', out_);
    std::fputs(std::string(shownWidth_, ' ').c_str(), out_);
    std::fputc('\r', out_);
    shownWidth_ = 0;
}

void StderrObserver::endProgress() {
    clearBar();
    std::fflush(out_);
}

void StderrObserver::message(std::string_view text, std::string_view title) {
    clearBar();
    std::fputs(messageLine(text, title).c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
    if (showProgress_ && !caption_.empty()) draw();
}

} // namespace corv::cli
