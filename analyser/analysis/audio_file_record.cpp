#include "analyser/analysis/audio_file_record.h"

#include "platform/file_stream.h"
#include "platform/path.h"

#include <filesystem>
#include <system_error>

namespace corv {

std::string_view directoryOfPath(std::string_view path) {
    std::string_view upTo = upToLastSeparator(path);
    if (upTo.empty()) return upTo;
    const bool onlySeparator = path.find(kPathSeparator) == upTo.size() - 1;
    return onlySeparator ? upTo : upTo.substr(0, upTo.size() - 1);
}

int64_t measureFileSize(const std::string& path) {
    FileStream file;
    if (!file.open(path, FileStream::Mode::Read)) return -1;
    return file.length();
}

namespace {

bool isFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(std::filesystem::path(path), error);
}

} // namespace

bool initAudioFileRecord(AudioFileRecord& record, std::string_view path) {
    if (path.empty() || path.find(kPathSeparator) == std::string_view::npos) return false;
    const std::string text(path);
    // Some systems open folders for reading too; they are never list entries.
    if (!canOpenForReading(text) || isFolder(text)) return false;

    AudioFileRecord fresh;
    // A path that does not fit is refused rather than cut to another file's name.
    if (!setFieldText(fresh.path, path) || !setFieldText(fresh.name, afterLastSeparator(path)) ||
        !setFieldText(fresh.directory, directoryOfPath(path)))
        return false;
    fresh.format = FileFormat::Unanalysed;
    fresh.peak = -1.0;
    fresh.result = ConversionResult::NotConverted;
    fresh.fileSize = measureFileSize(text);
    record = fresh;
    return true;
}

} // namespace corv
