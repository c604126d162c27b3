#include "batcher/unzipper/zip_archive.h"

#include <zlib.h>

#include <algorithm>

namespace corv {
namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kMaxCommentSize = 0xFFFF;
constexpr size_t kPieceSize = 1 << 16;
constexpr uint16_t kEncryptedFlag = 1;

// Little-endian fields read one after the other; reading past the end sets
// a sticky failure that the caller checks once.
class Fields {
  public:
    Fields(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint32_t take(size_t bytes) {
        if (!ok_ || bytes > size_ - at_) {
            ok_ = false;
            return 0;
        }
        uint32_t value = 0;
        for (size_t i = 0; i < bytes; ++i)
            value |= uint32_t{data_[at_ + i]} << (8 * i);
        at_ += bytes;
        return value;
    }
    uint16_t take16() { return static_cast<uint16_t>(take(2)); }
    std::string text(size_t length) {
        if (!ok_ || length > size_ - at_) {
            ok_ = false;
            return {};
        }
        std::string out(reinterpret_cast<const char*>(data_ + at_), length);
        at_ += length;
        return out;
    }
    void skip(size_t bytes) {
        if (bytes > size_ - at_) ok_ = false;
        if (ok_) at_ += bytes;
    }
    bool ok() const { return ok_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    bool ok_ = true;
};

bool readAt(ByteSource& source, int64_t position, std::vector<uint8_t>& bytes) {
    if (!source.seek(position)) return false;
    return bytes.empty() || source.read(bytes.data(), bytes.size()) == bytes.size();
}

// The end record is the last thing in an archive, before a comment of at most 64 KB.
std::optional<int64_t> findEndRecord(const std::vector<uint8_t>& tail, int64_t tailStart) {
    for (size_t at = tail.size() - kEndRecordSize + 1; at-- > 0;) {
        Fields fields(tail.data() + at, tail.size() - at);
        if (fields.take(4) != kEndSignature) continue;
        fields.skip(16);
        if (at + kEndRecordSize + fields.take16() <= tail.size())
            return tailStart + static_cast<int64_t>(at);
    }
    return std::nullopt;
}

std::optional<ZipEntry> parseCentralHeader(Fields& fields, std::string& error) {
    if (fields.take(4) != kCentralSignature) {
        error = "damaged central directory";
        return std::nullopt;
    }
    ZipEntry entry;
    fields.skip(4); // versions
    entry.flags = fields.take16();
    entry.method = fields.take16();
    fields.skip(4); // time, date
    entry.crc = fields.take(4);
    entry.compressedSize = fields.take(4);
    entry.size = fields.take(4);
    uint16_t nameLength = fields.take16();
    uint16_t extraLength = fields.take16();
    uint16_t commentLength = fields.take16();
    fields.skip(8); // disk, attributes
    entry.localHeaderOffset = fields.take(4);
    entry.name = fields.text(nameLength);
    fields.skip(size_t{extraLength} + commentLength);
    if (!fields.ok()) {
        error = "damaged central directory";
        return std::nullopt;
    }
    return entry;
}

bool copyStored(ByteSource& archive, const ZipEntry& entry, const ZipSink& sink, uLong& crc,
                std::string& error) {
    if (entry.compressedSize != entry.size) {
        error = "damaged: a stored entry whose two sizes differ";
        return false;
    }
    std::vector<uint8_t> piece(kPieceSize);
    for (uint32_t left = entry.size; left > 0;) {
        size_t want = std::min<size_t>(left, piece.size());
        if (archive.read(piece.data(), want) != want) {
            error = "damaged: the archive ends inside the entry";
            return false;
        }
        crc = crc32(crc, piece.data(), static_cast<uInt>(want));
        if (!sink(piece.data(), want)) return false;
        left -= static_cast<uint32_t>(want);
    }
    return true;
}

bool inflateEntry(ByteSource& archive, const ZipEntry& entry, const ZipSink& sink, uLong& crc,
                  std::string& error) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        error = "out of memory";
        return false;
    }
    std::vector<uint8_t> in(kPieceSize), out(kPieceSize);
    uint32_t inLeft = entry.compressedSize;
    uint64_t written = 0;
    int status = Z_OK;
    bool ok = true;
    while (ok && status != Z_STREAM_END) {
        if (stream.avail_in == 0 && inLeft > 0) {
            size_t want = std::min<size_t>(inLeft, in.size());
            if (archive.read(in.data(), want) != want) {
                error = "damaged: the archive ends inside the entry";
                ok = false;
                break;
            }
            inLeft -= static_cast<uint32_t>(want);
            stream.next_in = in.data();
            stream.avail_in = static_cast<uInt>(want);
        }
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        status = inflate(&stream, Z_NO_FLUSH);
        size_t produced = out.size() - stream.avail_out;
        written += produced;
        if (status != Z_OK && status != Z_STREAM_END) {
            error = "damaged compressed data";
            ok = false;
        } else if (written > entry.size) {
            error = "damaged: more data than the entry's size";
            ok = false;
        } else if (status == Z_OK && produced == 0 && stream.avail_in == 0 && inLeft == 0) {
            error = "damaged: the compressed data ends early";
            ok = false;
        } else {
            crc = crc32(crc, out.data(), static_cast<uInt>(produced));
            ok = sink(out.data(), produced);
        }
    }
    inflateEnd(&stream);
    if (ok && written != entry.size) {
        error = "damaged: less data than the entry's size";
        ok = false;
    }
    return ok;
}

} // namespace

std::optional<std::vector<ZipEntry>> readCentralDirectory(ByteSource& archive, std::string& error) {
    int64_t length = archive.length();
    if (length < static_cast<int64_t>(kEndRecordSize)) {
        error = "not a zip archive (too short)";
        return std::nullopt;
    }
    std::vector<uint8_t> tail(
        static_cast<size_t>(std::min<int64_t>(length, kEndRecordSize + kMaxCommentSize)));
    int64_t tailStart = length - static_cast<int64_t>(tail.size());
    std::optional<int64_t> end;
    if (!readAt(archive, tailStart, tail) || !(end = findEndRecord(tail, tailStart))) {
        error = "not a zip archive, or one cut short (no end of central directory)";
        return std::nullopt;
    }
    Fields fields(tail.data() + (*end - tailStart), kEndRecordSize);
    fields.skip(4);
    uint16_t disk = fields.take16(), directoryDisk = fields.take16();
    uint16_t entriesHere = fields.take16(), entryCount = fields.take16();
    uint32_t directorySize = fields.take(4), directoryOffset = fields.take(4);
    if (disk != 0 || directoryDisk != 0 || entriesHere != entryCount) {
        error = "archives in several parts are not supported";
        return std::nullopt;
    }
    if (entryCount == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF) {
        error = "zip64 archives are not supported";
        return std::nullopt;
    }
    if (int64_t{directoryOffset} + directorySize > *end) {
        error = "damaged: the central directory lies outside the archive";
        return std::nullopt;
    }
    std::vector<uint8_t> directory(directorySize);
    if (!readAt(archive, directoryOffset, directory)) {
        error = "damaged: the central directory cannot be read";
        return std::nullopt;
    }
    Fields headers(directory.data(), directory.size());
    std::vector<ZipEntry> entries;
    for (uint16_t i = 0; i < entryCount; ++i) {
        std::optional<ZipEntry> entry = parseCentralHeader(headers, error);
        if (!entry) return std::nullopt;
        if (int64_t{entry->localHeaderOffset} + static_cast<int64_t>(kLocalHeaderSize) >
            directoryOffset) {
            error = "damaged: an entry lies outside the archive";
            return std::nullopt;
        }
        entries.push_back(std::move(*entry));
    }
    return entries;
}

bool extractEntry(ByteSource& archive, const ZipEntry& entry, const ZipSink& sink,
                  std::string& error) {
    if (entry.flags & kEncryptedFlag) {
        error = "encrypted entries are not supported";
        return false;
    }
    if (entry.method != 0 && entry.method != Z_DEFLATED) {
        error = "compression method " + std::to_string(entry.method) + " is not supported";
        return false;
    }
    std::vector<uint8_t> header(kLocalHeaderSize);
    Fields fields(header.data(), header.size());
    if (!readAt(archive, entry.localHeaderOffset, header) || fields.take(4) != kLocalSignature) {
        error = "damaged local header";
        return false;
    }
    fields.skip(22);
    int64_t dataStart = int64_t{entry.localHeaderOffset} + static_cast<int64_t>(kLocalHeaderSize) +
                        fields.take16() + fields.take16();
    if (dataStart + entry.compressedSize > archive.length() || !archive.seek(dataStart)) {
        error = "damaged: the archive ends inside the entry";
        return false;
    }
    uLong crc = crc32(0, nullptr, 0);
    bool whole = entry.method == 0 ? copyStored(archive, entry, sink, crc, error)
                                   : inflateEntry(archive, entry, sink, crc, error);
    if (!whole) return false;
    if (crc != entry.crc) {
        error = "damaged: CRC mismatch";
        return false;
    }
    return true;
}

} // namespace corv
