#pragma once
// The nine entry points of the library linked into this program, as the table
// the conversion engine calls through (the GUI fills its table from the DLL).
#include "ssrc/ssrcdll.h"

namespace corv {

const SsrcEntryPoints& linkedSsrcEntryPoints();

} // namespace corv
