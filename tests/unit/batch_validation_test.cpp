// Whether the chosen encoder accepts a conversion's output, and the exact
// reason when it does not.
#include "analyser/engine/batch_validation.h"

#include "analyser/analysis/audio_codes.h"
#include "protocol/job_types.h"

#include <gtest/gtest.h>

#include <string>

namespace corv {
namespace {

using enum JobType;
using enum SampleType;

enum class Mode { Plain, MonoStreams, StitchWithMonoFlag };

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
    JobType jobType;
    SampleType sampleType; // of the output
    int32_t rate, channels;
    Mode mode;
    std::string refusal; // "" when accepted
    Tweak tweak = nullptr;
};

std::string verdict(const Case& c) {
    ConversionSettings s = defaultConversionSettings();
    s.batcherOutputType = static_cast<int32_t>(c.jobType);
    s.streamManipulation = s.monoStreams = c.mode != Mode::Plain;
    s.stitchFiles = c.mode == Mode::StitchWithMonoFlag;
    EncoderBlocks encoders = defaultEncoderBlocks();
    if (c.tweak) c.tweak(s, encoders);
    std::string message = "prefix: ";
    const bool accepted = ValidateBatchFormat(
        {static_cast<int32_t>(c.sampleType), c.rate, c.channels}, s, encoders, message);
    EXPECT_EQ(accepted, message == "prefix: ");
    return message.substr(8);
}

const Mode kPlain = Mode::Plain, kMono = Mode::MonoStreams;
const std::string kMpegRates = "32000,44100 or 48000";

const Case kCases[] = {
    {Flac, Int16, 44100, 0, kPlain,
     "Internal error, invallid sampletype,samplerate or number of channels"},
    // The output format comes before the encoder's own rules.
    {NeroAac, Int24, 7, 9, kPlain,
     "The output format must be Wave PCM. Please  change the preferences accordingly.",
     [](ConversionSettings& s, EncoderBlocks&) {
         s.outputFormat = static_cast<int32_t>(FileFormat::WaveFormatEx);
     }},
    {JobType{999}, Double, 7, 300, kMono, ""}, // an unknown job type takes anything
    // Surcode: mono streams of its own count, its rate, its types.
    {SurcodeDvd, Int24, 48000, 6, kMono, ""},
    {SurcodeDvd, Int24, 48000, 6, kPlain, streams(6)},
    {SurcodeDvd, Int24, 48000, 6, Mode::StitchWithMonoFlag, streams(6)},
    {SurcodeDvd, Int24, 44100, 6, kMono,
     "The samplerate is 44100. The configuration of Quillmere requires 48000"},
    {SurcodeDvd, Int8, 48000, 6, kMono,
     types("one of the following sampletypes in the preferences: 16bit int,24bit int,32bit int "
           "or IEEE Float")},
    {SurcodeCdPro, FloatIeee, 48000, 6, kMono,
     "The samplerate is 48000. The configuration of Quillmere requires 44100."},
    // TwoLAME's rates follow its MPEG version.
    {TwoLame, Int16, 44100, 2, kPlain, ""},
    {TwoLame, Int16, 44100, 2, kPlain, rates(44100, "16000,22050 or 24000"),
     [](ConversionSettings&, EncoderBlocks& e) { e.twoLame.mpegVersion = 2; }},
    {TwoLame, Int16, 22050, 2, kPlain, rates(22050, kMpegRates)},
    {TwoLame, Int16, 11025, 2, kPlain, "",
     [](ConversionSettings&, EncoderBlocks& e) { e.twoLame.mpegVersion = 3; }},
    {TwoLame, FloatIeee, 48000, 2, kPlain, types("8bit int,16bit int, 24bit int or 32bit int")},
    {Ape, Int32, 44100, 2, kPlain, types("8bit int,16bit int or 24bit int.")},
    {Flac, Int16, 11025, 2, kPlain,
     rates(11025, "8000,16000,22050,24000,32000,44100,48000 or 96000")},
    {WavPack, FloatIeee, 44100, 9, kPlain, channels(9, "8 channels or less")},
    {WavPack, Double, 44100, 2, kPlain,
     types("8bit int,16bit int,24bit int,32bit int or IEEE Float.")},
    {NeroAac, Int24, 48000, 2, kPlain, types("16bit int.")},
    {NeroAac, Int16, 48000, 7, kPlain, channels(7, "6 channels or less")},
    {NeroAac, Int16, 8000, 2, kPlain,
     rates(8000, "11025,12000,16000,22050,24000,32000,44100,48000 or 96000")},
    {Mpc, Int16, 22050, 2, kPlain, rates(22050, kMpegRates)},
    {Mpc, FloatIeee, 44100, 2, kPlain, types("8bit int,16bit int,24bit int or 32bit int.")},
    {Lame, Int16, 96000, 2, kPlain,
     rates(96000, "8000,11025,12000,16000,22050,24000,32000,44100 or 48000")},
    {OggVorbis, FloatIeee, 44100, 255, kPlain, ""},
    {OggVorbis, FloatIeee, 44100, 256, kPlain, channels(256, "255 channels or less")},
    {OggVorbis, Double, 44100, 2, kPlain,
     types("8bit int,16bit int, 24bit int, 32bit int or IEEE Float.")},
    // Sonic Foundry counts its coding mode's channels and reads its rate index.
    {SonicFoundry, Double, 48000, 6, kMono, ""},
    {SonicFoundry, Double, 48000, 6, kMono, streams(5),
     [](ConversionSettings&, EncoderBlocks& e) { e.sonicFoundry.channelCount = 5; }},
    {SonicFoundry, Double, 48000, 6, kMono,
     "The samplerate is 48000. The configuration of Quillmere requires 44100",
     [](ConversionSettings&, EncoderBlocks& e) { e.sonicFoundry.sampleRateIndex = 1; }},
    {SonicFoundry, Int16, 32000, 6, kMono,
     "The samplerate is 32000. The configuration of Quillmere requires 0",
     [](ConversionSettings&, EncoderBlocks& e) { e.sonicFoundry.sampleRateIndex = 3; }},
    {SonicFoundry, FloatCe, 48000, 6, kMono,
     types("one of the following sampletypes in the preferences: 8bit, 16bit int,24bit int,32bit "
           "int, IEEE Float or 64 bit float")},
    // The AC3 library: IEEE float, its rate and its channel count only.
    {Ac3Library, FloatIeee, 48000, 6, kPlain, ""},
    {Ac3Library, Int32, 48000, 6, kPlain,
     "Unsupported sampletype. The only sampletype supported is IEEE Float."},
    {Ac3Library, FloatIeee, 44100, 6, kPlain, rates(44100, "48000")},
    {Ac3Library, FloatIeee, 48000, 2, kPlain, channels(2, "6 channels")},
};

TEST(ValidateBatchFormat, EncoderRulesInTheirOrder) {
    for (size_t i = 0; i < std::size(kCases); ++i)
        EXPECT_EQ(verdict(kCases[i]), kCases[i].refusal) << "case " << i;
}

TEST(ValidateBatchFormat, SingleFileEncodersRefuseMonoStreamsFirst) {
    const std::string refusal = "Please disable the creation of monostreams.";
    for (JobType job : {TwoLame, Ape, Flac, WavPack, NeroAac, Mpc, Lame, OggVorbis, Ac3Library}) {
        // Every other value is wrong too: the streams rule must decide.
        EXPECT_EQ(verdict({job, Double, 7, 2, kMono, ""}), refusal) << static_cast<int>(job);
        // One channel is one stream, and stitching counts none.
        EXPECT_NE(verdict({job, Double, 7, 1, kMono, ""}), refusal) << static_cast<int>(job);
        EXPECT_NE(verdict({job, Double, 7, 2, Mode::StitchWithMonoFlag, ""}), refusal)
            << static_cast<int>(job);
    }
}

} // namespace
} // namespace corv
