#include "batcher/core/job_end.h"

namespace corv {

JobEnd jobEndOf(const ProgramEnd& end) {
    if (!end.stopPressed) return {};
    if (end.endedByItself && end.exitCode == 0u) return {false, kFinishedBeforeStopLine};
    return {true, kUserAbortedLine};
}

} // namespace corv
