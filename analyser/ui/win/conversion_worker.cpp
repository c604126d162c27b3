#include "analyser/ui/win/conversion_worker.h"

#include "analyser/batcher_client/win/batcher_link.h"
#include "analyser/ui/win/app_messages.h"

#include <process.h>

namespace corv {
namespace {

// Waits for the handle while still answering messages sent to this thread,
// so that a thread waiting on one of them cannot hold the wait up.
void waitAnsweringSentMessages(HANDLE handle) {
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

class ConversionWorker::Observer final : public ConversionObserver {
  public:
    explicit Observer(ConversionWorker& worker) : worker_(worker) {}

    void warn(std::string_view text, std::string_view title) override { ask(text, title, true); }
    void inform(std::string_view text, std::string_view title) override { ask(text, title, false); }
    void caption(std::string_view text) override {
        worker_.post([&](WorkerNews& news) { news.caption = std::string(text); });
    }
    void currentFile(std::string_view name) override {
        worker_.post([&](WorkerNews& news) { news.currentFile = std::string(name); });
    }
    void filesFinished(int done, int total) override {
        worker_.post([&](WorkerNews& news) { news.filesFinished = {done, total}; });
    }
    void progress(int percent) override {
        if (percent == lastPercent_) return; // called for every block
        lastPercent_ = percent;
        worker_.post([&](WorkerNews& news) { news.percent = percent; });
    }
    void entryUpdated(size_t index) override {
        const AudioFileRecord& record = *worker_.list_[index];
        // The run's end reports every entry again; the list needs the changed ones.
        auto& told = told_[index];
        if (told && told->first == record.result && told->second == record.peak) return;
        told = {record.result, record.peak};
        worker_.post([&](WorkerNews& news) { news.entries.push_back({index, record}); });
    }
    void sendJob(const FinishedJob& job) override {
        if (worker_.handOver_) worker_.handOver_->sendJob(job, *this);
    }

  private:
    void ask(std::string_view text, std::string_view title, bool warning) {
        // The end of the run shows this one itself, after the dialog has closed.
        if (text == kClippingMessage) return;
        WorkerMessage message{std::string(text), std::string(title), warning};
        SendMessageA(worker_.window_, kConversionMessage, 0, reinterpret_cast<LPARAM>(&message));
    }

    ConversionWorker& worker_;
    int lastPercent_ = -1;
    std::vector<std::optional<std::pair<ConversionResult, double>>> told_ =
        decltype(told_)(worker_.list_.size());
};

// Quillmere through copy-data messages, once the connection step is over.
class ConversionWorker::Port final : public BatcherPort {
  public:
    explicit Port(ConversionWorker& worker) : worker_(worker) {}
    bool connected() override {
        WaitForSingleObject(worker_.batcherDecided_, INFINITE);
        return worker_.batcherConnected_;
    }
    Delivery send(MessageId id, const JobRecord* job) override { return SendToBatcher(id, job); }
    void letBatcherComeForward() override { AllowBatcherToComeForward(); }

  private:
    ConversionWorker& worker_;
};

ConversionWorker::~ConversionWorker() {
    if (thread_) {
        requestStop();
        (void)finish();
    }
    if (batcherDecided_) CloseHandle(batcherDecided_);
}

bool ConversionWorker::start(HWND mainWindow, std::vector<AudioFileRecord*> list,
                             const ConversionSetup& setup) {
    if (thread_) return false;
    window_ = mainWindow;
    list_ = std::move(list);
    setup_.emplace(setup);
    stop_ = false;
    batcherConnected_ = false;
    if (!batcherDecided_) batcherDecided_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!batcherDecided_) return false;
    ResetEvent(batcherDecided_);
    end_ = WorkerEnd{};
    news_ = WorkerNews{};
    newsPosted_ = false;
    thread_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, threadMain, this, 0, nullptr));
    return thread_ != nullptr;
}

unsigned __stdcall ConversionWorker::threadMain(void* self) {
    auto* worker = static_cast<ConversionWorker*>(self);
    try {
        worker->work();
    } catch (...) {
        worker->end_.stopped = true; // out of memory: the run ends as if stopped
    }
    PostMessageA(worker->window_, kConversionEnded, 0, 0);
    return 0;
}

void ConversionWorker::requestStop() {
    stop_ = true;
    if (batcherDecided_) SetEvent(batcherDecided_); // a stopped run sends nothing
}

void ConversionWorker::batcherDecided(bool connected) {
    batcherConnected_ = connected;
    SetEvent(batcherDecided_);
}

void ConversionWorker::work() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    Observer observer(*this);
    if (!prepareConversion(list_, *setup_, observer)) return;
    end_.started = true;
    SendMessageA(window_, kConversionAnalysed, 0, 0);
    Port port(*this);
    if (setup_->settings.sendJobsToBatcher) {
        handOver_.emplace(port, setup_->settings, setup_->encoders);
        // Converting goes on meanwhile; the first message to Quillmere waits for the outcome.
        if (!PostMessageA(window_, kConversionConnect, 0, 0)) batcherDecided(false);
    }
    const RunOutcome outcome = runConversion(list_, *setup_, observer, stop_);
    end_.stopped = outcome.stopped;
    end_.runPeak = outcome.runPeak;
    if (handOver_ && !outcome.stopped) handOver_->runEnded(observer);
    handOver_.reset();
}

void ConversionWorker::post(const std::function<void(WorkerNews&)>& change) {
    std::lock_guard<std::mutex> lock(newsLock_);
    change(news_);
    if (!newsPosted_) newsPosted_ = PostMessageA(window_, kConversionNews, 0, 0) != 0;
}

WorkerNews ConversionWorker::takeNews() {
    std::lock_guard<std::mutex> lock(newsLock_);
    WorkerNews news = std::move(news_);
    news_ = WorkerNews{};
    newsPosted_ = false;
    return news;
}

WorkerEnd ConversionWorker::finish() {
    if (!thread_) return end_;
    waitAnsweringSentMessages(thread_);
    CloseHandle(thread_);
    thread_ = nullptr;
    handOver_.reset();
    list_.clear();
    setup_.reset();
    return end_;
}

} // namespace corv
