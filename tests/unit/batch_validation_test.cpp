// Whether the chosen encoder accepts a conversion's output, and the exact
// reason when it does not.
#include "analyser/batcher_client/batch_validation.h"

#include "analyser/analysis/audio_codes.h"

#include <gtest/gtest.h>

#include <string>

namespace corv {
namespace {

enum class Mode { Plain, MonoStreams, StitchWithMonoFlag };

constexpr int32_t kI8 = static_cast<int32_t>(SampleType::Int8);
constexpr int32_t kI16 = static_cast<int32_t>(SampleType::Int16);
constexpr int32_t kI24 = static_cast<int32_t>(SampleType::Int24);
constexpr int32_t kI32 = static_cast<int32_t>(SampleType::Int32);
constexpr int32_t kFloat = static_cast<int32_t>(SampleType::FloatIeee);
constexpr int32_t kCe = static_cast<int32_t>(SampleType::FloatCe);
constexpr int32_t kDouble = static_cast<int32_t>(SampleType::Double);

// The three refusals most encoders share.
std::string rates(int rate, const std::string& allowed) {
    return "The current samplerate is " + std::to_string(rate) +
           ". The current Quillmere configuration requires a samplerate of " + allowed + ".";
}
std::string channels(int count, const std::string& allowed) {
    return "The number of channels is " + std::to_string(count) +
           ". The current Quillmere configuration requires " + allowed + ".";
}
std::string types(const std::string& allowed) {
    return "Unsupported sampletype. Please select " + allowed;
}
std::string streams(int count) {
    return "The configuration of Quillmere requires " + std::to_string(count) + " monostream(s).";
}

using Tweak = void (*)(ConversionSettings&, EncoderBlocks&);

struct Case {
    int32_t jobType;
    BatchOutputFormat output; // sample type, rate, channels
    Mode mode;
    std::string refusal; // "" when accepted
    Tweak tweak = nullptr;
};

std::string verdict(const Case& c) {
    ConversionSettings s = defaultConversionSettings();
    s.batcherOutputType = c.jobType;
    s.streamManipulation = s.monoStreams = c.mode != Mode::Plain;
    s.stitchFiles = c.mode == Mode::StitchWithMonoFlag;
    EncoderBlocks encoders = defaultEncoderBlocks();
    if (c.tweak) c.tweak(s, encoders);
    std::string message = "prefix: ";
    const bool accepted = ValidateBatchFormat(c.output, s, encoders, message);
    EXPECT_EQ(accepted, message == "prefix: ");
    return message.substr(8);
}

const Mode kPlain = Mode::Plain, kMono = Mode::MonoStreams;
const std::string kMpegRates = "32000,44100 or 48000";

const Case kCases[] = {
    {1004,
     {kI16, 44100, 0},
     kPlain,
     "Internal error, invallid sampletype,samplerate or number of channels"},
    // The output format comes before the encoder's own rules.
    {1006,
     {kI24, 7, 9},
     kPlain,
     "The output format must be Wave PCM. Please  change the preferences accordingly.",
     [](ConversionSettings& s, EncoderBlocks&) {
         s.outputFormat = static_cast<int32_t>(FileFormat::WaveFormatEx);
     }},
    {999, {kDouble, 7, 300}, kMono, ""}, // an unknown job type takes anything
    // Surcode: mono streams of its own count, its rate, its types.
    {1001, {kI24, 48000, 6}, kMono, ""},
    {1001, {kI24, 48000, 6}, kPlain, streams(6)},
    {1001, {kI24, 48000, 6}, Mode::StitchWithMonoFlag, streams(6)},
    {1001,
     {kI24, 44100, 6},
     kMono,
     "The samplerate is 44100. The configuration of Quillmere requires 48000"},
    {1001,
     {kI8, 48000, 6},
     kMono,
     types("one of the following sampletypes in the preferences: 16bit int,24bit int,32bit int "
           "or IEEE Float")},
    {1000,
     {kFloat, 48000, 6},
     kMono,
     "The samplerate is 48000. The configuration of Quillmere requires 44100."},
    // TwoLAME's rates follow its MPEG version.
    {1002, {kI16, 44100, 2}, kPlain, ""},
    {1002,
     {kI16, 44100, 2},
     kPlain,
     rates(44100, "16000,22050 or 24000"),
     [](ConversionSettings&, EncoderBlocks& e) { e.twoLame.mpegVersion = 2; }},
    {1002, {kI16, 22050, 2}, kPlain, rates(22050, kMpegRates)},
    {1002,
     {kI16, 11025, 2},
     kPlain,
     "",
     [](ConversionSettings&, EncoderBlocks& e) { e.twoLame.mpegVersion = 3; }},
    {1002, {kFloat, 48000, 2}, kPlain, types("8bit int,16bit int, 24bit int or 32bit int")},
    {1003, {kI32, 44100, 2}, kPlain, types("8bit int,16bit int or 24bit int.")},
    {1004,
     {kI16, 11025, 2},
     kPlain,
     rates(11025, "8000,16000,22050,24000,32000,44100,48000 or 96000")},
    {1005, {kFloat, 44100, 9}, kPlain, channels(9, "8 channels or less")},
    {1005,
     {kDouble, 44100, 2},
     kPlain,
     types("8bit int,16bit int,24bit int,32bit int or IEEE Float.")},
    {1006, {kI24, 48000, 2}, kPlain, types("16bit int.")},
    {1006, {kI16, 48000, 7}, kPlain, channels(7, "6 channels or less")},
    {1006,
     {kI16, 8000, 2},
     kPlain,
     rates(8000, "11025,12000,16000,22050,24000,32000,44100,48000 or 96000")},
    {1007, {kI16, 22050, 2}, kPlain, rates(22050, kMpegRates)},
    {1007, {kFloat, 44100, 2}, kPlain, types("8bit int,16bit int,24bit int or 32bit int.")},
    {1008,
     {kI16, 96000, 2},
     kPlain,
     rates(96000, "8000,11025,12000,16000,22050,24000,32000,44100 or 48000")},
    {1009, {kFloat, 44100, 255}, kPlain, ""},
    {1009, {kFloat, 44100, 256}, kPlain, channels(256, "255 channels or less")},
    {1009,
     {kDouble, 44100, 2},
     kPlain,
     types("8bit int,16bit int, 24bit int, 32bit int or IEEE Float.")},
    // Sonic Foundry counts its coding mode's channels and reads its rate index.
    {1010, {kDouble, 48000, 6}, kMono, ""},
    {1010,
     {kDouble, 48000, 6},
     kMono,
     streams(5),
     [](ConversionSettings&, EncoderBlocks& e) { e.sonicFoundry.channelCount = 5; }},
    {1010,
     {kDouble, 48000, 6},
     kMono,
     "The samplerate is 48000. The configuration of Quillmere requires 44100",
     [](ConversionSettings&, EncoderBlocks& e) { e.sonicFoundry.sampleRateIndex = 1; }},
    {1010,
     {kI16, 32000, 6},
     kMono,
     "The samplerate is 32000. The configuration of Quillmere requires 0",
     [](ConversionSettings&, EncoderBlocks& e) { e.sonicFoundry.sampleRateIndex = 3; }},
    {1010,
     {kCe, 48000, 6},
     kMono,
     types("one of the following sampletypes in the preferences: 8bit, 16bit int,24bit int,32bit "
           "int, IEEE Float or 64 bit float")},
    // The AC3 library: IEEE float, its rate and its channel count only.
    {1011, {kFloat, 48000, 6}, kPlain, ""},
    {1011,
     {kI32, 48000, 6},
     kPlain,
     "Unsupported sampletype. The only sampletype supported is IEEE Float."},
    {1011, {kFloat, 44100, 6}, kPlain, rates(44100, "48000")},
    {1011, {kFloat, 48000, 2}, kPlain, channels(2, "6 channels")},
};

TEST(ValidateBatchFormat, EncoderRulesInTheirOrder) {
    for (size_t i = 0; i < std::size(kCases); ++i)
        EXPECT_EQ(verdict(kCases[i]), kCases[i].refusal) << "case " << i;
}

TEST(ValidateBatchFormat, SingleFileEncodersRefuseMonoStreamsFirst) {
    const std::string refusal = "Please disable the creation of monostreams.";
    for (int32_t job : {1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1011}) {
        // Every other value is wrong too: the streams rule must decide.
        EXPECT_EQ(verdict({job, {kDouble, 7, 2}, kMono, ""}), refusal) << job;
        // One channel is one stream, and stitching counts none.
        EXPECT_NE(verdict({job, {kDouble, 7, 1}, kMono, ""}), refusal) << job;
        EXPECT_NE(verdict({job, {kDouble, 7, 2}, Mode::StitchWithMonoFlag, ""}), refusal) << job;
    }
}

} // namespace
} // namespace corv
