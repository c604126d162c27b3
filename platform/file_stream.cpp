#include "platform/file_stream.h"

#include <cstdio>

namespace corv {
namespace {

int seek64(std::FILE* f, int64_t offset, int origin) {
#ifdef _WIN32
    return _fseeki64(f, offset, origin);
#else
    return fseeko(f, static_cast<off_t>(offset), origin);
#endif
}

int64_t tell64(std::FILE* f) {
#ifdef _WIN32
    return _ftelli64(f);
#else
    return static_cast<int64_t>(ftello(f));
#endif
}

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

bool FileStream::seek(int64_t position) {
    return file_ && position >= 0 && seek64(file_, position, SEEK_SET) == 0;
}

bool FileStream::seekToEnd() {
    return file_ && seek64(file_, 0, SEEK_END) == 0;
}

int64_t FileStream::tell() {
    return file_ ? tell64(file_) : -1;
}

int64_t FileStream::length() {
    if (!file_) return -1;
    int64_t here = tell64(file_);
    if (here < 0 || seek64(file_, 0, SEEK_END) != 0) return -1;
    int64_t end = tell64(file_);
    seek64(file_, here, SEEK_SET);
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
