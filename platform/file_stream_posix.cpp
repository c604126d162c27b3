#include "platform/file_stream_native.h"

#include <sys/types.h>

namespace corv {

int native::seekFile(std::FILE* file, int64_t offset, int origin) {
    return fseeko(file, static_cast<off_t>(offset), origin);
}

int64_t native::tellFile(std::FILE* file) {
    return static_cast<int64_t>(ftello(file));
}

} // namespace corv
