#include "batcher/win/message_box_notifier.h"

#include "protocol/messages.h"

#include <string>

namespace corv {

void MessageBoxNotifier::warn(std::string_view text, std::string_view title) {
    std::string ownedText(text), ownedTitle(title);
    MessageBoxA(owner_, ownedText.c_str(), ownedTitle.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void WarnUser(HWND owner, std::string_view text) {
    MessageBoxNotifier(owner).warn(text, kBatcherWindowName);
}

} // namespace corv
