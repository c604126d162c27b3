// Our unzip against archives from Debian's zip: stored, deflated, bzip2 (not read), nested
// folders (dropped), damaged and hostile ones. Native only: it runs the zip program.
#include "batcher/unzipper/unzip_command.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>

namespace corv {
namespace {

namespace fs = std::filesystem;

TEST(Unzip, WritesEveryGoodEntryFlatAndFailsOnDamagedOrHostileOnes) {
    test::TempDir temp;
    const fs::path source = temp.path() / "source", out = temp.path() / "out";
    std::string program(200000, '\0');
    for (size_t i = 0; i < program.size(); ++i)
        program[i] = static_cast<char>((i * 7919 + i / 97) % 251); // compresses, not trivially
    const std::map<std::string, std::string> files = {
        {"lame.exe", program},
        {"docs/readme.txt", "Read me\n"},
        {"bin/x86/lame_enc.dll", "library " + std::string(5000, 'L')},
        {"aa/evil.exe", "harmless until renamed"}};
    for (const auto& [name, bytes] : files) { // names in local and central headers alike
        fs::create_directories((source / name).parent_path());
        test::writeText((source / name).string(), bytes);
    }
    auto zip = [&](const std::string& options) {
        std::string archive = temp.file("made.zip");
        fs::remove(archive);
        std::string command = "cd '" + source.string() + "' && zip -q -r " + options + " '" +
                              archive + "' . >/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << "zip missing? run scripts/setup.sh";
        return test::readText(archive);
    };
    const std::string stored = zip("-0"), deflated = zip("-9"), bzip2 = zip("-Z bzip2");
    std::string badDeflate = deflated;
    size_t data = badDeflate.find("lame.exe") + 8 + 200; // well inside its data
    for (size_t i = data; i < data + 64; ++i)
        badDeflate[i] = static_cast<char>(~badDeflate[i]);

    const std::set<std::string> all = {"lame.exe", "readme.txt", "lame_enc.dll", "evil.exe"};
    auto allBut = [&](const std::string& name) {
        std::set<std::string> some = all;
        some.erase(name);
        return some;
    };
    struct Case {
        std::string archive;
        const char* message;           // "" for none
        std::set<std::string> written; // exactly what is in the folder afterwards
    } cases[] = {
        {stored, "", all},
        {deflated, "", all},
        {test::replaced(stored, program.substr(100000, 64), std::string(64, 'x')),
         "lame.exe: damaged: CRC mismatch", allBut("lame.exe")},
        {badDeflate, "lame.exe: damaged", allBut("lame.exe")},
        {deflated.substr(0, deflated.size() - 30), "no end of central directory", {}},
        {bzip2, "lame.exe: compression method 12 is not supported", {"readme.txt", "evil.exe"}},
        {test::replaced(deflated, "aa/evil.exe", "../evil.exe"),
         "../evil.exe: refused: the name could reach outside the target folder",
         allBut("evil.exe")},
        {test::replaced(deflated, "aa/evil.exe", "C:/evil.exe"), "C:/evil.exe: refused",
         allBut("evil.exe")},
        {test::replaced(deflated, "aa/evil.exe", "..\\evil.exe"), "..\\evil.exe: refused",
         allBut("evil.exe")},
        {test::replaced(stored, "aa/evil.exe", "aa/com1.exe"), "aa/com1.exe: refused",
         allBut("evil.exe")},
    };
    for (const Case& c : cases) {
        fs::remove_all(out);
        fs::create_directories(out);
        test::writeText(temp.file("case.zip"), c.archive);
        std::ostringstream messages;
        int exitCode = runUnzip({"-o", "-j", "-d", out.string(), temp.file("case.zip")}, messages);
        EXPECT_EQ(exitCode, *c.message ? 1 : 0) << c.message << messages.str();
        EXPECT_NE(messages.str().find(c.message), std::string::npos) << messages.str();
        std::set<std::string> present;
        for (const auto& entry : fs::directory_iterator(out))
            present.insert(entry.path().filename().string());
        EXPECT_EQ(present, c.written) << c.message;
        for (const auto& [name, bytes] : files) {
            fs::path written = out / fs::path(name).filename();
            EXPECT_EQ(fs::exists(written) ? test::readText(written.string()) : bytes, bytes)
                << c.message;
        }
        EXPECT_FALSE(fs::exists(temp.path() / "evil.exe")) << c.message;
    }
    std::ostringstream messages;
    EXPECT_EQ(runUnzip({"-o", "-d", out.string(), temp.file("case.zip")}, messages), 2); // no -j
    EXPECT_EQ(runUnzip({"-o", "-j", "-d", out.string(), temp.file("none.zip")}, messages), 1);
}

} // namespace
} // namespace corv
