#include "batcher/win/job_run.h"

namespace corv {

void ShowConfigureDialog(BatcherState&) {}

} // namespace corv
