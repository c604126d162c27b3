// The checks before a run: analysed entries, combinable entries when
// stitching or merging, the merged channel limit and the encoder's limits.
#include "analyser/engine/list_checks.h"
#include "protocol/job_types.h"
#include "recording_notifier.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace corv {
namespace {

enum class Mode { Plain, Stitch, Merge };

struct Entry {
    uint32_t channels;
    uint32_t rate = 44100;
    SampleType type = SampleType::Int16;
    FileFormat format = FileFormat::WavePcm;
};

using Tweak = void (*)(ConversionSettings&);

// Named a.wav, b.wav, ... in order.
std::vector<Entry> files(std::initializer_list<Entry> entries) {
    return entries;
}

struct Case {
    const char* what;
    Mode mode;
    std::vector<Entry> entries;
    std::string message; // the one message shown; "" when the list passes
    bool plain = false;  // shown without an icon
    Tweak tweak = nullptr;
};

const Tweak kMapping = [](ConversionSettings& s) { s.channelMappingEnabled = 1; };
const Tweak kConvertRate = [](ConversionSettings& s) { s.convertSampleRate = 1; };
// LAME takes two channels at most.
const Tweak kLame = [](ConversionSettings& s) {
    s.sendJobsToBatcher = 1;
    s.batcherOutputType = static_cast<int32_t>(JobType::Lame);
};
const Tweak kLameSixteenBit = [](ConversionSettings& s) {
    kLame(s);
    s.convertSampleType = 1; // every entry written as 16 bit
};

const std::string kDifferentChannels =
    "Cant combine files together; Different number of channels detected";
constexpr FileFormat kUnanalysed = FileFormat::Unanalysed, kUnknown = FileFormat::NotRecognised;
constexpr SampleType kI16 = SampleType::Int16, kI24 = SampleType::Int24;

const Case kCases[] = {
    {"an empty list", Mode::Merge, files({}), ""},
    // The first unanalysed or unrecognised entry decides.
    {"unanalysed", Mode::Plain,
     files({{2}, {2, 44100, kI16, kUnanalysed}, {2, 44100, kI16, kUnknown}}),
     "Error on: \"b.wav\". This file is unanalysed."},
    {"unrecognised", Mode::Plain,
     files({{2, 44100, kI16, kUnknown}, {2}, {2, 44100, kI16, kUnanalysed}}),
     "Error on: \"a.wav\". This file is not recognized by corvandale."},
    // Combined entries must match the first one.
    {"stitch 2 + 6 channels", Mode::Stitch, files({{2}, {6}}), kDifferentChannels, true},
    {"merge 2 + 6 channels", Mode::Merge, files({{2}, {6}}), ""},
    {"merge 44100 + 48000", Mode::Merge, files({{2}, {2, 48000}}),
     "Cant combine files together; Different samplerates detected", true},
    {"merge 44100 + 48000 converted", Mode::Merge, files({{2}, {2, 48000}}), "", false,
     kConvertRate},
    {"stitch 16 + 24 bit", Mode::Stitch, files({{2}, {2, 44100, kI24}}),
     "Cant combine files together; Different sampletype detected", true},
    {"no combining, anything goes", Mode::Plain, files({{2}, {6, 48000, kI24}}), ""},
    // Channel maps give the channel count: 2 become 6, 8 become 4.
    {"stitch mapped 2 + 6", Mode::Stitch, files({{2}, {6}}), "", false, kMapping},
    {"stitch mapped 2 + 6 + 8", Mode::Stitch, files({{2}, {6}, {8}}),
     "Cant stitch files;Different number of channels detected", true, kMapping},
    // The merged channel limit.
    {"merge 1000 channels", Mode::Merge, files({{600}, {400}}), ""},
    {"merge 1001 channels", Mode::Merge, files({{600}, {400}, {1}}),
     "The maximum number of channels is 1000. There are currenly 1001 channels in the list."},
    // Encoder refusals carry their prefix.
    {"LAME per entry", Mode::Plain, files({{2}, {2, 44100, kI24}, {2, 96000}}),
     "Quillmere error on: \"c.wav\". The current samplerate is 96000. The current Quillmere "
     "configuration requires a samplerate of 8000,11025,12000,16000,22050,24000,32000,44100 or "
     "48000.",
     false, kLame},
    {"LAME stitched keeps two channels", Mode::Stitch, files({{2}, {2, 44100, kI24}}), "", false,
     kLameSixteenBit},
    {"LAME merged", Mode::Merge, files({{2}, {2, 44100, kI24}}),
     "Quillmere error on the merged/stitched output. The number of channels is 4. The current "
     "Quillmere configuration requires 2 channels or less.",
     false, kLameSixteenBit},
};

TEST(ListChecks, EachCheckInItsOrder) {
    const MappedChannels mapped = [](uint32_t channels) -> std::optional<uint32_t> {
        if (channels == 2) return 6u;
        if (channels == 8) return 4u;
        return std::nullopt;
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        std::deque<AudioFileRecord> records; // stable addresses for the list
        std::vector<AudioFileRecord*> list;
        for (const Entry& e : c.entries) {
            AudioFileRecord& r = records.emplace_back();
            setFieldText(r.name, std::string(1, char('a' + list.size())) + ".wav");
            r.channels = e.channels;
            r.sampleRate = e.rate;
            r.sampleType = e.type;
            r.format = e.format;
            list.push_back(&r);
        }
        ConversionSettings settings = defaultConversionSettings();
        settings.streamManipulation = c.mode != Mode::Plain;
        settings.stitchFiles = c.mode == Mode::Stitch;
        settings.mergeFiles = c.mode == Mode::Merge;
        if (c.tweak) c.tweak(settings);
        test::RecordingNotifier notifier;
        const bool passed = checkList(list, settings, defaultEncoderBlocks(), mapped, notifier);
        EXPECT_EQ(passed, c.message.empty());
        if (c.message.empty()) {
            EXPECT_TRUE(notifier.messages.empty());
            continue;
        }
        ASSERT_EQ(notifier.messages.size(), 1u);
        EXPECT_EQ(notifier.messages[0], std::pair(c.message, std::string("Attention")));
        EXPECT_EQ(notifier.plain[0], c.plain);
    }
}

} // namespace
} // namespace corv
