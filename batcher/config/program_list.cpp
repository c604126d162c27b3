#include "batcher/config/program_list.h"

#include "platform/file_stream.h"
#include "platform/plain_file_name.h"
#include "platform/text_format.h"

#include <array>
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

} // namespace

bool isProgramListRequest(const DownloadRequest& request) {
    return fieldText(request.urlPath).find(kProgramListName) != std::string_view::npos;
}

std::optional<std::string_view> programListKey(int programIndex) {
    for (const ListKey& entry : kListKeys)
        if (entry.programIndex == programIndex) return entry.key;
    return std::nullopt;
}

std::string digestText(const Md5Digest& digest) {
    std::string text;
    for (uint8_t byte : digest)
        appendPrintf(text, "%02X", static_cast<unsigned>(byte));
    return text;
}

std::string downloadChecksum(ByteSource& file, int64_t from) {
    int64_t size = file.length();
    if (size < from || !file.seek(from)) return {};
    Md5 md5;
    std::string sizeText = std::to_string(size);
    md5.update(sizeText.data(), sizeText.size());
    std::vector<uint8_t> piece(104000);
    int64_t left = size - from;
    while (left > 0) {
        size_t got = file.read(piece.data(), piece.size());
        if (got == 0) return {};
        md5.update(piece.data(), got);
        left -= static_cast<int64_t>(got);
    }
    std::optional<Md5Digest> digest = md5.finish();
    return digest && left == 0 ? digestText(*digest) : std::string();
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
                    takeEntryLine(lines, entry.expectedMd5);
    if (!complete) return false;
    std::memcpy(request.serverName, entry.serverName, sizeof entry.serverName);
    std::memcpy(request.urlPath, entry.urlPath, sizeof entry.urlPath);
    std::memcpy(request.expectedMd5, entry.expectedMd5, sizeof entry.expectedMd5);
    return true;
}

bool ReadProgramListEntry(const std::string& listPath, std::string_view key,
                          DownloadRequest& request) {
    clearEntry(request);
    FileStream file;
    if (!file.open(listPath, FileStream::Mode::Read)) return false;
    int64_t size = file.length();
    // A list is a few lines; anything near this size is not one.
    if (size < 0 || size > (1 << 24)) return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (file.read(bytes.data(), bytes.size()) != bytes.size()) return false;
    return readProgramListEntry(bytes, key, request);
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
