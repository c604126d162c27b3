// Finding an encoder in Quillmere's folder tree, on real folders.
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
}

} // namespace
} // namespace corv
