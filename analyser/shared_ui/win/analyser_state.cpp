#include "analyser/shared_ui/win/analyser_state.h"

namespace corv {

AnalyserState& Analyser() {
    static AnalyserState state;
    return state;
}

void SaveAnalyserSettings() {
    AnalyserState& state = Analyser();
    (void)saveSettings(state.settings, state.programDirectory);
}

} // namespace corv
