#pragma once
// The job log of a run whose jobs may run side by side: each job's lines
// stay together and the jobs follow in list order. The first job that has
// not ended writes straight through (so the log window shows its lines as
// they come); a later job's lines wait until every job before it has ended.
// With one job at a time every job is that first one: nothing waits.
#include "batcher/core/batcher_log.h"

#include <map>
#include <set>
#include <string>
#include <string_view>

namespace corv {

class LogBlocks {
  public:
    explicit LogBlocks(BatcherLog& log) : log_(log) {}
    // Rows are counted in list order from 0; each is ended exactly once,
    // those that wrote nothing too.
    void write(int row, std::string_view text);
    void end(int row);
    // The row that writes straight through.
    int first() const { return first_; }

  private:
    BatcherLog& log_;
    int first_ = 0;
    std::map<int, std::string> waiting_;
    std::set<int> ended_;
};

} // namespace corv
