#include "platform/file_stream_native.h"

#include <sys/types.h>
#include <unistd.h>

namespace corv {

int native::seekFile(std::FILE* file, int64_t offset, int origin) {
    return fseeko(file, static_cast<off_t>(offset), origin);
}

int64_t native::tellFile(std::FILE* file) {
    return static_cast<int64_t>(ftello(file));
}

bool native::copyInKernel(std::FILE* from, std::FILE* to, uint64_t bytes) {
#ifdef __linux__
    if (std::fflush(to) != 0) return false;
    const off_t fromStart = ftello(from);
    const off_t toStart = ftello(to);
    if (fromStart < 0 || toStart < 0) return false;
    off_t in = fromStart, out = toStart;
    while (bytes > 0) {
        const ssize_t n = copy_file_range(fileno(from), &in, fileno(to), &out, bytes, 0);
        if (n <= 0) break;
        bytes -= static_cast<uint64_t>(n);
    }
    // The streams' own positions follow (a seek drops what `from` had buffered).
    if (bytes == 0 && fseeko(from, in, SEEK_SET) == 0 && fseeko(to, out, SEEK_SET) == 0)
        return true;
    fseeko(from, fromStart, SEEK_SET);
    fseeko(to, toStart, SEEK_SET);
    return false;
#else
    (void)from;
    (void)to;
    (void)bytes;
    return false;
#endif
}

} // namespace corv
