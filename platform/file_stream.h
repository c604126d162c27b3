#pragma once
// Buffered binary file with 64-bit positions on every platform.
#include "platform/byte_source.h"

#include <cstdio>
#include <string>

namespace corv {

class FileStream final : public ByteSource {
  public:
    enum class Mode { Read, Write, ReadWrite, CreateReadWrite };

    FileStream() = default;
    ~FileStream() override { close(); }
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;
    FileStream(FileStream&& other) noexcept : file_(other.file_) { other.file_ = nullptr; }

    // Write and CreateReadWrite truncate or create; ReadWrite opens an existing
    // file for update.
    bool open(const std::string& path, Mode mode);
    bool isOpen() const { return file_ != nullptr; }
    // Returns false when a buffered write could not be completed.
    bool close();

    size_t read(void* dst, size_t n) override;
    size_t write(const void* src, size_t n);
    bool flush();
    // Appends `bytes` from source's position inside the kernel, where the
    // platform can: all of them, or none (false; both positions unchanged).
    bool copyFrom(FileStream& source, uint64_t bytes);
    bool seek(int64_t position) override;
    bool seekToEnd();
    int64_t tell() override;
    int64_t length() override;

  private:
    std::FILE* file_ = nullptr;
};

bool canOpenForReading(const std::string& path);
bool removeFile(const std::string& path);

} // namespace corv
