#pragma once
// How the portable core reports to the user: message boxes in the programs,
// stderr in the CLI, a recording double in tests.
#include <string_view>

namespace corv {

inline constexpr std::string_view kAttentionTitle = "Attention";

class Notifier {
  public:
    virtual ~Notifier() = default;
    // An exclamation-icon message box with an OK button.
    virtual void warn(std::string_view text, std::string_view title = kAttentionTitle) = 0;
    // A message box without an icon; where nothing tells them apart, a warning.
    virtual void inform(std::string_view text, std::string_view title = kAttentionTitle) {
        warn(text, title);
    }
};

} // namespace corv
