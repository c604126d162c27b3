#pragma once
// How a run talks to the person at the terminal: message boxes become stderr
// lines, and a progress bar is drawn on stderr when it is a terminal.
#include "analyser/engine/conversion_run.h"

#include <cstdio>
#include <string>

namespace corv::cli {

class StderrObserver final : public ConversionObserver {
  public:
    StderrObserver(std::FILE* out, bool showProgress) : out_(out), showProgress_(showProgress) {}
    ~StderrObserver() override { endProgress(); }

    void warn(std::string_view text, std::string_view title) override { message(text, title); }
    void inform(std::string_view text, std::string_view title) override { message(text, title); }

    void caption(std::string_view text) override;
    void currentFile(std::string_view name) override;
    void filesFinished(int done, int total) override;
    void progress(int percent) override;

    // Clears the bar so that what follows starts on a clean line.
    void endProgress();

  private:
    void message(std::string_view text, std::string_view title);
    void draw();
    void clearBar();

    std::FILE* out_;
    bool showProgress_;
    std::string caption_;
    std::string file_;
    int done_ = 0;
    int total_ = 0;
    int percent_ = 0;
    size_t shownWidth_ = 0; // columns the bar covers now, 0 when not shown
};

// One line for a message box: the title, then the text with its line breaks
// turned into spaces.
std::string messageLine(std::string_view text, std::string_view title);

// The bar's text for a terminal of the given width (without the carriage return).
std::string progressLine(std::string_view caption, std::string_view file, int done, int total,
                         int percent, size_t width);

} // namespace corv::cli
