#include "analyser/engine/batch_validation.h"

#include "analyser/analysis/audio_codes.h"
#include "analyser/engine/run_mode.h"
#include "platform/text_format.h"
#include "protocol/job_types.h"

#include <initializer_list>

namespace corv {
namespace {

constexpr int32_t bit(SampleType type) {
    return static_cast<int32_t>(type);
}

// Sample type codes are single bits, so a set of them fits in one mask.
struct SampleTypeGroup {
    int32_t codes;
    const char* refusal;
};

constexpr int32_t kIntegers8To24 =
    bit(SampleType::Int8) | bit(SampleType::Int16) | bit(SampleType::Int24);
constexpr int32_t kIntegers8To32 = kIntegers8To24 | bit(SampleType::Int32);

constexpr SampleTypeGroup kSurcodeTypes{bit(SampleType::Int16) | bit(SampleType::Int24) |
                                            bit(SampleType::Int32) | bit(SampleType::FloatIeee),
                                        "Unsupported sampletype. Please select one of the "
                                        "following sampletypes in the preferences: 16bit "
                                        "int,24bit int,32bit int or IEEE Float"};
constexpr SampleTypeGroup kTwoLameTypes{
    kIntegers8To32,
    "Unsupported sampletype. Please select 8bit int,16bit int, 24bit int or 32bit int"};
constexpr SampleTypeGroup kMpcLameTypes{
    kIntegers8To32,
    "Unsupported sampletype. Please select 8bit int,16bit int,24bit int or 32bit int."};
constexpr SampleTypeGroup kApeFlacTypes{
    kIntegers8To24, "Unsupported sampletype. Please select 8bit int,16bit int or 24bit int."};
constexpr SampleTypeGroup kWavPackTypes{
    kIntegers8To32 | bit(SampleType::FloatIeee),
    "Unsupported sampletype. Please select 8bit int,16bit int,24bit int,32bit int or IEEE Float."};
constexpr SampleTypeGroup kOggTypes{kIntegers8To32 | bit(SampleType::FloatIeee),
                                    "Unsupported sampletype. Please select 8bit int,16bit int, "
                                    "24bit int, 32bit int or IEEE Float."};
constexpr SampleTypeGroup kNeroTypes{bit(SampleType::Int16),
                                     "Unsupported sampletype. Please select 16bit int."};
constexpr SampleTypeGroup kSonicTypes{kIntegers8To32 | bit(SampleType::FloatIeee) |
                                          bit(SampleType::Double),
                                      "Unsupported sampletype. Please select one of the following "
                                      "sampletypes in the preferences: 8bit, "
                                      "16bit int,24bit int,32bit int, IEEE Float or 64 bit float"};
constexpr SampleTypeGroup kAc3Types{
    bit(SampleType::FloatIeee),
    "Unsupported sampletype. The only sampletype supported is IEEE Float."};

// Every check gives the refusal text, or "" when it passes.
std::string sampleTypeIn(int32_t type, const SampleTypeGroup& group) {
    const bool singleBit = type > 0 && (type & (type - 1)) == 0;
    return singleBit && (group.codes & type) != 0 ? std::string() : std::string(group.refusal);
}

std::string monoStreamCount(int32_t streams, int32_t required) {
    if (streams == required) return {};
    return formatText("The configuration of Quillmere requires %i monostream(s).", required);
}

std::string noMonoStreams(int32_t streams) {
    return streams == 1 ? std::string()
                        : std::string("Please disable the creation of monostreams.");
}

std::string channelsAtMost(int32_t channels, int32_t most) {
    if (channels <= most) return {};
    return formatText(
        "The number of channels is %i. The current Quillmere configuration requires %i channels "
        "or less.",
        channels, most);
}

// "8000,16000 or 22050": the list as the texts name it.
std::string rateList(std::initializer_list<int32_t> rates) {
    std::string out;
    size_t i = 0;
    for (int32_t rate : rates) {
        if (i > 0) out += (i + 1 == rates.size()) ? " or " : ",";
        out += std::to_string(rate);
        ++i;
    }
    return out;
}

std::string rateIn(int32_t rate, std::initializer_list<int32_t> rates) {
    for (int32_t allowed : rates)
        if (rate == allowed) return {};
    return formatText(
        "The current samplerate is %i. The current Quillmere configuration requires a samplerate "
        "of %s.",
        rate, rateList(rates).c_str());
}

std::string rateIs(int32_t rate, int32_t required) {
    if (rate == required) return {};
    return formatText("The samplerate is %i. The configuration of Quillmere requires %i", rate,
                      required);
}

std::string firstRefusal(std::initializer_list<std::string> checks) {
    for (const std::string& refusal : checks)
        if (!refusal.empty()) return refusal;
    return {};
}

// An index outside the three known ones matches no real rate, so such a
// setting refuses every output instead of guessing one.
int32_t sonicFoundryRate(int32_t index) {
    switch (index) {
    case 0:
        return 48000;
    case 1:
        return 44100;
    case 2:
        return 32000;
    default:
        return 0;
    }
}

std::string encoderRefusal(const BatchOutputFormat& out, int32_t streams, int32_t jobType,
                           const EncoderBlocks& enc) {
    const int32_t rate = out.sampleRate;
    const int32_t ch = out.channels;
    const int32_t type = out.sampleType;
    switch (static_cast<JobType>(jobType)) {
    case JobType::SurcodeCdPro:
        return firstRefusal(
            {monoStreamCount(streams, enc.surcodeCdPro.monoStreamCount),
             rate == 44100
                 ? std::string()
                 : formatText(
                       "The samplerate is %i. The configuration of Quillmere requires 44100.",
                       rate),
             sampleTypeIn(type, kSurcodeTypes)});
    case JobType::SurcodeDvd:
        return firstRefusal({monoStreamCount(streams, enc.surcodeDvd.monoStreamCount),
                             rateIs(rate, enc.surcodeDvd.sampleRate),
                             sampleTypeIn(type, kSurcodeTypes)});
    case JobType::TwoLame: {
        std::string rateRefusal;
        if (enc.twoLame.mpegVersion == 1)
            rateRefusal = rateIn(rate, {32000, 44100, 48000});
        else if (enc.twoLame.mpegVersion == 2)
            rateRefusal = rateIn(rate, {16000, 22050, 24000});
        return firstRefusal({noMonoStreams(streams), rateRefusal, channelsAtMost(ch, 2),
                             sampleTypeIn(type, kTwoLameTypes)});
    }
    case JobType::Ape:
        return firstRefusal(
            {noMonoStreams(streams), channelsAtMost(ch, 2), sampleTypeIn(type, kApeFlacTypes)});
    case JobType::Flac:
        return firstRefusal({noMonoStreams(streams),
                             rateIn(rate, {8000, 16000, 22050, 24000, 32000, 44100, 48000, 96000}),
                             channelsAtMost(ch, 8), sampleTypeIn(type, kApeFlacTypes)});
    case JobType::WavPack:
        return firstRefusal(
            {noMonoStreams(streams), channelsAtMost(ch, 8), sampleTypeIn(type, kWavPackTypes)});
    case JobType::NeroAac:
        return firstRefusal(
            {noMonoStreams(streams),
             rateIn(rate, {11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 96000}),
             channelsAtMost(ch, 6), sampleTypeIn(type, kNeroTypes)});
    case JobType::Mpc:
        return firstRefusal({noMonoStreams(streams), rateIn(rate, {32000, 44100, 48000}),
                             channelsAtMost(ch, 2), sampleTypeIn(type, kMpcLameTypes)});
    case JobType::Lame:
        return firstRefusal(
            {noMonoStreams(streams),
             rateIn(rate, {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}),
             channelsAtMost(ch, 2), sampleTypeIn(type, kMpcLameTypes)});
    case JobType::OggVorbis:
        return firstRefusal(
            {noMonoStreams(streams), channelsAtMost(ch, 255), sampleTypeIn(type, kOggTypes)});
    case JobType::SonicFoundry:
        return firstRefusal({monoStreamCount(streams, enc.sonicFoundry.channelCount),
                             rateIs(rate, sonicFoundryRate(enc.sonicFoundry.sampleRateIndex)),
                             sampleTypeIn(type, kSonicTypes)});
    case JobType::Ac3Library: {
        const Ac3LibraryBlock& ac3 = enc.ac3Library;
        return firstRefusal(
            {noMonoStreams(streams),
             rate == ac3.sampleRate ? std::string()
                                    : formatText("The current samplerate is %i. The current "
                                                 "Quillmere configuration requires a "
                                                 "samplerate of %i.",
                                                 rate, ac3.sampleRate),
             ch == ac3.channelCount ? std::string()
                                    : formatText("The number of channels is %i. The current "
                                                 "Quillmere configuration requires %i "
                                                 "channels.",
                                                 ch, ac3.channelCount),
             sampleTypeIn(type, kAc3Types)});
    }
    }
    return {}; // not an encoder Quillmere knows: nothing to hold against the output
}

} // namespace

bool ValidateBatchFormat(const BatchOutputFormat& output, const ConversionSettings& settings,
                         const EncoderBlocks& encoders, std::string& message) {
    std::string refusal;
    if (output.channels < 1 || output.sampleRate < 1 || output.sampleType < 1) {
        refusal = "Internal error, invallid sampletype,samplerate or number of channels";
    } else if (settings.outputFormat != static_cast<int32_t>(FileFormat::WavePcm)) {
        refusal = "The output format must be Wave PCM. Please  change the preferences accordingly.";
    } else {
        const int32_t streams =
            decideRunMode(settings) == RunMode::MonoStreams ? output.channels : 1;
        refusal = encoderRefusal(output, streams, settings.batcherOutputType, encoders);
    }
    if (refusal.empty()) return true;
    message += refusal;
    return false;
}

} // namespace corv
