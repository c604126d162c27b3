#include "cli/host.h"

#include <cstdio>
#include <io.h>

namespace corv::cli {

void raiseOpenFileLimit() {
    _setmaxstdio(2048); // the C runtime's own limit; 512 by default
}

bool stderrIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

} // namespace corv::cli
