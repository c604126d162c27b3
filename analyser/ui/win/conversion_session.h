#pragma once
// A conversion as the main window runs it: the modal dialog, the thread, and
// what the thread's messages change in the dialog and the list. One run at a
// time; while it runs, the list's records are the thread's.
#include "analyser/ui/win/conversion_worker.h"
#include "analyser/ui/win/file_list_view.h"
#include "analyser/ui/win/list_feeder.h"

#include <windows.h>

namespace corv {

class ConversionSession {
  public:
    ConversionSession(HWND mainWindow, FileListView& list, ListFeeder& feeder)
        : main_(mainWindow), list_(list), feeder_(feeder) {}

    bool running() const { return worker_.running(); }
    // "&Convert": the dialog opens and starts the run; returns once it is closed.
    void convert();
    // The thread's messages (app_messages.h) as the main window gets them;
    // false for any other message.
    bool onThreadMessage(UINT message, LPARAM lParam);
    // Closing the program: true when it may end now. Otherwise the run is
    // asked to stop, and the program quits once the run has ended.
    bool mayCloseNow();
    // For shutdown: a run still going is stopped and awaited.
    void stopAndWait();

  private:
    bool start(HWND dialog);
    void connectBatcher();
    void showNews();
    void ended();

    HWND main_;
    FileListView& list_;
    ListFeeder& feeder_;
    ConversionWorker worker_;
    HWND dialog_ = nullptr; // while it is open
    bool quitWhenEnded_ = false;
};

} // namespace corv
