#include "analyser/engine/output_naming.h"

#include "analyser/analysis/audio_codes.h"
#include "platform/file_system.h"
#include "platform/free_name.h"
#include "platform/path.h"
#include "platform/text_format.h"
#include "platform/text_number.h"
#include "protocol/fixed_text.h"

#include <array>
#include <utility>

namespace corv {
namespace {

constexpr std::string_view kDelayMark = "DELAY";

constexpr std::array<const char*, 18> kSpeakerNames = {
    "_L",     "_R",     "_C",  "_LFE", "_SL",  "_SR",  "_floC", "_froC", "_bC",
    "_sideL", "_sideR", "_tC", "_tfL", "_tfC", "_tfR", "_tbL",  "_tbC",  "_tbR"};

std::optional<std::string_view> extensionFor(int32_t outputFormat) {
    switch (static_cast<FileFormat>(outputFormat)) {
    case FileFormat::WavePcm:
    case FileFormat::WaveNonPcm:
    case FileFormat::WaveFormatEx:
        return ".wav";
    case FileFormat::RawSamples:
        return ".raw";
    default:
        return std::nullopt;
    }
}

std::string outputBaseName(const AudioFileRecord& record, const ConversionSettings& settings,
                           RunMode mode) {
    std::string base(withoutExtension(fieldText(record.name)));
    if (settings.processDelay && delayMilliseconds(base) != 0) {
        // The delay is applied, so the name must no longer ask for it.
        base.replace(base.find(kDelayMark), kDelayMark.size(), "NOdel");
    }
    if (mode == RunMode::Stitch) base += "_Stitch";
    if (mode == RunMode::Merge) base += "_Merge";
    return base;
}

bool fitsField(const std::string& path) {
    return path.size() < kPathFieldSize;
}

std::string tooLong(const char* what, const std::string& path) {
    return formatText("The %s name \"%s\" is too long.", what, path.c_str());
}

std::string noFreeName(const char* what, const std::string& path) {
    return formatText("No free name was found for the %s \"%s\".", what, path.c_str());
}

// stem + extension, or the first free stem + "(i)" + extension. A name whose
// state cannot be told counts as taken, so numbering goes on past it.
std::optional<std::string> freeSingleName(const std::string& stem, std::string_view extension,
                                          const char* what, const NameTaken& taken,
                                          std::string& error) {
    FreeName found = firstFreeName(stem, extension, kPathFieldSize, [&](const std::string& path) {
        return taken(path) ? NameState::Taken : NameState::Free;
    });
    if (found.outcome == FreeName::Outcome::Found) return std::move(found.path);
    error = found.outcome == FreeName::Outcome::TooLong
                ? tooLong(what, found.path)
                : noFreeName(what, stem + std::string(extension));
    return std::nullopt;
}

int streamNumberWidth(uint32_t streamCount) {
    if (streamCount >= 10 && streamCount <= 100) return 2;
    if (streamCount >= 101 && streamCount <= 1000) return 3;
    return 1;
}

std::vector<PlannedStream> monoStreamSuffixes(uint32_t streamCount, uint32_t outputChannelMask) {
    std::vector<PlannedStream> streams(streamCount);
    int width = streamNumberWidth(streamCount);
    for (uint32_t s = 0; s < streamCount; ++s)
        streams[s].path = formatText("_ch%0*u", width, static_cast<unsigned>(s));
    size_t next = 0;
    for (size_t bit = 0; bit < kSpeakerNames.size() && next < streams.size(); ++bit) {
        uint32_t speaker = uint32_t{1} << bit;
        if (!(outputChannelMask & speaker)) continue;
        streams[next].path += kSpeakerNames[bit];
        streams[next].channelMask = speaker;
        ++next;
    }
    return streams;
}

NamingResult failed(std::string message) {
    NamingResult result;
    result.error = std::move(message);
    return result;
}

} // namespace

int64_t delayMilliseconds(std::string_view name) {
    size_t mark = name.find(kDelayMark);
    if (mark == std::string_view::npos) return 0;
    return leadingInteger(name.substr(mark + kDelayMark.size()), kMaxDelayMilliseconds);
}

int64_t delayFrames(std::string_view name, uint32_t sampleRate,
                    const ConversionSettings& settings) {
    if (!settings.processDelay) return 0;
    int64_t ms = delayMilliseconds(name);
    int64_t rate = sampleRate;
    // Whole seconds and the rest apart: ms * rate alone could pass 2^63 at
    // the largest rates, the two parts cannot.
    return ms / 1000 * rate + ms % 1000 * rate / 1000;
}

std::string outputDirectoryFor(const AudioFileRecord& record, const ConversionSettings& settings) {
    if (settings.sameAsInput) return std::string(upToLastSeparator(fieldText(record.path)));
    return std::string(fieldText(settings.outputDirectory));
}

NamingResult planOutputNames(const AudioFileRecord& record, const ConversionSettings& settings,
                             RunMode mode, uint32_t streamCount, uint32_t outputChannelMask,
                             const NameTaken& taken) {
    static const char kWhat[] = "output file";
    auto extension = extensionFor(settings.outputFormat);
    if (!extension)
        return failed(formatText("The output format %d cannot be written.",
                                 static_cast<int>(settings.outputFormat)));
    std::string stem =
        outputDirectoryFor(record, settings) + outputBaseName(record, settings, mode);

    NamingResult result;
    if (streamCount == 1) {
        std::string error;
        auto path = freeSingleName(stem, *extension, kWhat, taken, error);
        if (!path) return failed(std::move(error));
        result.streams.push_back({std::move(*path), outputChannelMask});
        return result;
    }
    if (streamCount == 0) return failed("There is no output stream to name.");

    // All streams share one number so that they stay together as a set.
    std::vector<PlannedStream> suffixes = monoStreamSuffixes(streamCount, outputChannelMask);
    for (int number = 0; number <= kMaxNameNumber; ++number) {
        result.streams = suffixes;
        bool anyTaken = false;
        for (auto& stream : result.streams) {
            stream.path = number > 0 ? numberedName(stem + stream.path, number, *extension)
                                     : stem + stream.path + std::string(*extension);
            if (!fitsField(stream.path)) return failed(tooLong(kWhat, stream.path));
            if (!anyTaken && taken(stream.path)) anyTaken = true;
        }
        if (!anyTaken) return result;
    }
    return failed(noFreeName(kWhat, stem + suffixes.front().path + std::string(*extension)));
}

std::string planTemporaryPath(const AudioFileRecord& record, const ConversionSettings& settings,
                              const NameTaken& taken, std::string& error) {
    std::string stem = outputDirectoryFor(record, settings) +
                       std::string(withoutExtension(fieldText(record.name)));
    auto path = freeSingleName(stem, ".corvandale.tmp", "temporary file", taken, error);
    return path ? *path : std::string();
}

bool takenOnDisk(const std::string& path) {
    return nameState(path) != NameState::Free;
}

} // namespace corv
