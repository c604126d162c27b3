#include "platform/record_file.h"

#include "platform/file_stream.h"

namespace corv {

bool writeRecordFile(const std::string& path, const void* record, size_t size) {
    FileStream file;
    if (!file.open(path, FileStream::Mode::Write)) return false;
    bool whole = file.write(record, size) == size;
    return file.close() && whole;
}

std::optional<size_t> readRecordFile(const std::string& path, void* record, size_t size) {
    FileStream file;
    if (!file.open(path, FileStream::Mode::Read)) return std::nullopt;
    return file.read(record, size);
}

} // namespace corv
