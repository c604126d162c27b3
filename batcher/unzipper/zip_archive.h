#pragma once
// Reading zip archives: the central directory, and each entry's contents
// (stored or deflated) checked against its CRC. Single-part archives without
// zip64 records, which is what the encoder archives are.
#include "platform/byte_source.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corv {

struct ZipEntry {
    std::string name; // as stored: folders joined by "/", a folder ends in "/"
    uint16_t flags = 0;
    uint16_t method = 0; // 0 stored, 8 deflated
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t size = 0;
    uint32_t localHeaderOffset = 0;
};

// The entries of the archive's central directory; nothing, with the reason in
// `error`, for a damaged or truncated archive or one of a kind not read here.
std::optional<std::vector<ZipEntry>> readCentralDirectory(ByteSource& archive, std::string& error);

// Receives an entry's contents piece by piece; false stops the extraction.
using ZipSink = std::function<bool(const uint8_t* data, size_t size)>;

// Passes the entry's contents to the sink; false, with the reason in `error`,
// when its data is damaged or cut short, its CRC does not match, its method
// is neither stored nor deflated, it is encrypted, or the sink refused.
bool extractEntry(ByteSource& archive, const ZipEntry& entry, const ZipSink& sink,
                  std::string& error);

} // namespace corv
