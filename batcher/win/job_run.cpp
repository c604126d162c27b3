#include "batcher/win/job_run.h"

namespace corv {

void ShowProgressDialog(BatcherState&) {}

void ShowConfigureDialog(BatcherState&) {}

} // namespace corv
