// The checks before a run: analysed entries, combinable entries when
// stitching or merging, the merged channel limit and the encoder's limits.
#include "analyser/engine/list_checks.h"
#include "recording_notifier.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace corv {
namespace {

using test::RecordingNotifier;

enum class Mode { Plain, Stitch, Merge };

class ListChecks : public ::testing::Test {
  protected:
    AudioFileRecord* add(const char* name, uint32_t channels, uint32_t rate = 44100,
                         SampleType type = SampleType::Int16,
                         FileFormat format = FileFormat::WavePcm) {
        AudioFileRecord& r = records.emplace_back();
        setFieldText(r.name, name);
        r.channels = channels;
        r.sampleRate = rate;
        r.sampleType = type;
        r.format = format;
        list.push_back(&r);
        return &r;
    }

    void setMode(Mode mode) {
        settings.streamManipulation = mode != Mode::Plain;
        settings.stitchFiles = mode == Mode::Stitch;
        settings.mergeFiles = mode == Mode::Merge;
    }

    void sendJobsTo(int32_t jobType) {
        settings.sendJobsToBatcher = 1;
        settings.batcherOutputType = jobType;
    }

    // The one message shown and whether it was plain; "" when the list passed.
    std::string verdict(bool expectPlain = false) {
        notifier.messages.clear();
        notifier.plain.clear();
        const bool passed = checkList(list, settings, encoders, mapped, notifier);
        EXPECT_EQ(passed, notifier.messages.empty());
        if (passed) return "";
        EXPECT_EQ(notifier.messages.size(), 1u);
        EXPECT_EQ(notifier.messages[0].second, "Attention");
        EXPECT_EQ(notifier.plain[0], expectPlain) << notifier.messages[0].first;
        return notifier.messages[0].first;
    }

    std::deque<AudioFileRecord> records; // stable addresses for the list
    std::vector<AudioFileRecord*> list;
    ConversionSettings settings = defaultConversionSettings();
    EncoderBlocks encoders = defaultEncoderBlocks();
    MappedChannels mapped;
    RecordingNotifier notifier;
};

TEST_F(ListChecks, FirstUnanalysedOrUnrecognisedEntryDecides) {
    add("ok.wav", 2);
    add("raw.wav", 2, 44100, SampleType::Int16, FileFormat::Unanalysed);
    add("odd.wav", 2, 44100, SampleType::Int16, FileFormat::NotRecognised);
    EXPECT_EQ(verdict(), "Error on: \"raw.wav\". This file is unanalysed.");

    list[1]->format = FileFormat::WavePcm;
    list[2]->format = FileFormat::Unanalysed;
    list[0]->format = FileFormat::NotRecognised;
    EXPECT_EQ(verdict(), "Error on: \"ok.wav\". This file is not recognized by corvandale.");
}

TEST_F(ListChecks, CombiningNeedsMatchingEntries) {
    struct Case {
        const char* what;
        Mode mode;
        uint32_t channels2, rate2;
        SampleType type2;
        bool convertRate;
        const char* message;
    };
    const Case cases[] = {
        {"stitch 2 + 6 channels", Mode::Stitch, 6, 44100, SampleType::Int16, false,
         "Cant combine files together; Different number of channels detected"},
        {"merge 2 + 6 channels", Mode::Merge, 6, 44100, SampleType::Int16, false, ""},
        {"merge 44100 + 48000", Mode::Merge, 2, 48000, SampleType::Int16, false,
         "Cant combine files together; Different samplerates detected"},
        {"merge 44100 + 48000 converted", Mode::Merge, 2, 48000, SampleType::Int16, true, ""},
        {"stitch 16 + 24 bit", Mode::Stitch, 2, 44100, SampleType::Int24, false,
         "Cant combine files together; Different sampletype detected"},
        {"no combining, anything goes", Mode::Plain, 6, 48000, SampleType::Int24, false, ""},
    };
    for (const Case& c : cases) {
        records.clear();
        list.clear();
        setMode(c.mode);
        settings.convertSampleRate = c.convertRate;
        add("a.wav", 2);
        add("b.wav", c.channels2, c.rate2, c.type2);
        EXPECT_EQ(verdict(true), c.message) << c.what;
    }
}

TEST_F(ListChecks, ChannelMapsGiveTheChannelCount) {
    mapped = [](uint32_t channels) -> std::optional<uint32_t> {
        if (channels == 2) return 6u;
        if (channels == 8) return 4u;
        return std::nullopt;
    };
    setMode(Mode::Stitch);
    settings.channelMappingEnabled = 1;
    add("stereo.wav", 2); // mapped to 6: the reference
    add("surround.wav", 6);
    EXPECT_EQ(verdict(true), "");

    add("octo.wav", 8);
    EXPECT_EQ(verdict(true), "Cant stitch files;Different number of channels detected");

    settings.channelMappingEnabled = 0;
    EXPECT_EQ(verdict(true), "Cant combine files together; Different number of channels detected");
}

TEST_F(ListChecks, MergedChannelLimit) {
    setMode(Mode::Merge);
    EXPECT_EQ(verdict(), ""); // an empty list passes
    add("a.wav", 600);
    add("b.wav", 400);
    EXPECT_EQ(verdict(), "");
    add("c.wav", 1);
    EXPECT_EQ(
        verdict(),
        "The maximum number of channels is 1000. There are currenly 1001 channels in the list.");
}

TEST_F(ListChecks, EncoderRefusalsCarryTheirPrefix) {
    sendJobsTo(1008); // LAME: two channels at most
    add("a.wav", 2);
    add("b.wav", 2, 44100, SampleType::Int24);
    add("c.wav", 2, 96000);
    EXPECT_EQ(
        verdict(),
        "Quillmere error on: \"c.wav\". The current samplerate is 96000. The current Quillmere "
        "configuration requires a samplerate of 8000,11025,12000,16000,22050,24000,32000,44100 "
        "or 48000.");

    list.pop_back();
    setMode(Mode::Stitch);
    settings.convertSampleType = 1; // both written as 16 bit
    EXPECT_EQ(verdict(true), "");   // stitched output keeps two channels

    setMode(Mode::Merge);
    EXPECT_EQ(verdict(),
              "Quillmere error on the merged/stitched output. The number of channels is 4. The "
              "current Quillmere configuration requires 2 channels or less.");
}

} // namespace
} // namespace corv
