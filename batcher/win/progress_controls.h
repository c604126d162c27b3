#pragma once
// What a worker thread shows in the progress and the download dialog, which
// share their name text and bar (ids 3220 and 3210): each call is a message
// to the dialog's thread.
#include "batcher/win/resource.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace corv {

class ProgressControls {
  public:
    explicit ProgressControls(HWND dialog) : dialog_(dialog) {}
    void text(std::string_view text, int id = IDC_CURRENT_FILE) const {
        SetDlgItemTextA(dialog_, id, std::string(text).c_str());
    }
    void percent(int percent, int bar = IDC_PROGRESS_BAR) const {
        SendDlgItemMessageA(dialog_, bar, PBM_SETPOS,
                            static_cast<WPARAM>(std::clamp(percent, 0, 100)), 0);
    }
    HWND dialog() const { return dialog_; }

  private:
    HWND dialog_;
};

} // namespace corv
