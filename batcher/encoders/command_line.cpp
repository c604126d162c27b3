#include "batcher/encoders/command_line.h"

#include "batcher/encoders/output_name.h"
#include "batcher/encoders/text_format.h"
#include "platform/path.h"
#include "protocol/job_types.h"

#include <cstring>
#include <string_view>

namespace corv {
namespace {

struct ConsoleFiles {
    std::string input;
    std::string inputDirectory;
    std::string stem;
    std::string output;
};

struct ProgressHints {
    std::string marker;
    char separator;
    uint8_t firstOccurrence;
};

constexpr const char* kNeroPresets[] = {"tape",   "radio",   "internet",   "streaming",
                                        "normal", "extreme", "audiophile", "transcoding"};
constexpr const char* kLamePresets[] = {"medium", "standard", "extreme", "insane"};
constexpr const char* kMpcPresets[] = {"thumb", "radio", "standard", "xtreme"};

bool isConsoleJob(int32_t type) {
    return type >= static_cast<int32_t>(JobType::TwoLame) &&
           type <= static_cast<int32_t>(JobType::OggVorbis);
}

std::string quotedPair(const ConsoleFiles& files) {
    return formatText(" \"%s\" \"%s\"", files.input.c_str(), files.output.c_str());
}

std::string wavPackArguments(const WavPackSettings& s, const ConsoleFiles& files) {
    std::string args = " ";
    appendPrintf(args, " -j%i", s.jointStereo ? 1 : 0);
    if (s.selfExtracting) args += " -e";
    if (s.copyTimestamp) args += " -t";
    if (s.storeMd5) args += " -m";
    if (s.lossless) {
        if (s.losslessCompression == 0)
            args += " -f";
        else if (s.losslessCompression != 1)
            args += " -h";
    } else {
        appendPrintf(args, " -b%i", s.hybridBitrate);
        if (s.highQuality) args += " -h";
        if (s.correctionFile) args += " -c";
    }
    return args + quotedPair(files);
}

std::string neroArguments(const NeroAacSettings& s, const ConsoleFiles& files) {
    std::string args = " ";
    if (!s.vbr)
        appendPrintf(args, " -cbr %i", s.constantBitrate);
    else if (s.vbrPreset >= 0 && s.vbrPreset <= 7)
        appendPrintf(args, " -vbr %s", kNeroPresets[s.vbrPreset]);
    else
        appendPrintf(args, " -vbr %i", s.vbrPreset); // an unknown preset shows as its number
    args += s.heProfile ? " -profile HE" : " -profile LC";
    args += s.highQuality ? " -quality high" : " -quality fast";
    if (s.pns) args += " -pns";
    if (s.keepAllFrequencies) args += " -k";
    if (s.isoAacOutput) args += " -aac";
    return args + quotedPair(files);
}

std::string lameArguments(const LameSettings& s, const ConsoleFiles& files) {
    std::string args = " ";
    switch (s.bitrateMode) {
    case 0:
        if (s.preset >= 0 && s.preset <= 3)
            appendPrintf(args, " --preset %s", kLamePresets[s.preset]);
        break;
    case 1:
        appendPrintf(args, " -V %i", s.vbrQuality);
        break;
    case 2:
        appendPrintf(args, " --alt-preset %i", s.abrBitrate);
        break;
    case 3:
        appendPrintf(args, " --alt-preset cbr %i", s.constantBitrate);
        break;
    default:
        break;
    }
    appendPrintf(args, " -q %i", s.algorithmQuality);
    return args + quotedPair(files);
}

std::string arguments(const JobRecord& job, const ConsoleFiles& files) {
    const EncoderSettings& s = job.settings;
    const char* in = files.input.c_str();
    const char* out = files.output.c_str();
    switch (static_cast<JobType>(job.jobType)) {
    case JobType::TwoLame:
        return formatText(" -b %i -m %c \"%s\" \"%s\" ", s.twoLame.bitrate, s.twoLame.channelMode,
                          in, out);
    case JobType::Ape:
        return formatText(" \"%s\" \"%s\" -c%i", in, out, s.ape.compressionLevel);
    case JobType::Flac:
        return formatText(" -%i %s %s \"%s\" -o \"%s\"", s.flac.compressionLevel,
                          s.flac.storeReplayGain ? "--replay-gain" : "",
                          s.flac.oggContainer ? "--ogg" : "", in, out);
    case JobType::WavPack:
        return wavPackArguments(s.wavPack, files);
    case JobType::NeroAac:
        return neroArguments(s.neroAac, files);
    case JobType::Mpc: {
        int32_t preset = s.mpc.qualityPreset;
        if (preset < 0 || preset > 3) return std::string();
        return formatText(" --%s \"%s\"  \"%s\"", kMpcPresets[preset], in, out);
    }
    case JobType::Lame:
        return lameArguments(s.lame, files);
    case JobType::OggVorbis:
        if (s.oggVorbis.qualityMode)
            return formatText(" -q %f \"%s\" -o \"%s\"", static_cast<double>(s.oggVorbis.quality),
                              in, out);
        return formatText(" -b %i \"%s\" -o \"%s\"", s.oggVorbis.bitrate, in, out);
    default:
        return std::string();
    }
}

ProgressHints progressHints(const JobRecord& job, const std::string& stem) {
    switch (static_cast<JobType>(job.jobType)) {
    case JobType::TwoLame:
        return {"Ancillary bits", '[', 0};
    case JobType::Ape:
        return {"Progress", ':', 0};
    case JobType::Flac:
        return {stem, ':', 0};
    case JobType::WavPack:
        return {stem, ',', 0};
    case JobType::NeroAac:
        return {"Frame", '(', 0};
    case JobType::Mpc:
        return {"ETA", ' ', 1};
    case JobType::Lame:
        return {"ETA", '(', 1};
    case JobType::OggVorbis:
        return {job.settings.oggVorbis.qualityMode ? "quality" : "reader", '[', 1};
    default:
        return {"", 0, 0};
    }
}

BuildOutcome consoleFiles(const JobRecord& job, bool preview, ConsoleFiles& files) {
    std::string extension = outputExtension(job);
    if (preview) {
        files = {kPreviewInputPath, kPreviewInputDirectory, kPreviewStem,
                 kPreviewOutputStem + extension};
        return BuildOutcome::success();
    }
    // Every single-file layout begins with the input path.
    files.input = std::string(fieldText(job.settings.lame.inputPath));
    files.inputDirectory = std::string(upToLastSeparator(files.input));
    files.stem = std::string(stemOfPath(files.input));
    return chooseOutputName(files.inputDirectory, files.stem, extension, files.output);
}

BuildOutcome fill(const JobRecord& job, const BatcherSettings& settings, bool preview,
                  CommandLineRecord& record, std::string* outputPath) {
    if (job.jobType == static_cast<int32_t>(JobType::TwoLame) &&
        !isTwoLameMode(job.settings.twoLame.channelMode))
        return BuildOutcome::failure("The TwoLAME channel mode is not one of s, j, d, m");
    ConsoleFiles files;
    if (BuildOutcome found = consoleFiles(job, preview, files); !found.ok) return found;
    std::string args = arguments(job, files);
    ProgressHints hints = progressHints(job, files.stem);
    if (!setFieldText(record.inputDirectory, files.inputDirectory))
        return BuildOutcome::failure("The input folder is longer than a path may be");
    if (!setFieldText(record.programPath,
                      fieldText(settings.programPath[job.jobType - kFirstJobType])))
        return BuildOutcome::failure("The program path is longer than a path may be");
    if (!setFieldText(record.arguments, args))
        return BuildOutcome::failure("The command line does not fit in 5200 characters");
    if (!setFieldText(record.progressMarker, hints.marker))
        return BuildOutcome::failure("The progress marker is longer than a path may be");
    record.progressSeparator = hints.separator;
    record.firstOccurrence = hints.firstOccurrence;
    if (outputPath) *outputPath = std::move(files.output);
    return BuildOutcome::success();
}

} // namespace

std::string outputExtension(const JobRecord& job) {
    switch (static_cast<JobType>(job.jobType)) {
    case JobType::TwoLame:
        return ".mp2";
    case JobType::Ape:
        return ".ape";
    case JobType::Flac:
        return ".flac";
    case JobType::WavPack:
        return job.settings.wavPack.selfExtracting ? ".exe" : ".wv";
    case JobType::NeroAac:
        return ".aac";
    case JobType::Mpc:
        return ".mpc";
    case JobType::Lame:
        return ".mp3";
    case JobType::OggVorbis:
        return ".ogg";
    case JobType::SonicFoundry:
        return ".ac3";
    default:
        return std::string();
    }
}

BuildOutcome BuildCommandLine(const JobRecord& job, const BatcherSettings& settings, bool preview,
                              CommandLineRecord& record, Notifier& notifier,
                              std::string* outputPath) {
    std::memset(&record, 0, sizeof record);
    if (!isConsoleJob(job.jobType)) {
        notifier.warn(kUnknownConsoleFormatMessage, kQuillmereTitle);
        return BuildOutcome::failure(std::string(kUnknownConsoleFormatMessage));
    }
    BuildOutcome outcome = fill(job, settings, preview, record, outputPath);
    if (!outcome.ok) std::memset(&record, 0, sizeof record);
    return outcome;
}

bool isTwoLameMode(char mode) {
    return mode != 0 && std::strchr(kTwoLameModes, mode) != nullptr;
}

std::string commandLineText(const CommandLineRecord& record) {
    return formatText("\"%.*s\" %.*s", static_cast<int>(fieldText(record.programPath).size()),
                      record.programPath, static_cast<int>(fieldText(record.arguments).size()),
                      record.arguments);
}

} // namespace corv
