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
constexpr int32_t kDouble = static_cast<int32_t>(SampleType::Double);

using Tweak = void (*)(ConversionSettings&, EncoderBlocks&);

struct Case {
    const char* what;
    int32_t jobType;
    BatchOutputFormat output; // sample type, rate, channels
    Mode mode;
    Tweak tweak;         // may be null
    const char* refusal; // "" when accepted
};

ConversionSettings settingsFor(int32_t jobType, Mode mode) {
    ConversionSettings s = defaultConversionSettings();
    s.batcherOutputType = jobType;
    s.streamManipulation = mode != Mode::Plain;
    s.monoStreams = mode != Mode::Plain;
    s.stitchFiles = mode == Mode::StitchWithMonoFlag;
    return s;
}

std::string verdict(const Case& c) {
    ConversionSettings settings = settingsFor(c.jobType, c.mode);
    EncoderBlocks encoders = defaultEncoderBlocks();
    if (c.tweak) c.tweak(settings, encoders);
    std::string message = "prefix: ";
    const bool accepted = ValidateBatchFormat(c.output, settings, encoders, message);
    EXPECT_EQ(accepted, message == "prefix: ") << c.what;
    return message.substr(8);
}

const Case kCases[] = {
    {"no channels",
     1004,
     {kI16, 44100, 0},
     Mode::Plain,
     nullptr,
     "Internal error, invallid sampletype,samplerate or number of channels"},
    {"not Wave PCM, before the encoder's own rules",
     1006,
     {kI24, 7, 9},
     Mode::Plain,
     [](ConversionSettings& s, EncoderBlocks&) {
         s.outputFormat = static_cast<int32_t>(FileFormat::WaveFormatEx);
     },
     "The output format must be Wave PCM. Please  change the preferences accordingly."},
    {"unknown job type takes anything", 999, {kDouble, 7, 300}, Mode::MonoStreams, nullptr, ""},

    {"Surcode DVD 5.1 as six mono streams", 1001, {kI24, 48000, 6}, Mode::MonoStreams, nullptr, ""},
    {"Surcode DVD without mono streams",
     1001,
     {kI24, 48000, 6},
     Mode::Plain,
     nullptr,
     "The configuration of Quillmere requires 6 monostream(s)."},
    {"stitching ignores the mono streams flag",
     1001,
     {kI24, 48000, 6},
     Mode::StitchWithMonoFlag,
     nullptr,
     "The configuration of Quillmere requires 6 monostream(s)."},
    {"Surcode DVD stored rate",
     1001,
     {kI24, 44100, 6},
     Mode::MonoStreams,
     nullptr,
     "The samplerate is 44100. The configuration of Quillmere requires 48000"},
    {"Surcode DVD 8 bit",
     1001,
     {kI8, 48000, 6},
     Mode::MonoStreams,
     nullptr,
     "Unsupported sampletype. Please select one of the following sampletypes in the preferences: "
     "16bit int,24bit "
     "int,32bit int or IEEE Float"},
    {"Surcode CD Pro needs 44100",
     1000,
     {kFloat, 48000, 6},
     Mode::MonoStreams,
     nullptr,
     "The samplerate is 48000. The configuration of Quillmere requires 44100."},

    {"TwoLAME MPEG 1 at 44100", 1002, {kI16, 44100, 2}, Mode::Plain, nullptr, ""},
    {"TwoLAME MPEG 2 at 44100",
     1002,
     {kI16, 44100, 2},
     Mode::Plain,
     [](ConversionSettings&, EncoderBlocks& e) { e.twoLame.mpegVersion = 2; },
     "The current samplerate is 44100. The current Quillmere configuration requires a samplerate "
     "of 16000,22050 "
     "or 24000."},
    {"TwoLAME MPEG 1 at 22050",
     1002,
     {kI16, 22050, 2},
     Mode::Plain,
     nullptr,
     "The current samplerate is 22050. The current Quillmere configuration requires a samplerate "
     "of 32000,44100 "
     "or 48000."},
    {"TwoLAME other version: no rate rule",
     1002,
     {kI16, 11025, 2},
     Mode::Plain,
     [](ConversionSettings&, EncoderBlocks& e) { e.twoLame.mpegVersion = 3; },
     ""},
    {"TwoLAME float",
     1002,
     {kFloat, 48000, 2},
     Mode::Plain,
     nullptr,
     "Unsupported sampletype. Please select 8bit int,16bit int, 24bit int or 32bit int"},

    {"Ape 32 bit",
     1003,
     {kI32, 44100, 2},
     Mode::Plain,
     nullptr,
     "Unsupported sampletype. Please select 8bit int,16bit int or 24bit int."},
    {"FLAC 11025",
     1004,
     {kI16, 11025, 2},
     Mode::Plain,
     nullptr,
     "The current samplerate is 11025. The current Quillmere configuration requires a samplerate "
     "of "
     "8000,16000,22050,24000,32000,44100,48000 or 96000."},
    {"WavPack 9 channels",
     1005,
     {kFloat, 44100, 9},
     Mode::Plain,
     nullptr,
     "The number of channels is 9. The current Quillmere configuration requires 8 channels or "
     "less."},
    {"WavPack double",
     1005,
     {kDouble, 44100, 2},
     Mode::Plain,
     nullptr,
     "Unsupported sampletype. Please select 8bit int,16bit int,24bit int,32bit int or IEEE Float."},

    {"Nero AAC 24 bit",
     1006,
     {kI24, 48000, 2},
     Mode::Plain,
     nullptr,
     "Unsupported sampletype. Please select 16bit int."},
    {"Nero AAC 7 channels",
     1006,
     {kI16, 48000, 7},
     Mode::Plain,
     nullptr,
     "The number of channels is 7. The current Quillmere configuration requires 6 channels or "
     "less."},
    {"Nero AAC 8000",
     1006,
     {kI16, 8000, 2},
     Mode::Plain,
     nullptr,
     "The current samplerate is 8000. The current Quillmere configuration requires a samplerate of "
     "11025,12000,16000,22050,24000,32000,44100,48000 or 96000."},
    {"MPC 22050",
     1007,
     {kI16, 22050, 2},
     Mode::Plain,
     nullptr,
     "The current samplerate is 22050. The current Quillmere configuration requires a samplerate "
     "of 32000,44100 "
     "or 48000."},
    {"MPC float",
     1007,
     {kFloat, 44100, 2},
     Mode::Plain,
     nullptr,
     "Unsupported sampletype. Please select 8bit int,16bit int,24bit int or 32bit int."},
    {"LAME 96000",
     1008,
     {kI16, 96000, 2},
     Mode::Plain,
     nullptr,
     "The current samplerate is 96000. The current Quillmere configuration requires a samplerate "
     "of "
     "8000,11025,12000,16000,22050,24000,32000,44100 or 48000."},
    {"Ogg 255 channels", 1009, {kFloat, 44100, 255}, Mode::Plain, nullptr, ""},
    {"Ogg 256 channels",
     1009,
     {kFloat, 44100, 256},
     Mode::Plain,
     nullptr,
     "The number of channels is 256. The current Quillmere configuration requires 255 channels or "
     "less."},
    {"Ogg double",
     1009,
     {kDouble, 44100, 2},
     Mode::Plain,
     nullptr,
     "Unsupported sampletype. Please select 8bit int,16bit int, 24bit int, 32bit int or IEEE "
     "Float."},

    {"Sonic Foundry 5.1 as mono streams",
     1010,
     {kDouble, 48000, 6},
     Mode::MonoStreams,
     nullptr,
     ""},
    {"Sonic Foundry counts its coding mode's channels",
     1010,
     {kDouble, 48000, 6},
     Mode::MonoStreams,
     [](ConversionSettings&, EncoderBlocks& e) { e.sonicFoundry.channelCount = 5; },
     "The configuration of Quillmere requires 5 monostream(s)."},
    {"Sonic Foundry index 1 is 44100",
     1010,
     {kDouble, 48000, 6},
     Mode::MonoStreams,
     [](ConversionSettings&, EncoderBlocks& e) { e.sonicFoundry.sampleRateIndex = 1; },
     "The samplerate is 48000. The configuration of Quillmere requires 44100"},
    {"Sonic Foundry unknown index matches no rate",
     1010,
     {kI16, 32000, 6},
     Mode::MonoStreams,
     [](ConversionSettings&, EncoderBlocks& e) { e.sonicFoundry.sampleRateIndex = 3; },
     "The samplerate is 32000. The configuration of Quillmere requires 0"},
    {"Sonic Foundry float CE",
     1010,
     {static_cast<int32_t>(SampleType::FloatCe), 48000, 6},
     Mode::MonoStreams,
     nullptr,
     "Unsupported sampletype. Please select one of the following sampletypes in the preferences: "
     "8bit, 16bit "
     "int,24bit int,32bit int, IEEE Float or 64 bit float"},

    {"AC3 library float at its rate and count", 1011, {kFloat, 48000, 6}, Mode::Plain, nullptr, ""},
    {"AC3 library 32 bit int",
     1011,
     {kI32, 48000, 6},
     Mode::Plain,
     nullptr,
     "Unsupported sampletype. The only sampletype supported is IEEE Float."},
    {"AC3 library other rate",
     1011,
     {kFloat, 44100, 6},
     Mode::Plain,
     nullptr,
     "The current samplerate is 44100. The current Quillmere configuration requires a samplerate "
     "of 48000."},
    {"AC3 library fewer channels",
     1011,
     {kFloat, 48000, 2},
     Mode::Plain,
     nullptr,
     "The number of channels is 2. The current Quillmere configuration requires 6 channels."},
};

TEST(ValidateBatchFormat, EncoderRulesInTheirOrder) {
    for (const Case& c : kCases)
        EXPECT_EQ(verdict(c), c.refusal) << c.what;
}

TEST(ValidateBatchFormat, SingleFileEncodersRefuseMonoStreamsFirst) {
    for (int32_t job : {1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1011}) {
        // Every other value is wrong too: the streams rule must decide.
        EXPECT_EQ(verdict({"", job, {kDouble, 7, 2}, Mode::MonoStreams, nullptr, ""}),
                  "Please disable the creation of monostreams.")
            << job;
        // One channel is one stream, and stitching counts none.
        EXPECT_NE(verdict({"", job, {kDouble, 7, 1}, Mode::MonoStreams, nullptr, ""}),
                  "Please disable the creation of monostreams.")
            << job;
        EXPECT_NE(verdict({"", job, {kDouble, 7, 2}, Mode::StitchWithMonoFlag, nullptr, ""}),
                  "Please disable the creation of monostreams.")
            << job;
    }
}

} // namespace
} // namespace corv
