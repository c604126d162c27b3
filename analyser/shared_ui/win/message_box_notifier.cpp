#include "analyser/shared_ui/win/message_box_notifier.h"

#include <string>

namespace corv {
namespace {

void show(HWND owner, std::string_view text, std::string_view title, UINT icon) {
    const std::string ownedText(text), ownedTitle(title);
    MessageBoxA(owner, ownedText.c_str(), ownedTitle.c_str(), MB_OK | icon);
}

} // namespace

void MessageBoxNotifier::warn(std::string_view text, std::string_view title) {
    show(owner_, text, title, MB_ICONEXCLAMATION);
}

void MessageBoxNotifier::inform(std::string_view text, std::string_view title) {
    show(owner_, text, title, 0);
}

} // namespace corv
