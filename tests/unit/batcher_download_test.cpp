// Getting an encoder: MD5 from the system against the RFC 1321 vectors, the
// checksum rule of lists and archives, the program list lookup, the names
// that downloads may take, and finding a program in Quillmere's folder tree,
// on real folders.
#include "batcher/config/program_list.h"
#include "batcher/config/program_search.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "protocol/fixed_text.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace corv {
namespace {

std::string md5Text(std::string_view text) {
    Md5 md5;
    size_t half = text.size() / 2; // in two pieces: the digest must not depend on them
    md5.update(text.data(), half);
    md5.update(text.data() + half, text.size() - half);
    return digestText(md5.finish().value());
}

std::string checksumOf(const std::string& bytes, int64_t from) {
    MemorySource source(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return downloadChecksum(source, from);
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
    EXPECT_EQ(checksumOf("hello", 0), "2D7F743E626E75E559AA483FAF851518");
    EXPECT_EQ(checksumOf(std::string(32, 'X') + "hello", 32), "A2D8C7EE61DAB7A69E93346FB490335A");

    // All 32 digits count, case too; an empty or short expectation never matches.
    const std::string sum = "2D7F743E626E75E559AA483FAF851518";
    EXPECT_TRUE(checksumMatches(sum, sum + " trailing"));
    EXPECT_FALSE(checksumMatches(sum, sum.substr(0, 31)) || checksumMatches("", "") ||
                 checksumMatches(sum, "2d7f743e626e75e559aa483faf851518"));
}

// A list with its checksum in front, computed over exactly these bytes.
std::vector<uint8_t> programList(const std::string& body) {
    std::string bytes = checksumOf(std::string(32, '0') + body, 32) + body;
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
    EXPECT_EQ(downloadedFilePath(downloads, "/quendle/tools/lame.zip"), downloads + "lame.zip");
    EXPECT_EQ(downloadedFilePath(downloads, "con1.a..b.zip"), downloads + "con1.a..b.zip");
    // The last one is 520 bytes with downloads\ in front.
    const std::vector<std::string> refused = {
        "/x/..\\..\\evil.zip", "/x/..",        "/x/",         "/x/nul.zip",
        "/x/c:evil.zip",       "/x/lame.zip.", "/x/a\tb.zip", "/x/" + std::string(505, 'a')};
    for (const std::string& url : refused)
        EXPECT_EQ(downloadedFilePath(downloads, url), std::nullopt) << url;
}

class ProgramSearch : public ::testing::Test {
  protected:
    // Creates the file and its folders; the names use '/' between folders.
    std::string place(const std::string& relative) {
        std::string path = dir.dir();
        for (char c : relative)
            path += c == '/' ? kPathSeparator : c;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path) << "x";
        return path;
    }
    test::TempDir dir;
};

TEST_F(ProgramSearch, FindFileInTreeSearchesDepthFirst) {
    EXPECT_EQ(FindFileInTree(dir.dir(), "lame.exe"), std::nullopt);
    // The first folder is searched to its bottom before the next one is looked at.
    std::string nested = place("a/encoders/mp3/lame.exe");
    place("b/lame.exe");
    EXPECT_EQ(FindFileInTree(dir.dir(), "lame.exe"), nested);
    std::string top = place("lame.exe");
    EXPECT_EQ(FindFileInTree(dir.dir(), "lame.exe"), top);
    // A folder of the name is not the program.
    std::filesystem::create_directories(dir.file("other") + kPathSeparator + "flac.exe");
    EXPECT_EQ(FindFileInTree(dir.dir(), "flac.exe"), std::nullopt);
}

TEST_F(ProgramSearch, TheTreeSearchSkipsFolderLinksAndEndsAtItsDepthAndPathLimits) {
    std::string deepest;
    for (int level = 0; level < kMaxTreeDepth; ++level)
        deepest += "d/";
    const std::string found = place(deepest + "q.exe");
    place(deepest + "d/r.exe");
    EXPECT_EQ(findFileInTree(dir.dir(), "q.exe", kPathFieldSize), found);
    EXPECT_EQ(findFileInTree(dir.dir(), "r.exe", kPathFieldSize), std::nullopt);
    EXPECT_EQ(findFileInTree(dir.dir(), "q.exe", found.size() + 1), found);
    EXPECT_EQ(findFileInTree(dir.dir(), "q.exe", found.size()), std::nullopt);
#ifndef _WIN32 // under Wine, Quillmere.exe's end-to-end test has the link
    const std::string shallow = place("e/s.exe");
    std::filesystem::create_directory_symlink(dir.path(), dir.file("a-loop"));
    EXPECT_EQ(findFileInTree(dir.dir(), "s.exe", kPathFieldSize), shallow);
#endif
}

TEST_F(ProgramSearch, TheBinFolderComesBeforeTheRestOfTheTreeAndManualSearchesStartBeside) {
    place("aaa/lame.exe");
    std::string inBin = place("bin/lame.exe");
    EXPECT_EQ(findProgramInTree(dir.dir(), 8), inBin);
    std::string library = place("zzz/AC3enc.dll");
    EXPECT_EQ(findProgramInTree(dir.dir(), 11), library);
    // Window programs are found by their windows, not in the tree.
    place("bin/surcodedts.exe");
    EXPECT_EQ(findProgramInTree(dir.dir(), 0), std::nullopt);
    EXPECT_EQ(findProgramInTree(dir.dir(), 10), std::nullopt);
    EXPECT_EQ(findProgramInTree(dir.dir(), 12), std::nullopt);
    // A manual search starts beside an existing program, else in the folder.
    std::string lame = place("x/lame.exe");
    EXPECT_EQ(manualSearchDirectory(lame, dir.dir()), dir.file("x") + kPathSeparator);
    EXPECT_EQ(manualSearchDirectory("C:\\", dir.dir()), dir.dir());
    EXPECT_EQ(manualSearchDirectory(dir.file("x"), dir.dir()), dir.dir()); // a folder is no program
}

TEST(ProgramSearchTexts, QuestionsAndFilters) {
    EXPECT_EQ(cantFindQuestion("lame.exe"), "Cant find \"lame.exe\" in Quillmere's directory or "
                                            "one of its sub-dir's. Do you want to find it "
                                            "manually?");
    EXPECT_EQ(startProgramFirstQuestion("Surcode DVD", "DTS Encoder"),
              "You have to start Surcode DVD before it can be found. Currently Quillmere cant find "
              "a window with the "
              "title \"DTS Encoder\" and the correct filename. Do you want to find it manually?");
    EXPECT_EQ(openFileFilterName(8), "Lame encoder (*.exe)");
    EXPECT_EQ(openFileFilterName(11), "Ac3 encoder dll (*.dll)");
    EXPECT_EQ(openFileFilterName(0), "Surcode CD Pro (*.exe)");
    EXPECT_EQ(openFileFilterName(12), "");
}

} // namespace
} // namespace corv
