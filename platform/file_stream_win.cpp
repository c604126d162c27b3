#include "platform/file_stream_native.h"

namespace corv {

int native::seekFile(std::FILE* file, int64_t offset, int origin) {
    return _fseeki64(file, offset, origin);
}

int64_t native::tellFile(std::FILE* file) {
    return _ftelli64(file);
}

// Windows copies whole files in the kernel, not ranges of open ones.
bool native::copyInKernel(std::FILE*, std::FILE*, uint64_t) {
    return false;
}

} // namespace corv
