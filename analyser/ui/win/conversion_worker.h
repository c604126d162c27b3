#pragma once
// The conversion thread: the run's start (every entry analysed again, the
// checks) and the run itself, at below-normal priority. It reports to the
// main window through the messages of app_messages.h; the dialog and the
// list are touched only by the user-interface thread.
#include "analyser/batcher_client/job_hand_over.h"
#include "analyser/engine/conversion_run.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corv {

// A message box the thread asks for (kConversionMessage).
struct WorkerMessage {
    std::string text;
    std::string title;
    bool warning; // exclamation icon; plain otherwise
};

// One entry as the thread left it (a copy: the thread goes on writing the
// record's result and peak while the list shows this one).
struct EntryNews {
    size_t index;
    AudioFileRecord record;
};

// What changed since the last look, for the dialog and the list.
struct WorkerNews {
    std::optional<std::string> caption;
    std::optional<std::string> currentFile;
    std::optional<std::pair<int, int>> filesFinished;
    std::optional<int> percent;
    std::vector<EntryNews> entries;
};

struct WorkerEnd {
    bool started = false; // false: the checks refused the run
    bool stopped = false;
    double runPeak = -1.0;
};

class ConversionWorker {
  public:
    ~ConversionWorker();

    // Starts the thread over the list's records, in list order; they and the
    // setup's parts must stay as they are until finish().
    bool start(HWND mainWindow, std::vector<AudioFileRecord*> list, const ConversionSetup& setup);
    // From start() until finish(): nothing may change or free the records.
    bool running() const { return thread_ != nullptr; }
    void requestStop();
    bool stopRequested() const { return stop_; }
    // The connection step's outcome (kConversionConnect): whether a batcher
    // window is known. Until it is given, the thread sends nothing.
    void batcherDecided(bool connected);
    WorkerNews takeNews();
    // Once kConversionEnded has come: waits for the thread to be gone.
    WorkerEnd finish();

  private:
    class Observer;
    class Port;
    static unsigned __stdcall threadMain(void* self);
    void work();
    void post(const std::function<void(WorkerNews&)>& change);

    HWND window_ = nullptr;
    std::vector<AudioFileRecord*> list_;
    std::optional<ConversionSetup> setup_;
    std::atomic<bool> stop_{false};
    HANDLE thread_ = nullptr;
    WorkerEnd end_;
    std::optional<JobHandOver> handOver_; // while the run's jobs go to Quillmere
    HANDLE batcherDecided_ = nullptr;     // set once the connection step is over
    std::atomic<bool> batcherConnected_{false};

    std::mutex newsLock_;
    WorkerNews news_;
    bool newsPosted_ = false;
};

} // namespace corv
