#include "batcher/config/program_list.h"

#include "batcher/config/digest.h"
#include "batcher/config/download_texts.h"
#include "platform/file_stream.h"
#include "platform/plain_file_name.h"
#include "platform/text_format.h"

#include <array>
#include <cctype>
#include <cstring>
#include <vector>

namespace corv {
namespace {

struct ListKey {
    std::string_view key;
    int programIndex;
};
constexpr std::array<ListKey, 8> kListKeys{{{"*twolame", 2},
                                            {"*ape", 3},
                                            {"*flac", 4},
                                            {"*wavpack", 5},
                                            {"*nerofends", 6},
                                            {"*mpc", 7},
                                            {"*lame", 8},
                                            {"*ogg", 9}}};

// A key line is looked for in lines of up to this many characters; longer
// ones are taken in pieces of that length, as a line reader with a buffer
// of 104000 bytes takes them.
constexpr size_t kListLineChars = 103999;
constexpr size_t kEntryLineChars = kPathFieldSize - 1;

// Lines as a reader with a buffer of limit + 1 bytes gives them: up to and
// including the next line feed, or `limit` characters, or up to the end.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}
    std::optional<std::string_view> next(size_t limit) {
        if (text_.empty()) return std::nullopt;
        size_t feed = text_.find('\n');
        size_t length = feed == std::string_view::npos ? text_.size() : feed + 1;
        if (length > limit) length = limit;
        std::string_view line = text_.substr(0, length);
        text_.remove_prefix(length);
        return line;
    }
    bool done() const { return text_.empty(); }

  private:
    std::string_view text_;
};

void clearEntry(DownloadRequest& request) {
    request.serverName[0] = request.urlPath[0] = request.expectedMd5[0] = '\0';
    request.expectedSha256[0] = '\0';
}

// An entry line must end in its line feed (or the list); a longer line would
// be cut, and a cut server name or path is no use.
bool takeEntryLine(LineReader& lines, char (&field)[kPathFieldSize]) {
    std::optional<std::string_view> line = lines.next(kEntryLineChars);
    if (!line) return false;
    if (line->ends_with('\n'))
        line->remove_suffix(1);
    else if (!lines.done())
        return false;
    return setFieldText(field, *line);
}

// The entry's fifth line, when it is a "sha256" one: its digits in upper case
// into the field (left empty for any other line); false for one that does
// not hold exactly 64 hexadecimal digits.
bool takeSha256Line(LineReader& lines, char (&field)[kSha256TextLength + 1]) {
    std::optional<std::string_view> line = lines.next(kEntryLineChars);
    if (!line || !line->starts_with("sha256")) return true;
    if (line->ends_with('\n')) line->remove_suffix(1);
    if (!line->starts_with(kSha256Line)) return false;
    std::string digits(line->substr(kSha256Line.size()));
    if (digits.size() != kSha256TextLength) return false;
    for (char& c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return setFieldText(field, digits);
}

// The upper-case digest of a prefix followed by the file's bytes from `from` on.
std::string fileDigest(ByteSource& file, DigestKind kind, int64_t from, std::string_view prefix) {
    int64_t size = file.length();
    if (size < from || !file.seek(from)) return {};
    Digest digest(kind);
    digest.update(prefix.data(), prefix.size());
    std::vector<uint8_t> piece(104000);
    int64_t left = size - from;
    while (left > 0) {
        size_t got = file.read(piece.data(), piece.size());
        if (got == 0) return {};
        digest.update(piece.data(), got);
        left -= static_cast<int64_t>(got);
    }
    std::optional<std::vector<uint8_t>> result = digest.finish();
    return result && left == 0 ? digestText(*result) : std::string();
}

std::optional<std::vector<uint8_t>> readSmallFile(const std::string& path) {
    FileStream file;
    if (!file.open(path, FileStream::Mode::Read)) return std::nullopt;
    int64_t size = file.length();
    if (size < 0 || size > kListSizeLimit) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (file.read(bytes.data(), bytes.size()) != bytes.size()) return std::nullopt;
    return bytes;
}

} // namespace

bool isProgramListRequest(const DownloadRequest& request) {
    return fieldText(request.urlPath).find(kProgramListName) != std::string_view::npos;
}

std::optional<std::string_view> programListKey(int programIndex) {
    for (const ListKey& entry : kListKeys)
        if (entry.programIndex == programIndex) return entry.key;
    return std::nullopt;
}

std::string digestText(std::span<const uint8_t> digest) {
    std::string text;
    for (uint8_t byte : digest)
        appendPrintf(text, "%02X", static_cast<unsigned>(byte));
    return text;
}

std::string downloadChecksum(ByteSource& file, int64_t from) {
    int64_t size = file.length();
    return size < 0 ? std::string() : fileDigest(file, DigestKind::Md5, from, std::to_string(size));
}

bool downloadChecksumHolds(ByteSource& file, const DownloadRequest& request) {
    if (isProgramListRequest(request)) {
        char stored[kChecksumLength] = {};
        if (!file.seek(0) || file.read(stored, sizeof stored) != sizeof stored) return false;
        return checksumMatches(downloadChecksum(file, kChecksumLength),
                               std::string_view(stored, sizeof stored));
    }
    if (request.expectedSha256[0] != '\0')
        return fileDigest(file, DigestKind::Sha256, 0, {}) == fieldText(request.expectedSha256);
    return checksumMatches(downloadChecksum(file, 0), fieldText(request.expectedMd5));
}

bool checksumMatches(std::string_view computed, std::string_view expected) {
    return computed.size() == kChecksumLength && expected.size() >= kChecksumLength &&
           expected.substr(0, kChecksumLength) == computed;
}

bool readProgramListEntry(std::span<const uint8_t> list, std::string_view key,
                          DownloadRequest& request) {
    clearEntry(request);
    if (key.empty() || list.size() < kChecksumLength) return false;
    std::string_view text(reinterpret_cast<const char*>(list.data()), list.size());
    if (text.find('\r') != std::string_view::npos) return false;
    MemorySource source(list.data(), list.size());
    if (!checksumMatches(downloadChecksum(source, kChecksumLength),
                         text.substr(0, kChecksumLength)))
        return false;

    LineReader lines(text.substr(kChecksumLength));
    for (;;) {
        std::optional<std::string_view> line = lines.next(kListLineChars);
        if (!line) return false;
        if (line->starts_with(key)) break;
    }
    DownloadRequest entry{};
    bool complete = takeEntryLine(lines, entry.serverName) && takeEntryLine(lines, entry.urlPath) &&
                    takeEntryLine(lines, entry.expectedMd5) &&
                    takeSha256Line(lines, entry.expectedSha256);
    if (!complete) return false;
    std::memcpy(request.serverName, entry.serverName, sizeof entry.serverName);
    std::memcpy(request.urlPath, entry.urlPath, sizeof entry.urlPath);
    std::memcpy(request.expectedMd5, entry.expectedMd5, sizeof entry.expectedMd5);
    std::memcpy(request.expectedSha256, entry.expectedSha256, sizeof entry.expectedSha256);
    return true;
}

std::optional<ListFile> readListFile(const std::string& listPath,
                                     std::span<const P256PublicKey> keys) {
    std::optional<std::vector<uint8_t>> bytes = readSmallFile(listPath);
    if (!bytes) return std::nullopt;
    ListSignature signature =
        checkListSignature(*bytes, readSmallFile(listPath + kSignatureSuffix), keys);
    return ListFile{std::move(*bytes), signature};
}

bool ReadProgramListEntry(const std::string& listPath, std::string_view key,
                          DownloadRequest& request, const ListPolicy& policy) {
    clearEntry(request);
    std::optional<ListFile> list = readListFile(listPath, policy.keys);
    return list && !listRefusal(list->signature, policy.refuseUnsigned) &&
           readProgramListEntry(list->bytes, key, request);
}

bool plainHttpAllowed(const DownloadRequest& request, bool refuseUnsigned) {
    return isProgramListRequest(request) || !refuseUnsigned || request.expectedSha256[0] != '\0';
}

const char* plainHttpNote(const DownloadRequest& request, bool refuseUnsigned) {
    if (isProgramListRequest(request))
        return refuseUnsigned ? kPlainSignedListNote : kPlainUnsignedListNote;
    return request.expectedSha256[0] != '\0' ? kPlainPinnedNote : kPlainMd5Note;
}

std::optional<int64_t> downloadBound(std::optional<int64_t> announced, int64_t ceiling) {
    if (!announced) return ceiling;
    if (*announced > ceiling) return std::nullopt;
    return *announced;
}

std::optional<std::string> downloadedFilePath(const std::string& downloadsDirectory,
                                              std::string_view urlPath) {
    size_t slash = urlPath.rfind('/');
    std::string_view name = slash == std::string_view::npos ? urlPath : urlPath.substr(slash + 1);
    if (!isPlainFileName(name)) return std::nullopt;
    std::string path = downloadsDirectory + std::string(name);
    if (path.size() >= kPathFieldSize) return std::nullopt;
    return path;
}

} // namespace corv
