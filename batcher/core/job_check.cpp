#include "batcher/core/job_check.h"

#include "batcher/encoders/command_line.h"
#include "protocol/job_types.h"

#include <cstring>

namespace corv {
namespace {

constexpr const char* kSlotNames[kChannelSlots] = {"L", "R", "C", "LFE", "LS", "RS"};
constexpr const char kBadPath[] = " holds a character that cannot be in a file name";
constexpr const char kNotFull[] = " is not a full path (a drive or \\\\server\\share\\ first)";
constexpr char kSeparator = '\\'; // a job's paths are Windows paths on every platform

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDriveColon(std::string_view path, size_t at) {
    return at == 1 && isLetter(path[0]);
}

// Why the field cannot be used as a path of this job; nothing when it can.
template <size_t N>
std::optional<std::string> pathProblem(const char (&field)[N], const std::string& name, bool full) {
    std::string_view path = fieldText(field);
    if (!isPlausiblePath(path)) return name + kBadPath;
    if (full && !isFullPath(path)) return name + kNotFull;
    return std::nullopt;
}

std::optional<std::string> invalidChannelFile(const char (&files)[kChannelSlots][kPathFieldSize]) {
    for (int slot = 0; slot < kChannelSlots; ++slot) {
        const bool used = files[slot][0] != '\0';
        if (auto problem = pathProblem(
                files[slot], "the " + std::string(kSlotNames[slot]) + " channel file", used))
            return problem;
    }
    return std::nullopt;
}

} // namespace

bool isPlausiblePath(std::string_view path) {
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (c < 0x20 || c == 0x7f) return false;
        if (std::strchr("\"<>|*?", c) != nullptr) return false;
        if (c == ':' && !isDriveColon(path, i)) return false;
    }
    return true;
}

bool isFullPath(std::string_view path) {
    if (path.size() >= 3 && isLetter(path[0]) && path[1] == ':' && path[2] == kSeparator)
        return true;
    if (path.size() < 2 || path[0] != kSeparator || path[1] != kSeparator) return false;
    const size_t server = path.find(kSeparator, 2);
    if (server == std::string_view::npos || server == 2) return false;
    const size_t shareEnd = path.find(kSeparator, server + 1);
    return shareEnd != std::string_view::npos && shareEnd > server + 1;
}

std::optional<std::string> findInvalidField(const JobRecord& job) {
    std::optional<JobTypeInfo> info = jobTypeInfo(job.jobType);
    const bool namesOutput = info && info->runner != RunnerKind::ConsoleProgram;
    if (auto problem = pathProblem(job.jobName, "the job name", false)) return problem;
    if (auto problem = pathProblem(job.outputDirectory, "the output directory", namesOutput))
        return problem;
    if (auto problem = pathProblem(job.baseName, "the base name", false)) return problem;
    if (!info) return std::nullopt; // its settings are never read
    switch (info->type) {
    case JobType::SurcodeCdPro:
    case JobType::SurcodeDvd:
        return invalidChannelFile(job.settings.surcode.channelFiles);
    case JobType::SonicFoundry:
        return invalidChannelFile(job.settings.sonicFoundry.channelFiles);
    case JobType::TwoLame:
        if (!isTwoLameMode(job.settings.twoLame.channelMode))
            return "the TwoLAME channel mode is not one of s, j, d, m";
        break;
    default:
        break;
    }
    // Every single-file layout begins with the input path.
    return pathProblem(job.settings.lame.inputPath, "the input path", true);
}

} // namespace corv
