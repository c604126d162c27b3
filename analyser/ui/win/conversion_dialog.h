#pragma once
// The modal "Conversion" dialog (template 104): shows what the conversion
// thread is doing; "Stop" (also Escape and the close box) asks it to stop
// and closes the dialog at once.
#include "analyser/ui/win/conversion_worker.h"

#include <windows.h>

#include <functional>

namespace corv {

struct ConversionDialogHooks {
    // On opening: starts the run, or says why not; false closes the dialog.
    std::function<bool(HWND dialog)> start;
    std::function<void()> stop;
};

// Returns when the dialog has closed.
void RunConversionDialog(HWND owner, ConversionDialogHooks& hooks);

void ShowConversionNews(HWND dialog, const WorkerNews& news);
void CloseConversionDialog(HWND dialog);

} // namespace corv
