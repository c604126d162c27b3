// The encoder dialogs without windows: enable rules, slot choices, range
// checks, the restore copy and the command-line reply.
#include "analyser/batcher_client/batcher_dialog_values.h"
#include "analyser/batcher_client/dialog_ids_encoders.h"
#include "analyser/batcher_client/encoder_dialog_values.h"
#include "analyser/ui/user_actions.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <tuple>

namespace corv {
namespace {

struct EncoderDialogs : ::testing::Test {
    EncoderBlocks blocks = defaultEncoderBlocks();
    bool converting = false;
    std::unique_ptr<EncoderEditor> open(JobType type) {
        return EncoderEditor::open(static_cast<int32_t>(type), blocks,
                                   [this] { return converting; });
    }
};

ControlView controlOf(const EncoderEditor& editor, int id) {
    for (const ControlView& control : editor.view())
        if (control.id == id) return control;
    ADD_FAILURE() << "no control " << id;
    return {};
}

TEST_F(EncoderDialogs, SonicFoundryModeAndLfeDecideChannelsSlotsAndEnabling) {
    struct Case {
        int mode;
        bool lfe;
        int channels;
        int32_t slots[6];                                // L R C LFE LS RS
        bool centre, surround, dolby, lfeBox, lfeFilter; // enabled
    };
    const Case cases[] = {
        {1, true, 1, {-1, -1, 0, -1, -1, -1}, false, false, false, false, false},
        {2, true, 2, {0, 1, -1, -1, -1, -1}, false, false, true, false, false},
        {3, true, 4, {0, 1, 2, 3, -1, -1}, true, false, false, true, true},
        {4, false, 3, {0, 1, -1, -1, 2, -1}, false, true, false, true, false},
        {5, true, 5, {0, 1, 2, 3, 4, -1}, true, true, false, true, true},
        {6, false, 4, {0, 1, -1, -1, 2, 3}, false, true, false, true, false},
        {7, true, 6, {0, 1, 2, 3, 4, 5}, true, true, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        auto editor = open(JobType::SonicFoundry);
        editor->change({IDC_LFE, c.lfe, -1, {}});
        editor->change({IDC_CODING_MODE, false, c.mode - 1, {}});
        const SonicFoundryBlock& b = blocks.sonicFoundry;
        EXPECT_EQ(b.channelCount, c.channels);
        EXPECT_EQ(std::memcmp(b.slotStream, c.slots, sizeof c.slots), 0);
        EXPECT_EQ(controlOf(*editor, IDC_CHANNEL_COUNT).text, std::to_string(c.channels));
        EXPECT_EQ(controlOf(*editor, IDC_CENTRE_MIX).enabled, c.centre);
        EXPECT_EQ(controlOf(*editor, IDC_SURROUND_MIX).enabled, c.surround);
        EXPECT_EQ(controlOf(*editor, IDC_REAR_3DB).enabled, c.surround);
        EXPECT_EQ(controlOf(*editor, IDC_DOLBY_SURROUND).enabled, c.dolby);
        EXPECT_EQ(controlOf(*editor, IDC_LFE).enabled, c.lfeBox);
        EXPECT_EQ(controlOf(*editor, IDC_LFE_FILTER).enabled, c.lfeFilter);
        for (int slot = 0; slot < 6; ++slot)
            EXPECT_EQ(controlOf(*editor, IDC_SLOT_L + slot).enabled, c.slots[slot] >= 0);
        EXPECT_FALSE(controlOf(*editor, IDC_INTEL_BYTE_ORDER).enabled);
    }
}

TEST_F(EncoderDialogs, SurcodeStoresItsSlotsOnlyAtOkNeedsOneChannelAndKeepsItsDvdDataRate) {
    auto editor = open(JobType::SurcodeCdPro);
    editor->change({IDC_MONO_STREAM_COUNT, false, 1, {}});       // 2 streams: nothing selected
    EXPECT_EQ(controlOf(*editor, IDC_SLOT_L).items->size(), 3u); // "", "0", "1"
    EXPECT_EQ(editor->ok(), kNoChannelMessage);
    editor->change({IDC_SLOT_L + 1, false, 2, {}});    // R: stream 1
    EXPECT_EQ(blocks.surcodeCdPro.monoStreamCount, 6); // not yet stored
    EXPECT_EQ(editor->ok(), "");
    EXPECT_EQ(blocks.surcodeCdPro.monoStreamCount, 2);
    EXPECT_EQ(blocks.surcodeCdPro.monoStreamIndex[1], 1);
    EXPECT_LT(blocks.surcodeCdPro.monoStreamIndex[0], 0);
    // Surcode DVD keeps its data rate choice at 48000 only.
    editor = open(JobType::SurcodeDvd);
    editor->change({IDC_DATA_RATE, false, 0, {}}); // "1536"
    EXPECT_EQ(editor->ok(), "");
    EXPECT_EQ(blocks.surcodeDvd.dataRate, 1536);
    editor = open(JobType::SurcodeDvd);
    EXPECT_EQ(controlOf(*editor, IDC_DATA_RATE).selected, 0);
    editor->change({IDC_SAMPLE_RATE, false, 0, {}}); // 44100
    EXPECT_EQ(*controlOf(*editor, IDC_DATA_RATE).items, std::vector<std::string>{"1234"});
    EXPECT_FALSE(controlOf(*editor, IDC_DATA_RATE).enabled);
    EXPECT_EQ(editor->ok(), "");
    EXPECT_EQ(blocks.surcodeDvd.sampleRate, 44100);
    EXPECT_EQ(blocks.surcodeDvd.dataRate, 1536);
}

TEST_F(EncoderDialogs, OutOfRangeNumbersAreRefusedWithTheirMessages) {
    const std::string wavPack =
        "Invallid bitRate in the hybrid settings, bitRate must be between 24 and 9600";
    const std::string quality = "Quality must be between 0.0 and 10.0",
                      qualityRefusal = "Value of quality must be between 0.0 and 10.0";
    const struct {
        JobType type;
        bool hybridTab; // the preview checks the page in front only (kept from then on)
        int id;
        std::string text, preview, refusal;
    } cases[] = {
        {JobType::WavPack, false, IDC_HYBRID_BITRATE, "9601", "", wavPack},
        {JobType::WavPack, true, IDC_HYBRID_BITRATE, "20", "Bitrate must be between 24 and 9600.",
         wavPack},
        {JobType::OggVorbis, false, IDC_OGG_QUALITY, "10.5", quality, qualityRefusal},
        {JobType::OggVorbis, false, IDC_OGG_QUALITY, "nan", quality, qualityRefusal},
        {JobType::OggVorbis, false, IDC_OGG_QUALITY, "inf", quality, qualityRefusal},
        {JobType::OggVorbis, false, IDC_OGG_BITRATE, "44", "Bitrate must be between 45 and 500 .",
         "Bitrate must be between 45 and 500"},
        {JobType::OggVorbis, false, IDC_OGG_QUALITY, "10", "", ""},
        {JobType::OggVorbis, false, IDC_OGG_QUALITY, "2.5", "", ""},
        {JobType::OggVorbis, false, IDC_OGG_BITRATE, "500", "", ""},
    };
    for (const auto& c : cases) {
        auto editor = open(c.type);
        if (c.hybridTab) editor->change({IDC_WAVPACK_TABS, false, 1, {}});
        editor->change({c.id, false, -1, c.text});
        EXPECT_EQ(editor->previewRefusal(), c.preview) << c.text;
        EXPECT_EQ(editor->apply(), c.refusal) << c.text;
    }
    EXPECT_EQ(blocks.oggVorbis.quality, 2.5f); // a refused number never reaches the block
    EXPECT_EQ(blocks.oggVorbis.bitrate, 500);
    blocks.neroAac.constantBitrate = 500;
    auto nero = open(JobType::NeroAac);
    EXPECT_EQ(nero->previewRefusal(), "Bitrate must be between 16 and 448.");
    EXPECT_EQ(nero->ok(), "Invallid bitRate, bitRate must be between 16 and 448.");
    auto mpc = open(JobType::Mpc);
    mpc->change({IDC_QUALITY_LIST, false, 0, {}}); // the first item is a choice too
    EXPECT_EQ(blocks.mpc.qualityPreset, 0);
}

TEST_F(EncoderDialogs, CancelRestoresWhatWasThereAtOpenOrLastApply) {
    auto editor = open(JobType::Lame);
    editor->change({IDC_MPEG2, true, -1, {}}); // refills the bitrate lists from 8 kbps
    EXPECT_EQ(blocks.lame.abrBitrate, 8);
    EXPECT_EQ(editor->apply(), "");
    editor->change({IDC_LAME_CBR_MODE, true, -1, {}});
    editor->change({IDC_LAME_CBR, false, 2, {}});
    editor->change({IDC_QUALITY_LIST, false, 9, {}});
    EXPECT_EQ(blocks.lame.constantBitrate, 24);
    converting = true; // the worker reads the blocks: nothing may change them
    EXPECT_FALSE(editor->change({IDC_QUALITY_LIST, false, 2, {}}));
    EXPECT_EQ(editor->cancel(), kWaitForConversionMessage);
    EXPECT_EQ(blocks.lame.constantBitrate, 24);
    converting = false;
    EXPECT_EQ(editor->cancel(), "");
    LameBlock expected = defaultEncoderBlocks().lame;
    expected.mpegVersion = 2;
    expected.abrBitrate = expected.constantBitrate = 8;
    EXPECT_EQ(std::memcmp(&blocks.lame, &expected, sizeof expected), 0);

    // A refused Apply takes no restore copy: Cancel goes back to the opening state.
    const OggVorbisBlock opened = blocks.oggVorbis;
    auto ogg = open(JobType::OggVorbis);
    ogg->change({IDC_OGG_BITRATE, false, -1, "200"});
    ogg->change({IDC_OGG_QUALITY, false, -1, "11"});
    EXPECT_NE(ogg->apply(), "");
    EXPECT_EQ(ogg->cancel(), "");
    EXPECT_EQ(std::memcmp(&blocks.oggVorbis, &opened, sizeof opened), 0);

    // The Surcode dialogs keep their changes until OK, which waits for the run.
    auto surcode = open(JobType::SurcodeCdPro);
    converting = true;
    EXPECT_TRUE(surcode->change({IDC_MONO_STREAM_COUNT, false, 1, {}}));
    surcode->change({IDC_SLOT_L, false, 1, {}});
    EXPECT_EQ(surcode->ok(), kWaitForConversionMessage);
    EXPECT_EQ(blocks.surcodeCdPro.monoStreamCount, 6);
}

TEST(BatcherDialog, ReplyTextIsReadWithinItsSizeStoredChoicesShowAndApplyWaitsForTheRun) {
    const char unterminated[] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(commandLineReplyText(unterminated, 3), "abc");
    EXPECT_EQ(commandLineReplyText("x\0y", 4), "x");
    EXPECT_FALSE(commandLineReplyText(nullptr, 5));
    EXPECT_FALSE(commandLineReplyText("x", 0));
    EXPECT_FALSE(EncoderEditor::open(999, *std::make_unique<EncoderBlocks>(), nullptr));
    // The batcher dialog shows the stored choice and Apply waits for the run.
    test::TempDir temp;
    AnalyserSettings settings = defaultAnalyserSettings();
    ConversionSettings& s = settings.conversion;
    s.batcherOutputType = 1012; // unknown: the first entry
    EXPECT_EQ(batcherDialogShows(s).outputType, 0);
    s.batcherOutputType = 1011, s.sendJobsToBatcher = 1, s.startBatcherWhenFinished = 0;
    const BatcherDialogValues shown = batcherDialogShows(s);
    EXPECT_EQ(std::tuple(shown.outputType, shown.sendJobs, shown.startBatcherWhenFinished),
              std::tuple(11, true, false));
    for (auto [position, type] : {std::pair{0, 1000}, {11, 1011}, {12, 1000}, {-1, 1000}})
        EXPECT_EQ(jobTypeAt(position), type) << position;

    const BatcherDialogValues chosen{0, false, true};
    bool running = true;
    auto apply = [&](const std::string& folder) {
        return applyBatcherDialog(chosen, settings, folder, [&] { return running; });
    };
    EXPECT_EQ(apply(temp.dir()), BatcherApply::Refused);
    EXPECT_EQ(s.batcherOutputType, 1011);
    EXPECT_FALSE(std::filesystem::exists(temp.file(kAnalyserSettingsFileName)));
    running = false;
    EXPECT_EQ(apply(temp.file("missing") + "/"), BatcherApply::NotWritten);
    EXPECT_EQ(apply(temp.dir()), BatcherApply::Saved);
    AnalyserSettings stored{};
    loadSettings(stored, temp.dir());
    EXPECT_EQ(std::tuple(stored.conversion.batcherOutputType, stored.conversion.sendJobsToBatcher,
                         stored.conversion.startBatcherWhenFinished),
              std::tuple(1000, 0, 1));
}

} // namespace
} // namespace corv
