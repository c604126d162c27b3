// Getting an encoder: the system's MD5, SHA-256 and P-256 against RFC vectors, checksums,
// program and signed lists, download rules and names, and the program search.
#include "batcher/config/digest.h"
#include "batcher/config/download_texts.h"
#include "batcher/config/program_list.h"
#include "batcher/config/program_search.h"
#ifndef _WIN32
#include "batcher/signing/list_signing.h"
#endif
#include "platform/file_system.h"
#include "platform/path.h"
#include "protocol/fixed_text.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace corv {
namespace {

std::string digestOf(std::string_view text, DigestKind kind = DigestKind::Md5) {
    Digest digest(kind);
    size_t half = text.size() / 2; // in two pieces: the digest must not depend on them
    digest.update(text.data(), half);
    digest.update(text.data() + half, text.size() - half);
    return digestText(digest.finish().value());
}

std::vector<uint8_t> fromHex(std::string_view hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(
            static_cast<uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

std::string checksumOf(const std::string& bytes, int64_t from) {
    MemorySource source(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return downloadChecksum(source, from);
}

// A list with its checksum in front, computed over exactly these bytes.
std::vector<uint8_t> programList(const std::string& body) {
    std::string bytes = checksumOf(std::string(32, '0') + body, 32) + body;
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

TEST(DownloadChecksum, SystemMd5TheSizeTextRuleAndProgramListsReadOnlyWhenWhole) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "D174AB98D277D9F5A5611C2C9F419D9F"},
        {std::string("1234567890") + "1234567890123456789012345678901234567890" +
             "123456789012345678901234567890",
         "57EDF4A22BE3C955AC49DA2E2107B67A"}};
    for (const auto& [text, digest] : vectors)
        EXPECT_EQ(digestOf(text), digest) << text;
    EXPECT_EQ(digestOf("", DigestKind::Sha256),
              "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855");
    EXPECT_EQ(digestOf("abc", DigestKind::Sha256),
              "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");

    // MD5 of "5hello" for an archive; of "37hello" for a list (the size is the whole file's).
    EXPECT_EQ(checksumOf("hello", 0), "2D7F743E626E75E559AA483FAF851518");
    EXPECT_EQ(checksumOf(std::string(32, 'X') + "hello", 32), "A2D8C7EE61DAB7A69E93346FB490335A");

    // All 32 digits count, case too; an empty or short expectation never matches.
    const std::string sum = "2D7F743E626E75E559AA483FAF851518";
    EXPECT_TRUE(checksumMatches(sum, sum + " trailing"));
    EXPECT_FALSE(checksumMatches(sum, sum.substr(0, 31)) || checksumMatches("", "") ||
                 checksumMatches(sum, "2d7f743e626e75e559aa483faf851518"));

    // A program list's entries are read only from a whole valid list.
    const std::string lame = "*lame 3.100\nhost.one\n/tools/lame.zip\nABC\n";
    const std::string flac = "*flac\nhost.two\n/flac.zip\nDEF\n";
    const std::string pin = "sha256 " + std::string(32, 'a') + std::string(32, '9') + "\n";
    std::vector<uint8_t> tampered = programList(flac + lame);
    tampered.back() = 'X';
    std::vector<uint8_t> tooShort(31, 'A');
    struct Case {
        std::vector<uint8_t> list;
        const char* key;
        const char* expected; // "server|path|md5|sha256", or nullptr for a refused lookup
    } cases[] = {
        {programList("intro line\n" + flac + lame), "*lame", "host.one|/tools/lame.zip|ABC|"},
        {programList(lame + "*lame\nother\n/x.zip\nXYZ\n"), "*lame",
         "host.one|/tools/lame.zip|ABC|"},
        {programList("*ogg\nh\n/o.zip\nGHI"), "*ogg", "h|/o.zip|GHI|"}, // no last line feed
        {programList(flac + lame), "*ogg", nullptr},
        {programList(flac + lame), "", nullptr},
        {tampered, "*lame", nullptr},
        {programList("*lame\r\nhost.one\r\n/l.zip\r\nABC\r\n"), "*lame", nullptr},
        {programList("*lame\nhost.one\n/l.zip\n"), "*lame", nullptr}, // cut short
        {programList("*lame\n" + std::string(520, 'h') + "\n/l.zip\nABC\n"), "*lame", nullptr},
        {tooShort, "*lame", nullptr},
        // A pin in any case is kept in upper case; a reader of four lines skips it.
        {programList(lame + pin + flac), "*lame",
         "host.one|/tools/"
         "lame.zip|ABC|AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA99999999999999999999999999999999"},
        {programList(lame + pin + flac), "*flac", "host.two|/flac.zip|DEF|"},
        {programList(lame + pin.substr(0, 70) + "\n"), "*lame", nullptr}, // a pin cut short
        {programList(lame + "sha256: " + pin.substr(7)), "*lame", nullptr},
    };
    for (const Case& c : cases) {
        DownloadRequest request{};
        setFieldText(request.serverName, "left over");
        bool found = readProgramListEntry(c.list, c.key, request);
        std::string fields = std::string(fieldText(request.serverName)) + "|" +
                             std::string(fieldText(request.urlPath)) + "|" +
                             std::string(fieldText(request.expectedMd5)) + "|" +
                             std::string(fieldText(request.expectedSha256));
        EXPECT_EQ(found, c.expected != nullptr) << c.key << " " << fields;
        EXPECT_EQ(fields, c.expected ? c.expected : "|||") << c.key;
    }
}

P256PublicKey keyOf(std::string_view hex) {
    P256PublicKey key{};
    std::vector<uint8_t> bytes = fromHex(hex);
    std::copy(bytes.begin(), bytes.end(), key.begin());
    return key;
}

TEST(ListSignature, RFC6979VectorsForP256AndListsSignedByThePublishersTool) {
    const P256PublicKey key = keyOf(
                            "60FED4BA255A9D31C961EB74C6356D68C049B8923B61FA6CE669622E60F29FB6"
                            "7903FE1008B8BC99A41AE9E95628BC64F2F1B20C2D7E9F5177A3C294D4462299"),
                        generator = keyOf(
                            "6B17D1F2E12C4247F8BCE6E563A440F277037D812DEB33A0F4A13945D898C296"
                            "4FE342E2FE1A7F9B8EE7EB4A7C0F9E162BCE33576B315ECECBB6406837BF51F5");
    P256PublicKey offCurve = key;
    offCurve[63] ^= 1;
    for (auto [message, hex] :
         {std::pair{"sample", "EFD48B2AACB6A8FD1140DD9CD45E81D69D2C877B56AAF991C34D0EA84EAF3716"
                              "F7CB1C942D657C41D436C7A1B6E29F65F3E900DBB9AFF4064DC4AB2F843ACDA8"},
          {"test", "F1ABB023518351CD71D881567B1EA663ED3EFCF6C5132B354F28D3B0B7D38367"
                   "019F4113742A2B14BD25926B49C649155F267E60D3814B4C0CC84250E46F0083"}}) {
        const std::vector<uint8_t> digest = sha256Of(test::textBytes(message)).value(),
                                   good = fromHex(hex);
        EXPECT_TRUE(verifyP256Digest(digest, good, key)) << message;
        for (size_t bit : {20u, 300u}) { // in r, in s
            std::vector<uint8_t> flipped = good;
            flipped[bit / 8] ^= static_cast<uint8_t>(1 << (bit % 8));
            EXPECT_FALSE(verifyP256Digest(digest, flipped, key)) << message << bit;
        }
        EXPECT_FALSE(verifyP256Digest(sha256Of(test::textBytes(message + std::string("."))).value(),
                                      good, key));
        EXPECT_FALSE(verifyP256Digest(digest, good, generator) ||
                     verifyP256Digest(digest, good, offCurve));
        EXPECT_FALSE(verifyP256Digest(digest, std::span(good).first(63), key));
    }

#ifndef _WIN32 // the publisher's tool is native; it pins and signs, each refusal names its reason
    std::optional<SigningKey> publisher = SigningKey::generate(), other = SigningKey::generate();
    ASSERT_TRUE(publisher && other);
    EXPECT_EQ(SigningKey::fromPem(publisher->pem())->publicKey(), publisher->publicKey());
    auto archives = [](std::string_view name) -> std::optional<std::vector<uint8_t>> {
        if (name == "lame.zip") return test::textBytes(name);
        return std::nullopt;
    };
    std::string error;
    const std::string source =
        std::string(32, 'F') + "signer 0\n*lame\nh\n/x/lame.zip\nOLD\nsha256 0\n";
    auto sign = [&](const SigningKey& signer) {
        std::vector<uint8_t> list =
            test::textBytes(pinList(source, signer.publicKey(), archives, error).value());
        std::array<uint8_t, 64> signature = signer.sign(list).value();
        return std::pair{list, std::optional(std::vector(signature.begin(), signature.end()))};
    };
    auto [list, signature] = sign(*publisher);
    DownloadRequest request{};
    EXPECT_TRUE(readProgramListEntry(list, "*lame", request)); // the list's own checksum holds
    EXPECT_EQ(fieldText(request.expectedMd5), checksumOf("lame.zip", 0));
    EXPECT_EQ(fieldText(request.expectedSha256), digestOf("lame.zip", DigestKind::Sha256));
    EXPECT_FALSE(
        pinList(source + "*ogg\nh\n/ogg.zip\nX\n", publisher->publicKey(), archives, error));

    std::vector<uint8_t> altered = list, shorter = *signature;
    altered.back() = ' ';
    shorter.pop_back();
    const P256PublicKey keys[] = {other->publicKey(), publisher->publicKey()}; // any of them
    auto [foreign, foreignSignature] = sign(*other);
    struct Case {
        std::span<const uint8_t> list;
        std::optional<std::vector<uint8_t>> signature;
        std::span<const P256PublicKey> keys;
        ListSignature verdict;
        std::string_view refusal;
    } cases[] = {
        {list, signature, keys, ListSignature::Valid, ""},
        {list, std::nullopt, keys, ListSignature::Missing, kListUnsignedMessage},
        {list, shorter, keys, ListSignature::Damaged, kListSignatureDamagedMessage},
        {altered, signature, keys, ListSignature::Altered, kListAlteredMessage},
        {foreign, foreignSignature, std::span(keys).subspan(1), ListSignature::UnknownKey,
         kListUnknownKeyMessage},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(checkListSignature(c.list, c.signature, c.keys), c.verdict) << c.refusal;
        EXPECT_EQ(listRefusal(c.verdict, true).value_or(""), c.refusal);
        EXPECT_EQ(listRefusal(c.verdict, false), std::nullopt);
    }
#endif
}

TEST(DownloadRules, BoundsPlainHttpTheArchiveChecksumAndPlainNames) {
    EXPECT_EQ(downloadBound(std::nullopt, 1000), 1000);
    EXPECT_EQ(downloadBound(1000, 1000), 1000);
    EXPECT_EQ(downloadBound(1001, 1000), std::nullopt);

    DownloadRequest list{}, pinned{}, unpinned{};
    setFieldText(list.urlPath, kProgramListPath);
    setFieldText(pinned.expectedSha256, digestOf("zip", DigestKind::Sha256));
    setFieldText(pinned.expectedMd5, checksumOf("zip", 0));
    setFieldText(unpinned.expectedMd5, checksumOf("zip", 0));
    for (bool refuse : {true, false}) {
        EXPECT_TRUE(plainHttpAllowed(list, refuse) && plainHttpAllowed(pinned, refuse));
        EXPECT_EQ(plainHttpAllowed(unpinned, refuse), !refuse);
    }
    // A pin is checked instead of the checksum, also when that one would hold.
    for (auto [request, bytes, holds] : {std::tuple{&pinned, "zip", true},
                                         {&pinned, "zap", false},
                                         {&unpinned, "zip", true},
                                         {&unpinned, "zap", false}}) {
        setFieldText(pinned.expectedMd5, checksumOf(bytes, 0));
        MemorySource source(reinterpret_cast<const uint8_t*>(bytes), 3);
        EXPECT_EQ(downloadChecksumHolds(source, *request), holds) << bytes;
    }

    // Only plain names stay in their folder.
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

TEST_F(ProgramSearch, FindFileInTreeSearchesDepthFirstWithinItsLimits) {
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
    // Folder links are skipped, and the search ends at its depth and path limits.
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

TEST_F(ProgramSearch, TheBinFolderComesFirstManualSearchesStartBesideAndFiltersNameTheProgram) {
    place("aaa/lame.exe");
    std::string inBin = place("bin/lame.exe");
    EXPECT_EQ(findProgramInTree(dir.dir(), 8), inBin);
    std::string library = place("zzz/AC3enc.dll");
    EXPECT_EQ(findProgramInTree(dir.dir(), 11), library);
    // Window programs are found by their windows, not in the tree.
    place("bin/surcodedts.exe");
    for (int index : {0, 10, 12})
        EXPECT_EQ(findProgramInTree(dir.dir(), index), std::nullopt) << index;
    // A manual search starts beside an existing program, else in the folder.
    std::string lame = place("x/lame.exe");
    EXPECT_EQ(manualSearchDirectory(lame, dir.dir()), dir.file("x") + kPathSeparator);
    EXPECT_EQ(manualSearchDirectory("C:\\", dir.dir()), dir.dir());
    EXPECT_EQ(manualSearchDirectory(dir.file("x"), dir.dir()), dir.dir()); // a folder is no program
    // The open-file filters name the program, a .dll for the AC3 library.
    EXPECT_EQ(openFileFilterName(8), "Lame encoder (*.exe)");
    EXPECT_EQ(openFileFilterName(11), "Ac3 encoder dll (*.dll)");
    EXPECT_EQ(openFileFilterName(0), "Surcode CD Pro (*.exe)");
    EXPECT_EQ(openFileFilterName(12), "");
}

} // namespace
} // namespace corv
