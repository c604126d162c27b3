// Our unzip against archives made by Debian's zip: stored and deflated,
// several entries in nested folders (junked), and damaged in the ways a
// download can be. Native only: it runs the zip program.
#include "batcher/unzipper/unzip_command.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

namespace corv {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Every occurrence replaced (local and central headers both carry the name).
std::string replaced(std::string bytes, const std::string& from, const std::string& to) {
    for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + 1))
        bytes.replace(at, from.size(), to);
    return bytes;
}

void setMethod(std::string& bytes, uint16_t method) {
    for (const auto& [signature, offset] : {std::pair{std::string("PK\1\2"), 10}, {"PK\3\4", 8}})
        for (size_t at = bytes.find(signature); at != std::string::npos;
             at = bytes.find(signature, at + 1)) {
            bytes[at + offset] = static_cast<char>(method & 0xFF);
            bytes[at + offset + 1] = static_cast<char>(method >> 8);
        }
}

class Unzip : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string program(200000, '\0');
        for (size_t i = 0; i < program.size(); ++i)
            program[i] = static_cast<char>((i * 7919 + i / 97) % 251); // compresses, not trivially
        files = {{"lame.exe", program},
                 {"docs/readme.txt", "Read me\n"},
                 {"bin/x86/lame_enc.dll", "library " + std::string(5000, 'L')},
                 {"aa/evil.exe", "harmless until renamed"}};
        for (const auto& [name, bytes] : files)
            writeAll(source / name, bytes);
        fs::create_directories(out);
    }
    // Makes an archive of the source folder with Debian's zip.
    std::string zipArchive(const std::string& name, const std::string& level) {
        std::string archive = temp.file(name);
        std::string command = "cd '" + source.string() + "' && zip -q -r " + level + " '" +
                              archive + "' . >/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << "zip missing? run scripts/setup.sh";
        return archive;
    }
    int unzip(std::vector<std::string> arguments, std::string& messages) {
        std::ostringstream text;
        int code = runUnzip(arguments, text);
        messages = text.str();
        return code;
    }
    test::TempDir temp;
    fs::path source = temp.path() / "source";
    fs::path out = temp.path() / "out";
    std::map<std::string, std::string> files;
};

TEST_F(Unzip, StoredAndDeflatedArchivesUnpackFlatAndReplace) {
    for (const char* level : {"-0", "-9"}) {
        std::string archive = zipArchive(std::string("a") + level + ".zip", level);
        std::string messages;
        EXPECT_EQ(unzip({"-o", "-j", "-d", out.string(), archive}, messages), 0) << messages;
        for (const auto& [name, bytes] : files)
            EXPECT_EQ(readAll(out / fs::path(name).filename()), bytes) << level << " " << name;
        EXPECT_FALSE(fs::exists(out / "docs")); // folders are dropped
        // Again: without -o the files are kept and said to be there; with -o replaced.
        writeAll(out / "lame.exe", "old");
        EXPECT_EQ(unzip({"-j", "-d", out.string(), archive}, messages), 1);
        EXPECT_NE(messages.find("lame.exe exists (-o replaces it)"), std::string::npos);
        EXPECT_EQ(readAll(out / "lame.exe"), "old");
        EXPECT_EQ(unzip({"-o", "-j", "-d", out.string(), archive}, messages), 0) << messages;
        EXPECT_EQ(readAll(out / "lame.exe"), files["lame.exe"]);
        fs::remove_all(out);
        fs::create_directories(out);
    }
}

TEST_F(Unzip, DamagedOrHostileArchivesFailAndLeaveNothingHalfWritten) {
    const std::string stored = readAll(zipArchive("stored.zip", "-0"));
    const std::string deflated = readAll(zipArchive("deflated.zip", "-9"));
    const std::string programStart = files["lame.exe"].substr(100000, 64);
    std::string badDeflate = deflated;
    size_t data = badDeflate.find("lame.exe") + 8 + 200; // well inside its data
    for (size_t i = 0; i < 64; ++i)
        badDeflate[data + i] = static_cast<char>(~badDeflate[data + i]);
    std::string otherMethod = deflated;
    setMethod(otherMethod, 12);
    const std::set<std::string> allButLame = {"readme.txt", "lame_enc.dll", "evil.exe"};
    const std::set<std::string> allButEvil = {"lame.exe", "readme.txt", "lame_enc.dll"};
    struct Case {
        std::string archive;
        const char* message;
        std::set<std::string> written; // exactly what is in the folder afterwards
    } cases[] = {
        {replaced(stored, programStart, std::string(64, 'x')), "lame.exe: damaged: CRC mismatch",
         allButLame},
        {badDeflate, "lame.exe: damaged", allButLame},
        {deflated.substr(0, deflated.size() - 30), "no end of central directory", {}},
        {otherMethod, "compression method 12 is not supported", {}},
        {replaced(deflated, "aa/evil.exe", "../evil.exe"),
         "../evil.exe: refused: the name could reach outside the target folder", allButEvil},
        {replaced(deflated, "aa/evil.exe", "C:/evil.exe"), "C:/evil.exe: refused", allButEvil},
        {replaced(stored, "aa/evil.exe", "aa/com1.exe"), "aa/com1.exe: refused", allButEvil},
    };
    for (const Case& c : cases) {
        fs::remove_all(out);
        fs::create_directories(out);
        std::string archive = temp.file("case.zip");
        writeAll(archive, c.archive);
        std::string messages;
        EXPECT_EQ(unzip({"-o", "-j", "-d", out.string(), archive}, messages), 1) << c.message;
        EXPECT_NE(messages.find(c.message), std::string::npos) << c.message << ": " << messages;
        std::set<std::string> present;
        for (const auto& entry : fs::directory_iterator(out))
            present.insert(entry.path().filename().string());
        EXPECT_EQ(present, c.written) << c.message;
        EXPECT_FALSE(fs::exists(temp.path() / "evil.exe")) << c.message;
    }
    std::string messages;
    EXPECT_EQ(unzip({"-o", "-d", out.string(), temp.file("stored.zip")}, messages), 2); // no -j
    EXPECT_EQ(unzip({"-o", "-j", "-d", out.string(), temp.file("none.zip")}, messages), 1);
    EXPECT_NE(messages.find("cannot open"), std::string::npos);
}

} // namespace
} // namespace corv
