#pragma once
// The program list ("ProgramList.txt") and the downloads it names: the
// request a download works on, the checksum rule of lists and archives, the
// lookup of one program's entry, and the local name of a downloaded file.
//
// A list starts with its own checksum (32 upper-case hexadecimal digits) and
// goes on in lines ending in a line feed. An entry is a key line ("*lame"...)
// followed by the archive's server name, URL path and checksum, and may
// carry a fifth line "sha256 <64 hexadecimal digits>" that pins the archive.
// Readers that know only four lines skip the fifth as a line of no key, so
// lists with and without it serve old and new readers alike.
#include "batcher/config/signed_list.h"
#include "platform/byte_source.h"
#include "protocol/fixed_text.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corv {

// Where the program list is fetched, first and as a fallback (HTTPS, and
// plain HTTP when allowed).
inline constexpr char kProgramListHost[] = "tools.quillmere.net";
inline constexpr char kProgramListName[] = "ProgramList.txt";
inline constexpr char kProgramListPath[] = "/quendle/tools/ProgramList.txt";
inline constexpr char kProgramListFallbackPath[] = "/quendle2/tools/ProgramList.txt";

inline constexpr size_t kChecksumLength = 32;
inline constexpr size_t kSha256TextLength = 64;
inline constexpr std::string_view kSha256Line = "sha256 ";

// A download brings at most this much when its server announces no length;
// a list or its signature file at most the second: a list is a few lines.
inline constexpr int64_t kDownloadCeiling = int64_t{512} << 20;
inline constexpr int64_t kListSizeLimit = int64_t{16} << 20;

struct DownloadRequest {
    char serverName[kPathFieldSize];
    char urlPath[kPathFieldSize];   // begins with "/"
    char localFile[kPathFieldSize]; // set by the download; empty after a failure
    char expectedMd5[kPathFieldSize];
    // 64 upper-case hexadecimal digits when the entry pins its archive; empty otherwise.
    char expectedSha256[kSha256TextLength + 1];
};

// The program list itself rather than an archive.
bool isProgramListRequest(const DownloadRequest& request);

// The key of a program the list may offer ("*lame"), by program index;
// nothing for the window-driven programs and the AC3 library.
std::optional<std::string_view> programListKey(int programIndex);

// A digest as upper-case hexadecimal digits, two per byte in digest order.
std::string digestText(std::span<const uint8_t> digest);

// MD5 over the decimal text of the whole file's size in bytes followed by its
// bytes from `from` on (32 for a list, whose first 32 bytes hold its own
// checksum), as 32 upper-case hexadecimal digits. "" when the file cannot be
// read or hashed.
std::string downloadChecksum(ByteSource& file, int64_t from);

// The whole 32 digits compared: an expected text shorter than that never matches.
bool checksumMatches(std::string_view computed, std::string_view expected);

// Whether a downloaded file is the one asked for: a list by the checksum in
// its first 32 bytes; an archive by the SHA-256 its entry pins, else by its
// checksum.
bool downloadChecksumHolds(ByteSource& file, const DownloadRequest& request);

// Fills server name, URL path, expected checksum and SHA-256 from the key's
// entry of a list whose checksum holds; false (fields cleared) otherwise. A
// list with a carriage return fails: its checksum would hold on one reading
// and not on another. A fifth line that begins with "sha256" but holds no 64
// hexadecimal digits fails the entry: a pin that cannot be read must not
// leave its archive to MD5 alone.
bool readProgramListEntry(std::span<const uint8_t> list, std::string_view key,
                          DownloadRequest& request);

// A list file with the signature file beside it, read and judged.
struct ListFile {
    std::vector<uint8_t> bytes;
    ListSignature signature;
};
std::optional<ListFile> readListFile(const std::string& listPath,
                                     std::span<const P256PublicKey> keys);

// The lookup on a list file that the policy lets be used.
bool ReadProgramListEntry(const std::string& listPath, std::string_view key,
                          DownloadRequest& request, const ListPolicy& policy);

// Whether a download may go over plain HTTP when HTTPS brings no answer: a
// list always (it is used only when its signature holds), an archive when its
// list pins its SHA-256; anything when unsigned lists are allowed, which asks
// for no more than the MD5. Then what the download window says.
bool plainHttpAllowed(const DownloadRequest& request, bool refuseUnsigned);
const char* plainHttpNote(const DownloadRequest& request, bool refuseUnsigned);

// The most bytes a download may bring: the length its server announced,
// within the ceiling; the ceiling when none was announced; nothing (it fails
// at once) when the announced length is above the ceiling.
std::optional<int64_t> downloadBound(std::optional<int64_t> announced, int64_t ceiling);

// downloads\ + the part of the URL path after its last "/", when that part is
// a plain file name and the whole path fits a path field; nothing otherwise.
std::optional<std::string> downloadedFilePath(const std::string& downloadsDirectory,
                                              std::string_view urlPath);

} // namespace corv
