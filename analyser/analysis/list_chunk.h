#pragma once
// Contents of RIFF "LIST" chunks for the properties tree: associated data,
// INFO tags and the header lists of AVI files, nested lists included.
#include "analyser/analysis/chunk_tree.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace corv {

// The bytes of one chunk or sub-chunk. Reads outside them give zero, so a
// record cut short never borrows bytes from its neighbours.
class ChunkBytes {
  public:
    ChunkBytes() = default;
    ChunkBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t size() const { return size_; }
    uint8_t u8(size_t offset) const { return offset < size_ ? data_[offset] : 0; }
    uint16_t u16(size_t offset) const;
    uint32_t u32(size_t offset) const;
    int16_t i16(size_t offset) const { return static_cast<int16_t>(u16(offset)); }
    int32_t i32(size_t offset) const { return static_cast<int32_t>(u32(offset)); }
    // Up to maxLength characters from offset, ending at the first zero byte
    // and at the end of the bytes.
    std::string text(size_t offset, size_t maxLength) const;
    // The part [offset, offset + length), cut to what exists.
    ChunkBytes slice(size_t offset, size_t length) const;

  private:
    uint8_t fieldByte(size_t offset, size_t i) const;

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// Lists nested deeper than this show only their "LIST" and size lines; real
// files nest two or three levels, and the bound keeps the recursion shallow.
inline constexpr int kMaxListDepth = 16;

// listBytes: the 8-byte "LIST" header (its second word is the list size),
// the list type and the sub-chunks. Appends the type node and its contents
// under parent; lists of other types and inconsistent sub-chunks end quietly.
void walkListChunk(TextNode& parent, ChunkBytes listBytes);

} // namespace corv
