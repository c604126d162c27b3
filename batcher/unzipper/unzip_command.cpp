#include "batcher/unzipper/unzip_command.h"

#include "batcher/unzipper/zip_archive.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/plain_file_name.h"

namespace corv {
namespace {

struct Options {
    bool overwrite = false;
    bool junkPaths = false;
    std::string directory;
    std::string archive;
};

std::optional<Options> parseOptions(const std::vector<std::string>& arguments) {
    Options options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-o")
            options.overwrite = true;
        else if (argument == "-j")
            options.junkPaths = true;
        else if (argument == "-d" && i + 1 < arguments.size())
            options.directory = arguments[++i];
        else if (options.archive.empty() && !argument.empty() && argument[0] != '-')
            options.archive = argument;
        else
            return std::nullopt;
    }
    // Only the flat form is made: an entry's folders are never created.
    if (!options.junkPaths || options.directory.empty() || options.archive.empty())
        return std::nullopt;
    if (options.directory.back() != '/' && options.directory.back() != kPathSeparator)
        options.directory += kPathSeparator;
    return options;
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// Writes one entry; false with the reason in `error`. A file cut short is removed.
bool writeEntry(ByteSource& archive, const ZipEntry& entry, const std::string& path,
                std::string& error) {
    FileStream out;
    if (!out.open(path, FileStream::Mode::Write)) {
        error = "cannot create " + path;
        return false;
    }
    bool written = extractEntry(
        archive, entry,
        [&](const uint8_t* data, size_t size) {
            if (out.write(data, size) == size) return true;
            error = "cannot write " + path;
            return false;
        },
        error);
    if (!out.close() && written) {
        error = "cannot write " + path;
        written = false;
    }
    if (!written) removeFile(path);
    return written;
}

} // namespace

std::optional<std::string> entryFileName(std::string_view entryName) {
    if (entryName.find(':') != std::string_view::npos) return std::nullopt;
    size_t partStart = 0;
    for (size_t i = 0; i <= entryName.size(); ++i) {
        if (i < entryName.size() && !isSeparator(entryName[i])) continue;
        if (entryName.substr(partStart, i - partStart) == "..") return std::nullopt;
        partStart = i + 1;
    }
    size_t last = entryName.find_last_of("/\\");
    std::string_view name = last == std::string_view::npos ? entryName : entryName.substr(last + 1);
    if (name.empty()) return std::string(); // a folder
    if (!isPlainFileName(name)) return std::nullopt;
    return std::string(name);
}

int runUnzip(const std::vector<std::string>& arguments, std::ostream& messages) {
    std::optional<Options> options = parseOptions(arguments);
    if (!options) {
        messages << "usage: unzip [-o] -j -d DIR ARCHIVE\n"
                    "  writes every file of ARCHIVE into the folder DIR without the archive's\n"
                    "  folders; -o replaces files that are there already\n";
        return kUnzipUsage;
    }
    const std::string& archiveName = options->archive;
    FileStream archive;
    if (!archive.open(archiveName, FileStream::Mode::Read)) {
        messages << "unzip: cannot open " << archiveName << "\n";
        return kUnzipFailed;
    }
    std::string error;
    std::optional<std::vector<ZipEntry>> entries = readCentralDirectory(archive, error);
    if (!entries) {
        messages << "unzip: " << archiveName << ": " << error << "\n";
        return kUnzipFailed;
    }
    int exitCode = kUnzipDone;
    for (const ZipEntry& entry : *entries) {
        std::optional<std::string> name = entryFileName(entry.name);
        if (name && name->empty()) continue;
        std::string path = name ? options->directory + *name : std::string();
        if (!name)
            error = "refused: the name could reach outside the target folder";
        else if (!options->overwrite && nameState(path) != NameState::Free)
            error = path + " exists (-o replaces it)";
        else if (writeEntry(archive, entry, path, error))
            continue;
        messages << "unzip: " << archiveName << ": " << entry.name << ": " << error << "\n";
        exitCode = kUnzipFailed;
    }
    return exitCode;
}

} // namespace corv
