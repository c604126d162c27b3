#include "batcher/core/job_check.h"

#include "protocol/job_types.h"

#include <cstring>

namespace corv {
namespace {

constexpr const char* kSlotNames[kChannelSlots] = {"L", "R", "C", "LFE", "LS", "RS"};
constexpr const char kBadPath[] = " holds a character that cannot be in a file name";

bool isDriveColon(std::string_view path, size_t at) {
    if (at != 1) return false;
    char drive = path[0];
    return (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
}

template <size_t N> bool plausible(const char (&field)[N]) {
    return isPlausiblePath(fieldText(field));
}

std::optional<std::string> invalidChannelFile(const char (&files)[kChannelSlots][kPathFieldSize]) {
    for (int slot = 0; slot < kChannelSlots; ++slot)
        if (!plausible(files[slot]))
            return "the " + std::string(kSlotNames[slot]) + " channel file" + kBadPath;
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

std::optional<std::string> findInvalidField(const JobRecord& job) {
    if (!plausible(job.jobName)) return std::string("the job name") + kBadPath;
    if (!plausible(job.outputDirectory)) return std::string("the output directory") + kBadPath;
    if (!plausible(job.baseName)) return std::string("the base name") + kBadPath;
    std::optional<JobTypeInfo> info = jobTypeInfo(job.jobType);
    if (!info) return std::nullopt; // its settings are never read
    switch (info->type) {
    case JobType::SurcodeCdPro:
    case JobType::SurcodeDvd:
        return invalidChannelFile(job.settings.surcode.channelFiles);
    case JobType::SonicFoundry:
        return invalidChannelFile(job.settings.sonicFoundry.channelFiles);
    case JobType::TwoLame: {
        char mode = job.settings.twoLame.channelMode;
        if (mode == 0 || std::strchr("sjdm", mode) == nullptr)
            return "the TwoLAME channel mode is not one of s, j, d, m";
        break;
    }
    default:
        break;
    }
    // Every single-file layout begins with the input path.
    if (!plausible(job.settings.lame.inputPath)) return std::string("the input path") + kBadPath;
    return std::nullopt;
}

} // namespace corv
