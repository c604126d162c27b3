#pragma once
// 64-bit positions in a C stream, one implementation per platform
// (file_stream_posix.cpp, file_stream_win.cpp).
#include <cstdint>
#include <cstdio>

namespace corv::native {

// 0 on success, as fseek.
int seekFile(std::FILE* file, int64_t offset, int origin);
// -1 on failure, as ftell.
int64_t tellFile(std::FILE* file);

} // namespace corv::native
