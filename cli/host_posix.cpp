#include "cli/host.h"

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>

namespace corv::cli {

void raiseOpenFileLimit() {
    constexpr rlim_t wanted = 2048;
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= wanted) return;
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
    setrlimit(RLIMIT_NOFILE, &limit); // a refusal leaves the old limit, which still works
}

bool stderrIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

} // namespace corv::cli
