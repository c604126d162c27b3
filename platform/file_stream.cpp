#include "platform/file_stream.h"

#include "platform/file_stream_native.h"

#include <cstdio>

namespace corv {
namespace {

const char* modeText(FileStream::Mode mode) {
    switch (mode) {
    case FileStream::Mode::Read:
        return "rb";
    case FileStream::Mode::Write:
        return "wb";
    case FileStream::Mode::ReadWrite:
        return "r+b";
    case FileStream::Mode::CreateReadWrite:
        return "w+b";
    }
    return "rb";
}

} // namespace

bool FileStream::open(const std::string& path, Mode mode) {
    close();
    file_ = std::fopen(path.c_str(), modeText(mode));
    return file_ != nullptr;
}

bool FileStream::close() {
    if (!file_) return true;
    bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
}

size_t FileStream::read(void* dst, size_t n) {
    return file_ ? std::fread(dst, 1, n, file_) : 0;
}

size_t FileStream::write(const void* src, size_t n) {
    return file_ ? std::fwrite(src, 1, n, file_) : 0;
}

bool FileStream::flush() {
    return file_ && std::fflush(file_) == 0;
}

bool FileStream::copyFrom(FileStream& source, uint64_t bytes) {
    return file_ && source.file_ && native::copyInKernel(source.file_, file_, bytes);
}

bool FileStream::seek(int64_t position) {
    return file_ && position >= 0 && native::seekFile(file_, position, SEEK_SET) == 0;
}

bool FileStream::seekToEnd() {
    return file_ && native::seekFile(file_, 0, SEEK_END) == 0;
}

int64_t FileStream::tell() {
    return file_ ? native::tellFile(file_) : -1;
}

int64_t FileStream::length() {
    if (!file_) return -1;
    int64_t here = native::tellFile(file_);
    if (here < 0 || native::seekFile(file_, 0, SEEK_END) != 0) return -1;
    int64_t end = native::tellFile(file_);
    // Reads would go on from the end instead of where they stood.
    if (native::seekFile(file_, here, SEEK_SET) != 0) return -1;
    return end;
}

bool canOpenForReading(const std::string& path) {
    FileStream f;
    return f.open(path, FileStream::Mode::Read);
}

bool removeFile(const std::string& path) {
    return std::remove(path.c_str()) == 0;
}

} // namespace corv
