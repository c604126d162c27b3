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
// Copies bytes from `from`'s position to `to`'s inside the kernel, both
// positions moving on: all of them, or none (false, where the platform has
// no such copy or it fell short; both positions as they were).
bool copyInKernel(std::FILE* from, std::FILE* to, uint64_t bytes);

} // namespace corv::native
