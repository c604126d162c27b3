// The dialogs of the eight console encoders (TwoLAME to Ogg Vorbis): every
// change is stored into the block at once; the preview shows the command
// line Quillmere would run for it.
#include "analyser/batcher_client/dialog_ids_encoders.h"
#include "analyser/batcher_client/encoder_forms.h"
#include "platform/text_format.h"
#include "platform/text_number.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <type_traits>

namespace corv {
namespace {

constexpr std::string_view kMpeg1Bitrates[] = {"32",  "40",  "48",  "56",  "64",  "80",  "96",
                                               "112", "128", "160", "192", "224", "256", "320"};
constexpr std::string_view kMpeg2Bitrates[] = {"8",  "16", "24", "32",  "40",  "48",  "56",
                                               "64", "80", "96", "112", "128", "144", "160"};

std::vector<std::string> bitratesOf(int32_t mpegVersion) {
    return mpegVersion == 2 ? itemsOf(kMpeg2Bitrates) : itemsOf(kMpeg1Bitrates);
}

// The number of the chosen entry, when the position is one of the list's.
void storeListNumber(const std::vector<std::string>& items, int position, int32_t& value) {
    if (positionIn(position, items.size()) >= 0)
        value = numberAtStart(items[static_cast<size_t>(position)]);
}

void storePosition(int position, size_t count, int32_t& value) {
    if (positionIn(position, count) >= 0) value = position;
}

bool inRange(int32_t value, int32_t low, int32_t high) {
    return value >= low && value <= high;
}

class TwoLameForm final : public EncoderForm {
  public:
    explicit TwoLameForm(TwoLameBlock& block) : b_(block) {}

    DialogView view() const override {
        const std::vector<std::string> bitrates = bitratesOf(b_.mpegVersion);
        DialogView view{
            listView(IDC_TWOLAME_BITRATE, bitrates, positionOf(bitrates, numberText(b_.bitrate)))};
        addRadios(view, IDC_MPEG1, 2, b_.mpegVersion - 1);
        addRadios(view, IDC_STEREO, 4, twoLameModePosition(b_.channelMode));
        return view;
    }

    void change(const ControlChange& c) override {
        if (auto version = chosenRadio(c, IDC_MPEG1, 2)) {
            b_.mpegVersion = *version + 1;
            b_.bitrate = numberAtStart(bitratesOf(b_.mpegVersion).front());
        } else if (auto mode = chosenRadio(c, IDC_STEREO, 4)) {
            b_.channelMode = kTwoLameModes[*mode];
        } else if (c.id == IDC_TWOLAME_BITRATE) {
            storeListNumber(bitratesOf(b_.mpegVersion), c.selected, b_.bitrate);
        }
    }

  private:
    TwoLameBlock& b_;
};

// Ape and FLAC: a track bar whose position, times a scale, is the level.
template <typename Block> class CompressionForm final : public EncoderForm {
  public:
    CompressionForm(Block& block, int low, int high, int scale)
        : b_(block), low_(low), high_(high), scale_(scale) {}

    DialogView view() const override {
        ControlView track;
        track.id = IDC_COMPRESSION_TRACK;
        track.range = {low_, high_};
        track.selected = std::clamp(b_.compressionLevel / scale_, low_, high_);
        DialogView view{track, textView(IDC_COMPRESSION_VALUE, numberText(b_.compressionLevel))};
        if constexpr (kFlac) addChecks(view, b_, kFlacChecks);
        return view;
    }

    void change(const ControlChange& c) override {
        if (c.id == IDC_COMPRESSION_TRACK)
            b_.compressionLevel = std::clamp(c.selected, low_, high_) * scale_;
        else if constexpr (kFlac)
            changeCheck(b_, kFlacChecks, c);
    }

  private:
    static constexpr bool kFlac = std::is_same_v<Block, FlacBlock>;
    static constexpr CheckField<FlacBlock> kFlacChecks[] = {
        {IDC_REPLAY_GAIN, &FlacBlock::storeReplayGain},
        {IDC_OGG_CONTAINER, &FlacBlock::oggContainer}};
    Block& b_;
    int low_, high_, scale_;
};

class WavPackForm final : public EncoderForm {
  public:
    // The box keeps what is typed (an emptied box stays empty); its number is stored.
    explicit WavPackForm(WavPackBlock& block)
        : b_(block), bitrateText_(numberText(block.hybridBitrate)) {}

    DialogView view() const override {
        const bool lossless = b_.lossless != 0;
        DialogView view{
            listView(IDC_WAVPACK_TABS, {"Lossless", "Hybrid (Lossy)"}, lossless ? 0 : 1),
            stateView(IDC_LOSSLESS_GROUP, true, lossless)};
        addRadios(view, IDC_LOSSLESS_FAST, 3, b_.losslessCompression, true, lossless);
        ControlView bitrate = textView(IDC_HYBRID_BITRATE, bitrateText_);
        bitrate.textLimit = 4;
        bitrate.shown = !lossless;
        view.push_back(bitrate);
        for (int id : {IDC_HYBRID_GROUP, IDC_HYBRID_BITRATE_LABEL, IDC_HYBRID_KBPS_LABEL})
            view.push_back(stateView(id, true, !lossless));
        addChecks(view, b_, kHybridChecks, !lossless);
        addChecks(view, b_, kChecks);
        return view;
    }

    void change(const ControlChange& c) override {
        if (c.id == IDC_WAVPACK_TABS && positionIn(c.selected, 2) >= 0)
            b_.lossless = c.selected == 0 ? 1 : 0;
        else if (auto compression = chosenRadio(c, IDC_LOSSLESS_FAST, 3))
            b_.losslessCompression = *compression;
        else if (c.id == IDC_HYBRID_BITRATE)
            b_.hybridBitrate = numberAtStart(bitrateText_ = c.text);
        else if (!changeCheck(b_, kHybridChecks, c))
            changeCheck(b_, kChecks, c);
    }

    std::string previewRefusal() const override {
        if (b_.lossless || bitrateValid()) return {};
        return "Bitrate must be between 24 and 9600.";
    }

    // Also in lossless mode: the stored hybrid bitrate must stay usable.
    std::string refusal() const override {
        if (bitrateValid()) return {};
        return "Invallid bitRate in the hybrid settings, bitRate must be between 24 and 9600";
    }

  private:
    bool bitrateValid() const { return inRange(b_.hybridBitrate, 24, 9600); }

    static constexpr CheckField<WavPackBlock> kHybridChecks[] = {
        {IDC_HIGH_QUALITY, &WavPackBlock::highQuality},
        {IDC_CORRECTION_FILE, &WavPackBlock::correctionFile}};
    static constexpr CheckField<WavPackBlock> kChecks[] = {
        {IDC_JOINT_STEREO, &WavPackBlock::jointStereo},
        {IDC_TIMESTAMP, &WavPackBlock::copyTimestamp},
        {IDC_SELF_EXTRACTING, &WavPackBlock::selfExtracting},
        {IDC_STORE_MD5, &WavPackBlock::storeMd5}};
    WavPackBlock& b_;
    std::string bitrateText_;
};

class NeroForm final : public EncoderForm {
  public:
    explicit NeroForm(NeroAacBlock& block) : b_(block) {}

    DialogView view() const override {
        const bool vbr = b_.vbr != 0;
        const std::vector<std::string> bitrates = itemsOf(kBitrates);
        DialogView view{
            listView(IDC_NERO_VBR_LIST, itemsOf(kPresets), positionIn(b_.vbrPreset, 8), vbr),
            stateView(IDC_NERO_VBR_LABEL, vbr),
            listView(IDC_NERO_CBR_LIST, bitrates,
                     positionOf(bitrates, numberText(b_.constantBitrate) + " "), !vbr),
            stateView(IDC_NERO_CBR_LABEL, !vbr)};
        addRadios(view, IDC_NERO_CBR, 2, vbr ? 1 : 0);
        addRadios(view, IDC_NERO_LC, 2, b_.heProfile ? 1 : 0);
        addRadios(view, IDC_NERO_FAST, 2, b_.highQuality ? 1 : 0);
        addChecks(view, b_, kChecks);
        return view;
    }

    void change(const ControlChange& c) override {
        if (auto vbr = chosenRadio(c, IDC_NERO_CBR, 2))
            b_.vbr = static_cast<uint8_t>(*vbr);
        else if (auto he = chosenRadio(c, IDC_NERO_LC, 2))
            b_.heProfile = static_cast<uint8_t>(*he);
        else if (auto high = chosenRadio(c, IDC_NERO_FAST, 2))
            b_.highQuality = static_cast<uint8_t>(*high);
        else if (c.id == IDC_NERO_VBR_LIST)
            storePosition(c.selected, 8, b_.vbrPreset);
        else if (c.id == IDC_NERO_CBR_LIST)
            storeListNumber(itemsOf(kBitrates), c.selected, b_.constantBitrate);
        else
            changeCheck(b_, kChecks, c);
    }

    std::string previewRefusal() const override {
        return bitrateValid() ? std::string() : "Bitrate must be between 16 and 448.";
    }
    std::string refusal() const override {
        return bitrateValid() ? std::string()
                              : "Invallid bitRate, bitRate must be between 16 and 448.";
    }

  private:
    bool bitrateValid() const { return inRange(b_.constantBitrate, 16, 448); }

    static constexpr std::string_view kPresets[] = {
        "Tape (0)",   "Radio (1)",   "Internet (2)",   "Streaming (3)",
        "Normal (4)", "Extreme (5)", "Audiophile (6)", "Transcoding (7)"};
    static constexpr std::string_view kBitrates[] = {"16 ",  "24 ",  "32 ",  "40 ",  "56 ",  "64 ",
                                                     "80 ",  "96 ",  "112 ", "128 ", "160 ", "192 ",
                                                     "224 ", "256 ", "320 ", "384 ", "448 "};
    static constexpr CheckField<NeroAacBlock> kChecks[] = {
        {IDC_NERO_PNS, &NeroAacBlock::pns},
        {IDC_NERO_KEEP_FREQUENCIES, &NeroAacBlock::keepAllFrequencies},
        {IDC_NERO_ISO_AAC, &NeroAacBlock::isoAacOutput}};
    NeroAacBlock& b_;
};

class MpcForm final : public EncoderForm {
  public:
    explicit MpcForm(MpcBlock& block) : b_(block) {}

    DialogView view() const override {
        const int preset = positionIn(b_.qualityPreset, 4);
        return {listView(IDC_QUALITY_LIST, itemsOf(kPresets), preset),
                textView(IDC_MPC_BITRATES, preset < 0 ? "" : std::string(kBitrates[preset]))};
    }

    void change(const ControlChange& c) override {
        if (c.id == IDC_QUALITY_LIST) storePosition(c.selected, 4, b_.qualityPreset);
    }

  private:
    static constexpr std::string_view kPresets[] = {"Thumb", "Radio", "Standard", "Xtreme"};
    static constexpr std::string_view kBitrates[] = {" 58 -  86 kbps", "112 - 152 kbps",
                                                     "142 - 184 kbps", "168 - 212 kbps"};
    MpcBlock& b_;
};

class LameForm final : public EncoderForm {
  public:
    explicit LameForm(LameBlock& block) : b_(block) {}

    DialogView view() const override {
        const int mode = b_.bitrateMode;
        const int preset = positionIn(b_.preset, 4);
        const std::vector<std::string> bitrates = bitratesOf(b_.mpegVersion);
        const std::vector<std::string> vbrQualities = numberItems(0, 9);
        DialogView view{
            listView(IDC_LAME_PRESET, itemsOf(kPresets), preset, mode == 0),
            textView(IDC_LAME_PRESET_KBPS, preset < 0 ? "" : std::string(kPresetKbps[preset]),
                     mode == 0),
            listView(IDC_LAME_VBR_QUALITY, vbrQualities,
                     positionOf(vbrQualities, numberText(b_.vbrQuality)), mode == 1),
            stateView(IDC_LAME_VBR_LABEL, mode == 1),
            listView(IDC_LAME_ABR, bitrates, positionOf(bitrates, numberText(b_.abrBitrate)),
                     mode == 2),
            stateView(IDC_LAME_ABR_LABEL, mode == 2),
            listView(IDC_LAME_CBR, bitrates, positionOf(bitrates, numberText(b_.constantBitrate)),
                     mode == 3),
            stateView(IDC_LAME_CBR_LABEL, mode == 3),
            listView(IDC_QUALITY_LIST, qualityItems(), positionIn(b_.algorithmQuality, 10))};
        addRadios(view, IDC_LAME_PRESET_MODE, 4, mode);
        addRadios(view, IDC_MPEG1, 2, b_.mpegVersion - 1);
        return view;
    }

    void change(const ControlChange& c) override {
        const std::vector<std::string> bitrates = bitratesOf(b_.mpegVersion);
        if (auto mode = chosenRadio(c, IDC_LAME_PRESET_MODE, 4)) {
            b_.bitrateMode = *mode;
        } else if (auto version = chosenRadio(c, IDC_MPEG1, 2)) {
            b_.mpegVersion = *version + 1;
            b_.abrBitrate = b_.constantBitrate = numberAtStart(bitratesOf(b_.mpegVersion).front());
        } else if (c.id == IDC_LAME_PRESET) {
            storePosition(c.selected, 4, b_.preset);
        } else if (c.id == IDC_LAME_VBR_QUALITY) {
            storePosition(c.selected, 10, b_.vbrQuality); // "0".."9"
        } else if (c.id == IDC_LAME_ABR) {
            storeListNumber(bitrates, c.selected, b_.abrBitrate);
        } else if (c.id == IDC_LAME_CBR) {
            storeListNumber(bitrates, c.selected, b_.constantBitrate);
        } else if (c.id == IDC_QUALITY_LIST) {
            storePosition(c.selected, 10, b_.algorithmQuality);
        }
    }

  private:
    static std::vector<std::string> qualityItems() {
        std::vector<std::string> items;
        for (int q = 0; q <= 9; ++q)
            items.push_back(formatText("q%i", q));
        return items;
    }

    static constexpr std::string_view kPresets[] = {"Medium", "Standard", "Extreme", "Insane"};
    static constexpr std::string_view kPresetKbps[] = {"(160 kbps)", "(190 kbps)", "(250 kbps)",
                                                       "(320 kbps)"};
    LameBlock& b_;
};

// The two boxes keep what was typed; a number is stored only when it is
// finite and in its range, so a refused OK leaves the stored value as it was.
class OggVorbisForm final : public EncoderForm {
  public:
    explicit OggVorbisForm(OggVorbisBlock& block)
        : b_(block), qualityText_(formatText("%.1f", static_cast<double>(block.quality))),
          bitrateText_(numberText(block.bitrate)) {}

    DialogView view() const override {
        const bool quality = b_.qualityMode != 0;
        std::vector<std::string> qualities;
        for (int q = 0; q <= 10; ++q)
            qualities.push_back(formatText("%.1f", static_cast<double>(q)));
        ControlView qualityBox = textView(IDC_OGG_QUALITY, qualityText_, quality);
        qualityBox.items = std::move(qualities);
        ControlView bitrateBox = textView(IDC_OGG_BITRATE, bitrateText_, !quality);
        bitrateBox.items = itemsOf(kBitrates);
        DialogView view{qualityBox, bitrateBox};
        addRadios(view, IDC_OGG_QUALITY_MODE, 2, quality ? 0 : 1);
        return view;
    }

    void change(const ControlChange& c) override {
        if (auto mode = chosenRadio(c, IDC_OGG_QUALITY_MODE, 2)) {
            b_.qualityMode = *mode == 0 ? 1 : 0;
        } else if (c.id == IDC_OGG_QUALITY) {
            qualityText_ = c.text;
            if (auto quality = typedQuality()) b_.quality = *quality;
        } else if (c.id == IDC_OGG_BITRATE) {
            bitrateText_ = c.text;
            if (auto bitrate = typedBitrate()) b_.bitrate = *bitrate;
        }
    }

    std::string previewRefusal() const override {
        if (!typedBitrate()) return "Bitrate must be between 45 and 500 .";
        if (!typedQuality()) return "Quality must be between 0.0 and 10.0";
        return {};
    }

    std::string refusal() const override {
        if (!typedQuality()) return "Value of quality must be between 0.0 and 10.0";
        if (!typedBitrate()) return "Bitrate must be between 45 and 500";
        return {};
    }

  private:
    // Read as C's atof reads; NaN and the infinities fail the range test.
    std::optional<float> typedQuality() const {
        const double quality = std::strtod(qualityText_.c_str(), nullptr);
        if (!(quality >= 0.0 && quality <= 10.0)) return std::nullopt;
        return static_cast<float>(quality);
    }
    std::optional<int32_t> typedBitrate() const {
        const int32_t bitrate = numberAtStart(bitrateText_);
        if (!inRange(bitrate, 45, 500)) return std::nullopt;
        return bitrate;
    }

    static constexpr std::string_view kBitrates[] = {
        "56", "64", "80", "96", "112", "128", "160", "192", "224", "256", "320", "384", "448"};
    OggVorbisBlock& b_;
    std::string qualityText_;
    std::string bitrateText_;
};

} // namespace

std::unique_ptr<EncoderForm> makeConsoleEncoderForm(JobType type, EncoderBlocks& b) {
    switch (type) {
    case JobType::TwoLame:
        return std::make_unique<TwoLameForm>(b.twoLame);
    case JobType::Ape:
        return std::make_unique<CompressionForm<ApeBlock>>(b.ape, 1, 5, 1000);
    case JobType::Flac:
        return std::make_unique<CompressionForm<FlacBlock>>(b.flac, 0, 8, 1);
    case JobType::WavPack:
        return std::make_unique<WavPackForm>(b.wavPack);
    case JobType::NeroAac:
        return std::make_unique<NeroForm>(b.neroAac);
    case JobType::Mpc:
        return std::make_unique<MpcForm>(b.mpc);
    case JobType::Lame:
        return std::make_unique<LameForm>(b.lame);
    case JobType::OggVorbis:
        return std::make_unique<OggVorbisForm>(b.oggVorbis);
    default:
        return nullptr;
    }
}

} // namespace corv
