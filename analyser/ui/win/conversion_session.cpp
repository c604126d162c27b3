#include "analyser/ui/win/conversion_session.h"

#include "analyser/batcher_client/win/batcher_link.h"
#include "analyser/batcher_client/win/waiting_dialog.h"
#include "analyser/shared_ui/win/analyser_state.h"
#include "analyser/shared_ui/win/message_box_notifier.h"
#include "analyser/ui/win/app_messages.h"
#include "analyser/ui/win/conversion_dialog.h"
#include "analyser/ui/win/resource.h"

namespace corv {

void ConversionSession::convert() {
    ConversionDialogHooks hooks{[this](HWND dialog) { return start(dialog); },
                                [this] { worker_.requestStop(); }};
    RunConversionDialog(main_, hooks);
    dialog_ = nullptr;
}

// "&Convert" is disabled here, before the thread exists, so that no second
// run can start, however soon the first is stopped.
bool ConversionSession::start(HWND dialog) {
    AnalyserState& state = Analyser();
    ForgetBatcherIfGone();
    feeder_.finishAdding(); // files dropped just before belong to the run
    if (list_.rowCount() == 0) {
        MessageBoxNotifier(dialog).inform(kChooseFilesMessage);
        return false;
    }
    feeder_.cancel(); // the run's start analyses every row itself
    HWND convertButton = GetDlgItem(main_, IDC_CONVERT);
    EnableWindow(convertButton, FALSE);
    const ConversionSetup setup{state.settings.conversion, state.settings.encoders, state.maps,
                                state.ssrc.api};
    if (!worker_.start(main_, list_.recordsInOrder(), setup)) {
        EnableWindow(convertButton, TRUE);
        return false;
    }
    dialog_ = dialog;
    return true;
}

bool ConversionSession::onThreadMessage(UINT message, LPARAM lParam) {
    switch (message) {
    case kConversionNews:
        showNews();
        return true;
    case kConversionAnalysed:
        list_.refreshAll();
        return true;
    case kConversionMessage: {
        const auto& asked = *reinterpret_cast<const WorkerMessage*>(lParam);
        MessageBoxNotifier notifier(dialog_ ? dialog_ : main_);
        if (asked.warning)
            notifier.warn(asked.text, asked.title);
        else
            notifier.inform(asked.text, asked.title);
        return true;
    }
    case kConversionConnect:
        connectBatcher();
        return true;
    case kConversionEnded:
        ended();
        return true;
    default:
        return false;
    }
}

// Without Quillmere the run goes on without its dialog, and sends nothing.
void ConversionSession::connectBatcher() {
    bool connected = false;
    if (dialog_ && !worker_.stopRequested()) {
        connected = Analyser().batcherWindow != nullptr || ConnectBatcherShowingWait(dialog_);
        if (!connected) {
            MessageBoxNotifier(dialog_).warn(kNoBatcherMessage);
            // Closing the program meanwhile may have closed the dialog already.
            if (dialog_) CloseConversionDialog(dialog_);
            dialog_ = nullptr;
        }
    }
    worker_.batcherDecided(connected);
}

void ConversionSession::showNews() {
    const WorkerNews news = worker_.takeNews();
    if (dialog_) ShowConversionNews(dialog_, news);
    std::vector<std::pair<int, const AudioFileRecord*>> rows;
    for (const EntryNews& entry : news.entries)
        rows.emplace_back(static_cast<int>(entry.index), &entry.record);
    list_.refreshRows(rows);
}

void ConversionSession::ended() {
    showNews();
    const WorkerEnd end = worker_.finish();
    if (dialog_) CloseConversionDialog(dialog_);
    dialog_ = nullptr;
    list_.refreshAll();
    EnableWindow(GetDlgItem(main_, IDC_CONVERT), TRUE);
    if (quitWhenEnded_) {
        PostQuitMessage(0);
        return;
    }
    if (end.started && !end.stopped && end.runPeak > 1.0)
        MessageBoxNotifier(main_).warn(kClippingMessage);
}

bool ConversionSession::mayCloseNow() {
    if (!running()) return true;
    worker_.requestStop();
    quitWhenEnded_ = true;
    if (dialog_) CloseConversionDialog(dialog_);
    dialog_ = nullptr;
    return false;
}

void ConversionSession::stopAndWait() {
    worker_.requestStop();
    (void)worker_.finish();
}

} // namespace corv
