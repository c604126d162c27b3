#pragma once
// Parsers of outside bytes read through this interface, so tests and fuzzers
// can feed them memory instead of files.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace corv {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads up to n bytes at the current position; returns how many arrived.
    virtual size_t read(void* dst, size_t n) = 0;
    // Absolute seek; positions past the end are allowed (reads there return 0).
    virtual bool seek(int64_t position) = 0;
    virtual int64_t tell() = 0;
    // Total length in bytes, -1 when it cannot be found out. The position stays.
    virtual int64_t length() = 0;
};

class MemorySource final : public ByteSource {
  public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit MemorySource(const std::vector<uint8_t>& bytes)
        : data_(bytes.data()), size_(bytes.size()) {}
    size_t read(void* dst, size_t n) override;
    bool seek(int64_t position) override;
    int64_t tell() override { return position_; }
    int64_t length() override { return static_cast<int64_t>(size_); }

  private:
    const uint8_t* data_;
    size_t size_;
    int64_t position_ = 0;
};

} // namespace corv
