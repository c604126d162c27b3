#include "batcher/encoders/sonic_text.h"

#include "batcher/encoders/output_name.h"
#include "batcher/encoders/text_format.h"
#include "protocol/job_types.h"
#include "protocol/messages.h"

#include <string>

namespace corv {
namespace {

constexpr const char* kChannelOptions[kChannelSlots] = {" -L %s", " -R %s", " -C %s",
                                                        " -e %s", " -l %s", " -r %s"};
constexpr const char* kPreviewChannelFiles[kChannelSlots] = {
    "C:\\L.wav", "C:\\R.wav", "C:\\C.wav", "C:\\LFE.wav", "C:\\SL.wav", "C:\\SR.wav"};

// A path with a blank is quoted, so that it stays one argument (a user
// folder such as "Jane Doe" is common); any other path stays as it is.
std::string argument(std::string_view path) {
    if (path.find_first_of(" \t") == std::string_view::npos) return std::string(path);
    return "\"" + std::string(path) + "\"";
}

} // namespace

std::string BuildSonicIni(const SonicFoundrySettings& s, bool indented) {
    const char* tab = indented ? "\t" : "";
    std::string text = formatText("%s[Parameters]\r\n", tab);
    auto number = [&](const char* key, int32_t value) {
        appendPrintf(text, "%s%s=%i\r\n", tab, key, value);
    };
    auto flag = [&](const char* key, uint8_t value) {
        appendPrintf(text, "%s%s=%s\r\n", tab, key, onOff(value));
    };
    number("DataRate", s.dataRate);
    number("SampleRate", s.sampleRateIndex);
    number("CodeMode", s.codingMode);
    flag("UseLFE", s.useLfe);
    number("DlgNorm", s.dialogNormalisation);
    number("CompressionType", s.compressionType);
    flag("RFCmpInUse", s.rfProtection);
    number("CMix", s.centreMixLevel);
    number("SurMix", s.surroundMixLevel);
    number("DolbySurround", s.dolbySurround);
    flag("Deemphasis", s.deemphasis);
    flag("DCFilter", s.dcFilter);
    flag("BandWidthFilter", s.bandwidthFilter);
    flag("LFEFilter", s.lfeFilter);
    flag("Phase90", s.phase90);
    flag("Cut3dB", s.cut3dB);
    flag("TimeStamp", s.timeStamp);
    return text;
}

BuildOutcome BuildSonicCommandLine(const JobRecord& job, const BatcherSettings& settings,
                                   std::string_view parameterFile, bool preview,
                                   std::string& command, std::string* outputPath) {
    command.clear();
    if (job.jobType != static_cast<int32_t>(JobType::SonicFoundry))
        return BuildOutcome::failure("The job is not a Sonic Foundry job");
    const SonicFoundrySettings& s = job.settings.sonicFoundry;
    std::string output = "C:\\out.ac3";
    if (!preview) {
        BuildOutcome named = chooseOutputName(fieldText(job.outputDirectory),
                                              fieldText(job.baseName), ".ac3", output);
        if (!named.ok) return named;
    }
    std::string text = formatText(
        "\"%s\"  -A -P ", std::string(fieldText(settings.programPath[kSonicProgramIndex])).c_str());
    text += preview ? std::string("C:\\settings.ini") : argument(parameterFile);
    text += " -o ";
    text += argument(output);
    uint32_t mask = sonicChannelMask(s.codingMode, s.useLfe != 0);
    for (int slot = 0; slot < kChannelSlots; ++slot) {
        if (!(mask & kSlotBit[slot])) continue;
        std::string file =
            preview ? kPreviewChannelFiles[slot] : std::string(fieldText(s.channelFiles[slot]));
        appendPrintf(text, kChannelOptions[slot], argument(file).c_str());
    }
    if (text.size() >= kMaxCommandlineReply)
        return BuildOutcome::failure("The Sonic Foundry command does not fit in " +
                                     std::to_string(kMaxCommandlineReply) + " bytes");
    command = std::move(text);
    if (outputPath) *outputPath = std::move(output);
    return BuildOutcome::success();
}

} // namespace corv
