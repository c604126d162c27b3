#include "analyser/engine/linked_entry_points.h"

namespace corv {

const SsrcEntryPoints& linkedSsrcEntryPoints() {
    static const SsrcEntryPoints table{_UpsampleInit,   _UpsampleProcess,   _UpsampleExit,
                                       _DownsampleInit, _DownsampleProcess, _DownsampleExit,
                                       _DitherInit,     _DitherProcess,     _DitherExit};
    return table;
}

} // namespace corv
