#pragma once
// A notifier that keeps every message, with its title and whether it was a
// warning (exclamation icon) or a plain box.
#include "platform/notifier.h"

#include <string>
#include <utility>
#include <vector>

namespace corv::test {

class RecordingNotifier : public Notifier {
  public:
    void warn(std::string_view text, std::string_view title) override {
        messages.emplace_back(std::string(text), std::string(title));
        plain.push_back(false);
    }
    void inform(std::string_view text, std::string_view title) override {
        messages.emplace_back(std::string(text), std::string(title));
        plain.push_back(true);
    }
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<bool> plain; // per message: shown without an icon
};

} // namespace corv::test
