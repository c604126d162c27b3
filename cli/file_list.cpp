#include "cli/file_list.h"

#include "analyser/engine/entry_analysis.h"
#include "platform/path.h"
#include "protocol/fixed_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unordered_set>

namespace corv::cli {

namespace {

// Paths are UTF-8 text everywhere in the program, also where the file
// system's own strings are UTF-16.
std::filesystem::path fromText(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string toText(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Why initAudioFileRecord refused the path, in the order it checks.
std::string refusalReason(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(fromText(path), error)) return "is a folder";
    if (path.size() >= kPathFieldSize)
        return "path too long (" + std::to_string(path.size()) + " bytes, at most " +
               std::to_string(kPathFieldSize - 1) + ")";
    if (path.find(kPathSeparator) == std::string::npos) return "no folder in the path";
    errno = 0;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
        return "cannot be added to the list";
    }
    return errno ? std::strerror(errno) : "cannot be opened";
}

} // namespace

std::vector<AudioFileRecord*> FileList::entries() const {
    std::vector<AudioFileRecord*> list;
    list.reserve(records.size());
    for (const auto& record : records)
        list.push_back(record.get());
    return list;
}

std::string listPath(const std::string& argument) {
    std::filesystem::path path = fromText(argument);
    if (argument.empty()) return argument;
    if (!path.is_absolute()) {
        std::error_code error;
        std::filesystem::path absolute = std::filesystem::absolute(path, error);
        if (!error) path = absolute;
    }
    path.make_preferred();
    return toText(path);
}

FileList buildFileList(const std::vector<std::string>& arguments,
                       const ConversionSettings& settings, std::ostream& errors) {
    FileList list;
    std::unordered_set<std::string> seen;
    for (const std::string& argument : arguments) {
        std::string path = listPath(argument);
        if (!seen.insert(path).second) continue;
        auto record = std::make_unique<AudioFileRecord>();
        if (!initAudioFileRecord(*record, path)) {
            errors << "corvandale-cli: " << argument << ": " << refusalReason(path)
                   << "; skipped\n";
            list.skippedAny = true;
            continue;
        }
        analyseFile(*record, settings);
        list.records.push_back(std::move(record));
    }
    return list;
}

} // namespace corv::cli
