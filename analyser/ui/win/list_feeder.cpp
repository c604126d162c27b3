#include "analyser/ui/win/list_feeder.h"

#include "analyser/engine/entry_analysis.h"
#include "analyser/shared_ui/win/message_box_notifier.h"

namespace corv {

void ListFeeder::addPaths(std::vector<std::string> paths) {
    pending_.insert(pending_.end(), std::make_move_iterator(paths.begin()),
                    std::make_move_iterator(paths.end()));
    adding_ = true;
}

void ListFeeder::analyseAll() {
    if (list_.rowCount() == 0) return;
    ++pass_;
    nextRow_ = 0;
    analysing_ = true;
}

void ListFeeder::cancel() {
    pending_.clear();
    tooLong_.clear();
    adding_ = analysing_ = false;
}

bool ListFeeder::addPending(std::chrono::steady_clock::time_point until) {
    if (!pending_.empty()) {
        PaintingHold hold(list_.handle());
        while (!pending_.empty() && std::chrono::steady_clock::now() < until) {
            if (list_.add(pending_.front()) == AddVerdict::TooLong)
                tooLong_.push_back(pending_.front());
            pending_.pop_front();
        }
    }
    if (!pending_.empty() || !adding_) return pending_.empty();
    adding_ = false;
    analyseAll(); // every row, not only the new ones
    if (!tooLong_.empty()) {
        const std::string message = tooLongMessage(tooLong_);
        tooLong_.clear();
        MessageBoxNotifier(owner_).warn(message);
        return false; // the box took its time: the next slice goes on
    }
    return true;
}

void ListFeeder::finishAdding() {
    addPending(std::chrono::steady_clock::time_point::max());
}

void ListFeeder::workSlice() {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + kSlice;
    if (!addPending(end) || !analysing_) return;

    // Each row's cells are written with its analysis, inside the slice's time.
    const FileListView::ColumnPlaces places = list_.findColumns();
    const int rows = list_.rowCount();
    for (; nextRow_ < rows && Clock::now() < end; ++nextRow_) {
        ListEntry* entry = list_.entryAt(nextRow_);
        if (!entry || entry->analysedInPass == pass_) continue;
        analyseFile(entry->record, settings_);
        entry->analysedInPass = pass_;
        list_.refreshRow(nextRow_, places);
    }
    if (nextRow_ >= rows) analysing_ = false;
}

} // namespace corv
