#pragma once
// What a command-line or reply builder reports back: success, or the reason
// the job cannot run, which the caller writes to the job's log.
#include <string>
#include <string_view>

namespace corv {

// Title of every message box Quillmere shows.
inline constexpr std::string_view kQuillmereTitle = "Quillmere";

struct BuildOutcome {
    bool ok = true;
    std::string error; // one sentence, no line end; empty when ok

    static BuildOutcome success() { return {}; }
    static BuildOutcome failure(std::string reason) { return {false, std::move(reason)}; }
};

} // namespace corv
