#pragma once
// The program list ("ProgramList.txt") and the downloads it names: the
// request a download works on, the checksum rule of lists and archives, the
// lookup of one program's entry, and the local name of a downloaded file.
//
// A list starts with its own checksum (32 upper-case hexadecimal digits) and
// goes on in lines ending in a line feed. An entry is a key line ("*lame"...)
// followed by the archive's server name, URL path and checksum.
#include "batcher/config/md5.h"
#include "platform/byte_source.h"
#include "protocol/fixed_text.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corv {

// Where the program list is fetched, first and as a fallback (port 80).
inline constexpr char kProgramListHost[] = "tools.quillmere.net";
inline constexpr char kProgramListName[] = "ProgramList.txt";
inline constexpr char kProgramListPath[] = "/quendle/tools/ProgramList.txt";
inline constexpr char kProgramListFallbackPath[] = "/quendle2/tools/ProgramList.txt";

inline constexpr size_t kChecksumLength = 32;

struct DownloadRequest {
    char serverName[kPathFieldSize];
    char urlPath[kPathFieldSize];   // begins with "/"
    char localFile[kPathFieldSize]; // set by the download; empty after a failure
    char expectedMd5[kPathFieldSize];
};

// The program list itself rather than an archive.
bool isProgramListRequest(const DownloadRequest& request);

// The key of a program the list may offer ("*lame"), by program index;
// nothing for the window-driven programs and the AC3 library.
std::optional<std::string_view> programListKey(int programIndex);

// A digest as 32 upper-case hexadecimal digits, two per byte in digest order.
std::string digestText(const Md5Digest& digest);

// MD5 over the decimal text of the whole file's size in bytes followed by its
// bytes from `from` on (32 for a list, whose first 32 bytes hold its own
// checksum), as 32 upper-case hexadecimal digits. "" when the file cannot be
// read or hashed.
std::string downloadChecksum(ByteSource& file, int64_t from);

// The whole 32 digits compared: an expected text shorter than that never matches.
bool checksumMatches(std::string_view computed, std::string_view expected);

// Fills server name, URL path and expected checksum from the key's entry of a
// list whose checksum holds; false (fields cleared) otherwise. A list with a
// carriage return fails: its checksum would hold on one reading and not on
// another.
bool readProgramListEntry(std::span<const uint8_t> list, std::string_view key,
                          DownloadRequest& request);
bool ReadProgramListEntry(const std::string& listPath, std::string_view key,
                          DownloadRequest& request);

// downloads\ + the part of the URL path after its last "/", when that part is
// a plain file name and the whole path fits a path field; nothing otherwise.
std::optional<std::string> downloadedFilePath(const std::string& downloadsDirectory,
                                              std::string_view urlPath);

} // namespace corv
