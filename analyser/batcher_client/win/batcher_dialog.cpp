#include "analyser/batcher_client/win/batcher_dialog.h"

#include "analyser/batcher_client/batcher_dialog_values.h"
#include "analyser/batcher_client/dialog_ids_encoders.h"
#include "analyser/batcher_client/win/batcher_link.h"
#include "analyser/batcher_client/win/encoder_dialog.h"
#include "analyser/shared_ui/wait_texts.h"
#include "analyser/shared_ui/win/dialog_support.h"
#include "platform/notifier.h"
#include "protocol/job_types.h"

#include <commctrl.h>

#include <memory>

namespace corv {
namespace {

struct BatcherDialog {
    AnalyserSettings& settings;
    std::string programDirectory;
    std::function<bool()> conversionRunning;
};

BatcherDialog& dialogOf(HWND window) {
    return *reinterpret_cast<BatcherDialog*>(GetWindowLongPtrA(window, DWLP_USER));
}

BatcherDialogValues readValues(HWND window) {
    BatcherDialogValues values;
    values.outputType =
        static_cast<int>(SendDlgItemMessageA(window, IDC_OUTPUT_TYPE, CB_GETCURSEL, 0, 0));
    values.sendJobs = IsDlgButtonChecked(window, IDC_SEND_JOBS) == BST_CHECKED;
    values.startBatcherWhenFinished = IsDlgButtonChecked(window, IDC_START_BATCHER) == BST_CHECKED;
    return values;
}

void onInit(HWND window, BatcherDialog* dialog) {
    for (const JobTypeInfo& type : kJobTypes)
        addComboItem(GetDlgItem(window, IDC_OUTPUT_TYPE), type.outputTypeName);
    const BatcherDialogValues shown = batcherDialogShows(dialog->settings.conversion);
    SendDlgItemMessageA(window, IDC_OUTPUT_TYPE, CB_SETCURSEL,
                        static_cast<WPARAM>(shown.outputType), 0);
    CheckDlgButton(window, IDC_SEND_JOBS, shown.sendJobs ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window, IDC_START_BATCHER,
                   shown.startBatcherWhenFinished ? BST_CHECKED : BST_UNCHECKED);
}

// False when the settings were left as they were.
bool onApply(HWND window) {
    BatcherDialog& dialog = dialogOf(window);
    if (applyBatcherDialog(readValues(window), dialog.settings, dialog.programDirectory,
                           dialog.conversionRunning) != BatcherApply::Refused)
        return true;
    showWarning(window, kWaitForConversionMessage, kAttentionTitle);
    return false;
}

void onConfigure(HWND window) {
    BatcherDialog& dialog = dialogOf(window);
    ConnectBatcher(false);
    const int32_t jobType = jobTypeAt(readValues(window).outputType);
    if (openEncoderDialog(window, jobType, dialog.settings.encoders, dialog.conversionRunning))
        EnableWindow(window, FALSE);
}

void onCommand(HWND window, int id, int code) {
    if (answerApplyOkCancel(window, id, onApply)) return;
    switch (id) {
    case IDC_OUTPUT_TYPE:
        if (code == CBN_SELCHANGE)
            for (int control : {IDC_SEND_JOBS, IDC_START_BATCHER, IDC_CONFIGURE})
                EnableWindow(GetDlgItem(window, control), TRUE);
        break;
    case IDC_CONFIGURE:
        onConfigure(window);
        break;
    default:
        break;
    }
}

} // namespace

HWND openBatcherDialog(HWND owner, AnalyserSettings& settings, const std::string& programDirectory,
                       std::function<bool()> conversionRunning) {
    // The encoder dialogs hold track bars and a tab control.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    return createModelessDialog(
        owner, IDD_BATCHER,
        GuardedDialogProc<modelessDialogHandler<BatcherDialog, onInit, onCommand>>,
        std::unique_ptr<BatcherDialog>(
            new BatcherDialog{settings, programDirectory, std::move(conversionRunning)}));
}

} // namespace corv
