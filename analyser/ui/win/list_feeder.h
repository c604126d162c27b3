#pragma once
// Adding and analysing the list's files a slice at a time, while the message
// loop has nothing else to do, so that the window keeps answering while
// thousands of dropped files are read.
#include "analyser/engine/conversion_settings.h"
#include "analyser/ui/win/file_list_view.h"

#include <chrono>
#include <deque>
#include <string>
#include <vector>

namespace corv {

class ListFeeder {
  public:
    ListFeeder(FileListView& list, const ConversionSettings& settings, HWND messageOwner)
        : list_(list), settings_(settings), owner_(messageOwner) {}

    // Paths to add at the end of the list; the whole list is analysed once
    // they are in (a path that does not fit a record is named to the user).
    void addPaths(std::vector<std::string> paths);
    // Every row is analysed again and its cells rewritten.
    void analyseAll();
    // Rows moved or went: the pass looks at every row again, skipping the
    // ones it has already reached.
    void rowsChanged() { nextRow_ = 0; }
    // Adds the paths still waiting, at once (a conversion is about to start).
    void finishAdding();
    // Drops all pending work (the list is cleared, or a conversion starts
    // that analyses every row itself).
    void cancel();

    bool busy() const { return adding_ || analysing_; }
    // One slice of work, about kSlice long. Call when idle and busy().
    void workSlice();

  private:
    static constexpr std::chrono::milliseconds kSlice{20};

    // Adds waiting paths until the time; true when they are all in and the
    // analysis may go on in the same slice.
    bool addPending(std::chrono::steady_clock::time_point until);

    FileListView& list_;
    const ConversionSettings& settings_;
    HWND owner_;
    std::deque<std::string> pending_;
    std::vector<std::string> tooLong_;
    bool adding_ = false;
    bool analysing_ = false;
    unsigned pass_ = 0;
    int nextRow_ = 0;
};

} // namespace corv
