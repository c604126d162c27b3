// Stand-in for the batcher link until it joins this branch: no batcher is
// ever found, so the dialogs keep "Run Quillmere to show commandline.".
#include "analyser/batcher_client/win/batcher_link.h"

namespace corv {

bool ConnectBatcher(bool) {
    return false;
}

bool RequestCommandLine(HWND, int32_t) {
    return false;
}

} // namespace corv
