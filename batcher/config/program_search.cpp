#include "batcher/config/program_search.h"

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/text_format.h"
#include "protocol/fixed_text.h"

#include <array>

namespace corv {
namespace {

constexpr std::array<ProgramSearchInfo, 12> kPrograms{{
    {"surcodedts.exe", "Surcode CD Pro"},
    {"surcodedvd.exe", "Surcode DVD"},
    {"twolame.exe", "Twolame"},
    {"mac.exe", "Ape encoder"},
    {"flac.exe", "Flac encoder"},
    {"wavpack.exe", "Wavpack encoder"},
    {"aacenc32.exe", "Nero Fends"},
    {"mppenc.exe", "Mpc encoder"},
    {"lame.exe", "Lame encoder"},
    {"oggenc.exe", "Ogg encoder"},
    {"SFTENCDD.EXE", "Sonic Foundry Softencode"},
    {"AC3enc.dll", "Ac3 encoder dll"},
}};

constexpr int kLibraryIndex = 11;

bool searchesTree(int index) {
    return (index >= 2 && index <= 9) || index == kLibraryIndex;
}

} // namespace

std::optional<ProgramSearchInfo> programSearchInfo(int programIndex) {
    if (programIndex < 0 || programIndex >= static_cast<int>(kPrograms.size())) return std::nullopt;
    return kPrograms[static_cast<size_t>(programIndex)];
}

std::optional<std::string> FindFileInTree(const std::string& directory,
                                          const std::string& fileName) {
    return findFileInTree(directory, fileName, kPathFieldSize);
}

std::optional<std::string> findProgramInTree(const std::string& programDirectory,
                                             int programIndex) {
    if (!searchesTree(programIndex)) return std::nullopt;
    std::string fileName(kPrograms[static_cast<size_t>(programIndex)].fileName);
    std::string inBin = programDirectory + "bin" + kPathSeparator + fileName;
    if (inBin.size() < kPathFieldSize && isExistingFile(inBin)) return inBin;
    return FindFileInTree(programDirectory, fileName);
}

std::string manualSearchDirectory(const std::string& editText,
                                  const std::string& programDirectory) {
    if (isExistingFile(editText)) return std::string(upToLastSeparator(editText));
    return programDirectory;
}

std::string cantFindQuestion(std::string_view fileName) {
    return formatText("Cant find \"%.*s\" in Quillmere's directory or one of its sub-dir's. Do you "
                      "want to find it "
                      "manually?",
                      static_cast<int>(fileName.size()), fileName.data());
}

std::string startProgramFirstQuestion(std::string_view programName, std::string_view windowTitle) {
    return formatText(
        "You have to start %.*s before it can be found. Currently Quillmere cant find a window "
        "with "
        "the title \"%.*s\" and the correct filename. Do you want to find it manually?",
        static_cast<int>(programName.size()), programName.data(),
        static_cast<int>(windowTitle.size()), windowTitle.data());
}

std::string openFileFilterName(int programIndex) {
    std::optional<ProgramSearchInfo> info = programSearchInfo(programIndex);
    if (!info) return std::string();
    return std::string(info->findName) +
           std::string(openFileFilterPattern(programIndex) == "*.dll" ? " (*.dll)" : " (*.exe)");
}

std::string_view openFileFilterPattern(int programIndex) {
    return programIndex == kLibraryIndex ? "*.dll" : "*.exe";
}

} // namespace corv
