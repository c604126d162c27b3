#pragma once
// The portable core's reports, shown as message boxes owned by a window.
#include "platform/notifier.h"

#include <windows.h>

namespace corv {

class MessageBoxNotifier final : public Notifier {
  public:
    explicit MessageBoxNotifier(HWND owner) : owner_(owner) {}
    void warn(std::string_view text, std::string_view title) override;

  private:
    HWND owner_;
};

// An exclamation-icon message box titled "Quillmere".
void WarnUser(HWND owner, std::string_view text);

} // namespace corv
