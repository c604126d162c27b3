// Downloads: MD5 from the system against the RFC 1321 vectors, the checksum
// rule of lists and archives, the program list lookup, and the names that
// downloads and archive entries may take.
#include "batcher/config/md5.h"
#include "batcher/config/program_list.h"
#include "batcher/unzipper/unzip_command.h"
#include "platform/text_format.h"

#include <gtest/gtest.h>

namespace corv {
namespace {

std::string md5Text(std::string_view text) {
    Md5 md5;
    size_t half = text.size() / 2; // in two pieces: the digest must not depend on them
    md5.update(text.data(), half);
    md5.update(text.data() + half, text.size() - half);
    std::string hex;
    const Md5Digest digest = md5.finish().value();
    for (uint8_t byte : digest)
        appendPrintf(hex, "%02X", static_cast<unsigned>(byte));
    return hex;
}

TEST(DownloadChecksum, SystemMd5AndTheSizeTextRule) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"a", "0CC175B9C0F1B6A831C399E269772661"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
        {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "D174AB98D277D9F5A5611C2C9F419D9F"},
        {std::string("1234567890") + "1234567890123456789012345678901234567890" +
             "123456789012345678901234567890",
         "57EDF4A22BE3C955AC49DA2E2107B67A"}};
    for (const auto& [text, digest] : vectors)
        EXPECT_EQ(md5Text(text), digest) << text;

    // MD5 of "5hello" for an archive; of "37hello" for a list (the size is the whole file's).
    std::string archive = "hello", list = std::string(32, 'X') + "hello";
    MemorySource archiveBytes(reinterpret_cast<const uint8_t*>(archive.data()), archive.size());
    MemorySource listBytes(reinterpret_cast<const uint8_t*>(list.data()), list.size());
    EXPECT_EQ(downloadChecksum(archiveBytes, 0), "2D7F743E626E75E559AA483FAF851518");
    EXPECT_EQ(downloadChecksum(listBytes, 32), "A2D8C7EE61DAB7A69E93346FB490335A");

    const std::string sum = "2D7F743E626E75E559AA483FAF851518";
    EXPECT_TRUE(checksumMatches(sum, sum));
    EXPECT_TRUE(checksumMatches(sum, sum + " trailing"));
    EXPECT_FALSE(checksumMatches(sum, sum.substr(0, 31)));
    EXPECT_FALSE(checksumMatches(sum, ""));
    EXPECT_FALSE(checksumMatches(sum, "2d7f743e626e75e559aa483faf851518"));
    EXPECT_FALSE(checksumMatches("", ""));
}

// A list with its checksum in front, computed over exactly these bytes.
std::vector<uint8_t> programList(const std::string& body) {
    std::string bytes = std::string(32, '0') + body;
    MemorySource source(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    bytes.replace(0, 32, downloadChecksum(source, 32));
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

TEST(ProgramList, EntriesAreReadOnlyFromAWholeValidList) {
    const std::string lame = "*lame 3.100\nhost.one\n/tools/lame.zip\nABC\n";
    const std::string flac = "*flac\nhost.two\n/flac.zip\nDEF\n";
    std::vector<uint8_t> tampered = programList(flac + lame);
    tampered.back() = 'X';
    std::vector<uint8_t> tooShort(31, 'A');
    struct Case {
        std::vector<uint8_t> list;
        const char* key;
        const char* expected; // "server|path|md5", or nullptr for a refused lookup
    } cases[] = {
        {programList("intro line\n" + flac + lame), "*lame", "host.one|/tools/lame.zip|ABC"},
        {programList(lame + "*lame\nother\n/x.zip\nXYZ\n"), "*lame",
         "host.one|/tools/lame.zip|ABC"},
        {programList("*ogg\nh\n/o.zip\nGHI"), "*ogg", "h|/o.zip|GHI"}, // no last line feed
        {programList(flac + lame), "*ogg", nullptr},
        {programList(flac + lame), "", nullptr},
        {tampered, "*lame", nullptr},
        {programList("*lame\r\nhost.one\r\n/l.zip\r\nABC\r\n"), "*lame", nullptr},
        {programList("*lame\nhost.one\n/l.zip\n"), "*lame", nullptr}, // cut short
        {programList("*lame\n" + std::string(520, 'h') + "\n/l.zip\nABC\n"), "*lame", nullptr},
        {tooShort, "*lame", nullptr},
    };
    for (const Case& c : cases) {
        DownloadRequest request{};
        setFieldText(request.serverName, "left over");
        bool found = readProgramListEntry(c.list, c.key, request);
        std::string fields = std::string(fieldText(request.serverName)) + "|" +
                             std::string(fieldText(request.urlPath)) + "|" +
                             std::string(fieldText(request.expectedMd5));
        EXPECT_EQ(found, c.expected != nullptr) << c.key << " " << fields;
        EXPECT_EQ(fields, c.expected ? c.expected : "||") << c.key;
    }
}

TEST(DownloadNames, OnlyPlainNamesStayInTheirFolder) {
    const std::string downloads = "C:\\Q\\downloads\\";
    const std::pair<std::string, const char*> urls[] = {
        {"/quendle/tools/lame.zip", "lame.zip"},
        {"lame.zip", "lame.zip"},
        {"/x/con1.zip", "con1.zip"},
        {"/x/a..b.zip", "a..b.zip"},
        {"/x/..\\..\\evil.zip", nullptr},
        {"/x/..", nullptr},
        {"/x/", nullptr},
        {"/x/CON", nullptr},
        {"/x/nul.zip", nullptr},
        {"/x/Com1.txt", nullptr},
        {"/x/c:evil.zip", nullptr},
        {"/x/lame.zip.", nullptr},
        {"/x/a\tb.zip", nullptr},
        {"/x/" + std::string(520 - downloads.size(), 'a'), nullptr},
    };
    for (const auto& [url, name] : urls) {
        std::optional<std::string> path = downloadedFilePath(downloads, url);
        EXPECT_EQ(path, name ? std::optional(downloads + name) : std::nullopt) << url;
    }

    const std::pair<const char*, const char*> entries[] = {
        {"a/b/lame.exe", "lame.exe"},
        {"lame_enc.dll", "lame_enc.dll"},
        {"docs/", ""},
        {"a/b..c.exe", "b..c.exe"},
        {"../evil.exe", nullptr},
        {"a/../../evil.exe", nullptr},
        {"a\\..\\evil.exe", nullptr},
        {"C:evil.exe", nullptr},
        {"C:/evil.exe", nullptr},
        {"x/AUX.exe", nullptr},
        {"x/lpt9", nullptr},
    };
    for (const auto& [entry, name] : entries)
        EXPECT_EQ(entryFileName(entry), name ? std::optional<std::string>(name) : std::nullopt)
            << entry;
}

} // namespace
} // namespace corv
