#include "platform/file_stream_native.h"

namespace corv {

int native::seekFile(std::FILE* file, int64_t offset, int origin) {
    return _fseeki64(file, offset, origin);
}

int64_t native::tellFile(std::FILE* file) {
    return _ftelli64(file);
}

} // namespace corv
