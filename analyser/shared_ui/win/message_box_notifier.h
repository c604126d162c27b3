#pragma once
// The portable core's reports as Corvandale's message boxes: warnings with
// the exclamation icon, plain boxes without, "Attention" unless titled.
#include "platform/notifier.h"

#include <windows.h>

namespace corv {

class MessageBoxNotifier final : public Notifier {
  public:
    explicit MessageBoxNotifier(HWND owner) : owner_(owner) {}
    void warn(std::string_view text, std::string_view title = kAttentionTitle) override;
    void inform(std::string_view text, std::string_view title = kAttentionTitle) override;

  private:
    HWND owner_;
};

} // namespace corv
