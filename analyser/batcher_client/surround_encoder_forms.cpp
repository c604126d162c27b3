// The dialogs of the encoders that take one mono file per channel slot
// (L, R, C, LFE, LS, RS): the two Surcode DTS dialogs, which keep their
// changes until OK, and the Sonic Foundry and AC3 library dialogs, whose
// coding mode and LFE decide the channel count and the slots in use.
#include "analyser/batcher_client/dialog_ids_encoders.h"
#include "analyser/batcher_client/encoder_forms.h"
#include "platform/text_format.h"

#include <algorithm>
#include <type_traits>

namespace corv {
namespace {

// The slot lists' ids, in slot order.
constexpr int slotList(int slot) {
    return IDC_SLOT_L + slot;
}
std::optional<int> slotOf(const ControlChange& change) {
    if (change.id < IDC_SLOT_L || change.id > IDC_SLOT_RS) return std::nullopt;
    return change.id - IDC_SLOT_L;
}

// Stream numbers "0" .. count-1; a count from a settings file is kept to the slots.
std::vector<std::string> streamItems(int32_t count) {
    return numberItems(0, std::clamp(count, 0, kChannelSlots) - 1);
}

// Surcode: "Channels" is the number of mono streams; each slot list holds an
// empty entry (no stream, stored as -1) and the stream numbers. The dialog
// works on a copy of the block and stores it at OK.
template <typename Block> class SurcodeForm final : public EncoderForm {
  public:
    explicit SurcodeForm(Block& block) : stored_(block), work_(block) {
        if (work_.monoStreamCount < 1 || work_.monoStreamCount > kChannelSlots) {
            work_.monoStreamCount = kChannelSlots;
            for (int slot = 0; slot < kChannelSlots; ++slot)
                work_.monoStreamIndex[slot] = slot;
        }
        opened_ = work_;
    }

    DialogView view() const override {
        DialogView view{listView(IDC_MONO_STREAM_COUNT, numberItems(1, kChannelSlots),
                                 work_.monoStreamCount - 1)};
        std::vector<std::string> streams{""};
        for (std::string& stream : streamItems(work_.monoStreamCount))
            streams.push_back(std::move(stream));
        for (int slot = 0; slot < kChannelSlots; ++slot)
            view.push_back(listView(slotList(slot), streams, shownSlot(slot)));
        if constexpr (kDvd) {
            const bool at48000 = work_.sampleRate == 48000;
            const std::vector<std::string> rates{"44100", "48000"};
            view.push_back(checkView(IDC_ATTENUATE_REAR, work_.attenuateRear != 0));
            view.push_back(
                listView(IDC_SAMPLE_RATE, rates, positionOf(rates, numberText(work_.sampleRate))));
            // Other rates leave the choice to the job: it carries 1234.
            const std::vector<std::string> dataRates = at48000
                                                           ? std::vector<std::string>{"1536", "768"}
                                                           : std::vector<std::string>{"1234"};
            view.push_back(listView(IDC_DATA_RATE, dataRates,
                                    at48000 ? positionOf(dataRates, numberText(work_.dataRate)) : 0,
                                    at48000));
        }
        return view;
    }

    void change(const ControlChange& c) override {
        if (auto chosen = slotOf(c)) {
            work_.monoStreamIndex[*chosen] = c.selected - 1; // no selection: below 0
        } else if (c.id == IDC_MONO_STREAM_COUNT && positionIn(c.selected, kChannelSlots) >= 0) {
            work_.monoStreamCount = c.selected + 1;
            for (int slot = 0; slot < kChannelSlots; ++slot) {
                if (work_.monoStreamCount == opened_.monoStreamCount)
                    work_.monoStreamIndex[slot] = opened_.monoStreamIndex[slot];
                else
                    work_.monoStreamIndex[slot] =
                        work_.monoStreamCount == kChannelSlots ? slot : -2;
            }
        } else if constexpr (kDvd) {
            if (c.id == IDC_ATTENUATE_REAR) {
                work_.attenuateRear = c.checked ? 1 : 0;
            } else if (c.id == IDC_SAMPLE_RATE && positionIn(c.selected, 2) >= 0) {
                work_.sampleRate = c.selected == 0 ? 44100 : 48000;
                work_.dataRate = work_.sampleRate == 48000 ? 768 : 1536; // the second entry, "1234"
            } else if (c.id == IDC_DATA_RATE) {
                work_.dataRate = c.selected == 0 ? 1536 : 768;
            }
        }
    }

    std::string refusal() const override {
        for (int slot = 0; slot < kChannelSlots; ++slot)
            if (shownSlot(slot) > 0) return {};
        return std::string(kNoChannelMessage);
    }

    void commit() override {
        Block stored = work_;
        for (int slot = 0; slot < kChannelSlots; ++slot)
            stored.monoStreamIndex[slot] = shownSlot(slot) - 1;
        if constexpr (kDvd) {
            if (work_.sampleRate != 48000 || work_.dataRate == 1536)
                stored.dataRate = 1536; // the first entry
            else
                stored.dataRate = 768;
        }
        stored_ = stored;
    }

  private:
    // The list position a slot shows: 0 the empty entry, -1 nothing.
    int shownSlot(int slot) const {
        const int32_t index = work_.monoStreamIndex[slot];
        return index >= -1 && index < work_.monoStreamCount ? index + 1 : -1;
    }

    static constexpr bool kDvd = std::is_same_v<Block, SurcodeDvdBlock>;
    Block& stored_;
    Block work_;
    Block opened_;
};

constexpr std::string_view kDataRates[] = {"128", "160", "192", "224", "256", "320",
                                           "384", "448", "512", "576", "640"};
constexpr std::string_view kCodingModes[] = {"1/0 (C)",        "2/0 (L,R)",     "3/0 (L,C,R)",
                                             "2/1(L,R,l)",     "3/1 (L,C,R,l)", "2/2 (L,R,l,r)",
                                             "3/2 (L,C,R,l,r)"};
constexpr int32_t kModeChannels[] = {1, 2, 3, 3, 4, 4, 5};

// The LFE option counts from coding mode 3 on.
bool lfeAllowed(int32_t mode) {
    return mode >= 3;
}

struct SurroundLayout {
    int32_t channels;
    uint32_t mask; // the slots in use
};

SurroundLayout surroundLayout(int32_t mode, bool lfe) {
    const bool withLfe = lfe && lfeAllowed(mode);
    const int32_t channels = mode >= 1 && mode <= 7 ? kModeChannels[mode - 1] : 0;
    return {channels + (withLfe ? 1 : 0), sonicChannelMask(mode, withLfe)};
}

// The slots of the mask get the streams 0, 1, ... in slot order, the others none.
void assignSlots(uint32_t mask, int32_t* slots) {
    int32_t next = 0;
    for (int slot = 0; slot < kChannelSlots; ++slot)
        slots[slot] = (mask & kSlotBit[slot]) ? next++ : -1;
}

// The controls both the Sonic Foundry and the AC3 library dialog have.
template <typename Block> void addEncodingFormat(DialogView& view, const Block& b) {
    const std::vector<std::string> dataRates = itemsOf(kDataRates);
    view.push_back(
        listView(IDC_DATA_RATE, dataRates, positionOf(dataRates, numberText(b.dataRate))));
    view.push_back(
        listView(IDC_CODING_MODE, itemsOf(kCodingModes), positionIn(b.codingMode - 1, 7)));
    view.push_back(checkView(IDC_LFE, b.lfe != 0, lfeAllowed(b.codingMode)));
    view.push_back(textView(IDC_CHANNEL_COUNT, numberText(b.channelCount)));
}

// True when the change was one of those controls. A new mode or LFE choice
// sets the channel count and gives the slots in use their streams in order.
template <typename Block>
bool changeEncodingFormat(Block& b, int32_t (Block::*slots)[kChannelSlots],
                          const ControlChange& c) {
    if (c.id == IDC_DATA_RATE) {
        if (positionIn(c.selected, std::size(kDataRates)) >= 0)
            b.dataRate = numberAtStart(kDataRates[c.selected]);
    } else if (c.id == IDC_CODING_MODE || c.id == IDC_LFE) {
        if (c.id == IDC_LFE)
            b.lfe = c.checked ? 1 : 0;
        else if (positionIn(c.selected, 7) >= 0)
            b.codingMode = c.selected + 1;
        const SurroundLayout layout = surroundLayout(b.codingMode, b.lfe != 0);
        b.channelCount = layout.channels;
        assignSlots(layout.mask, b.*slots);
    } else {
        return false;
    }
    return true;
}

class SonicFoundryForm final : public EncoderForm {
  public:
    explicit SonicFoundryForm(SonicFoundryBlock& block) : b_(block) {}

    DialogView view() const override {
        const int32_t mode = b_.codingMode;
        DialogView view;
        addEncodingFormat(view, b_);
        for (const IndexList& list : kLists)
            view.push_back(
                listView(list.id, list.items(), positionIn(b_.*list.field, list.items().size())));
        const uint32_t mask = surroundLayout(mode, b_.lfe != 0).mask;
        for (int slot = 0; slot < kChannelSlots; ++slot) {
            const bool used = (mask & kSlotBit[slot]) != 0;
            const std::vector<std::string> streams =
                used ? streamItems(b_.channelCount) : std::vector<std::string>{};
            view.push_back(listView(slotList(slot), streams,
                                    used ? positionIn(b_.slotStream[slot], streams.size()) : -1,
                                    used));
        }
        addChecks(view, b_, kChecks);
        for (ControlView& control : view) {
            switch (control.id) {
            case IDC_CENTRE_MIX:
                control.enabled = mode == 3 || mode == 5 || mode == 7;
                break;
            case IDC_SURROUND_MIX:
            case IDC_PHASE90:
            case IDC_REAR_3DB:
                control.enabled = mode >= 4;
                break;
            case IDC_DOLBY_SURROUND:
                control.enabled = mode == 2;
                break;
            case IDC_LFE_FILTER:
                control.enabled = lfeAllowed(mode) && b_.lfe;
                break;
            case IDC_INTEL_BYTE_ORDER:
                control.enabled = false;
                break;
            default:
                break;
            }
        }
        return view;
    }

    void change(const ControlChange& c) override {
        if (changeEncodingFormat(b_, &SonicFoundryBlock::slotStream, c)) return;
        if (auto slot = slotOf(c)) {
            b_.slotStream[*slot] = c.selected;
            return;
        }
        for (const IndexList& list : kLists)
            if (list.id == c.id && positionIn(c.selected, list.items().size()) >= 0)
                b_.*list.field = c.selected;
        changeCheck(b_, kChecks, c);
    }

  private:
    // Lists that store the position of the chosen entry.
    struct IndexList {
        int id;
        int32_t SonicFoundryBlock::*field;
        std::vector<std::string> (*items)();
    };
    static constexpr IndexList kLists[] = {
        {IDC_SAMPLE_RATE, &SonicFoundryBlock::sampleRateIndex,
         [] {
             return std::vector<std::string>{"48000", "44100", "32000"};
         }},
        {IDC_DIALOG_NORM, &SonicFoundryBlock::dialogNormIndex,
         [] {
             std::vector<std::string> items;
             for (int db = -1; db >= -31; --db)
                 items.push_back(formatText("%i dB", db));
             return items;
         }},
        {IDC_COMPRESSION_TYPE, &SonicFoundryBlock::compressionType,
         [] {
             return std::vector<std::string>{"None",         "Film: Standard",
                                             "Film: Light",  "Music: Standard",
                                             "Music: Light", "Speech"};
         }},
        {IDC_CENTRE_MIX, &SonicFoundryBlock::centreMixLevel,
         [] {
             return std::vector<std::string>{"-3 dB", "-4.5 dB", "-6 dB"};
         }},
        {IDC_SURROUND_MIX, &SonicFoundryBlock::surroundMixLevel,
         [] {
             return std::vector<std::string>{"-3 dB", "-6 dB", "none"};
         }},
        {IDC_DOLBY_SURROUND, &SonicFoundryBlock::dolbySurroundMode,
         [] {
             return std::vector<std::string>{"Not indicated", "Not Dolby Surround encoded",
                                             "Dolby Surround encoded"};
         }},
    };
    static constexpr CheckField<SonicFoundryBlock> kChecks[] = {
        {IDC_RF_PROTECTION, &SonicFoundryBlock::rfProtection},
        {IDC_DEEMPHASIS, &SonicFoundryBlock::deemphasis},
        {IDC_DC_FILTER, &SonicFoundryBlock::dcFilter},
        {IDC_BANDWIDTH_FILTER, &SonicFoundryBlock::bandwidthFilter},
        {IDC_LFE_FILTER, &SonicFoundryBlock::lfeFilter},
        {IDC_PHASE90, &SonicFoundryBlock::phase90},
        {IDC_REAR_3DB, &SonicFoundryBlock::cut3dB},
        {IDC_INTEL_BYTE_ORDER, &SonicFoundryBlock::intelByteOrder},
        {IDC_TIMESTAMP, &SonicFoundryBlock::timeStamp}};
    SonicFoundryBlock& b_;
};

// The slot lists only show which streams the library will take; the user
// cannot change them.
class Ac3LibraryForm final : public EncoderForm {
  public:
    explicit Ac3LibraryForm(Ac3LibraryBlock& block) : b_(block) {}

    DialogView view() const override {
        DialogView view;
        addEncodingFormat(view, b_);
        const std::vector<std::string> rates = itemsOf(kSampleRates);
        view.push_back(
            listView(IDC_SAMPLE_RATE, rates, positionOf(rates, numberText(b_.sampleRate))));
        const std::vector<std::string> streams = streamItems(b_.channelCount);
        for (int slot = 0; slot < kChannelSlots; ++slot)
            view.push_back(listView(slotList(slot), streams,
                                    positionIn(b_.slotSelection[slot], streams.size()), false));
        return view;
    }

    void change(const ControlChange& c) override {
        if (changeEncodingFormat(b_, &Ac3LibraryBlock::slotSelection, c)) return;
        if (c.id == IDC_SAMPLE_RATE && positionIn(c.selected, std::size(kSampleRates)) >= 0)
            b_.sampleRate = numberAtStart(kSampleRates[c.selected]);
    }

  private:
    static constexpr std::string_view kSampleRates[] = {"32000", "44100", "48000"};
    Ac3LibraryBlock& b_;
};

} // namespace

std::unique_ptr<EncoderForm> makeSurroundEncoderForm(JobType type, EncoderBlocks& b) {
    switch (type) {
    case JobType::SurcodeCdPro:
        return std::make_unique<SurcodeForm<SurcodeCdProBlock>>(b.surcodeCdPro);
    case JobType::SurcodeDvd:
        return std::make_unique<SurcodeForm<SurcodeDvdBlock>>(b.surcodeDvd);
    case JobType::SonicFoundry:
        return std::make_unique<SonicFoundryForm>(b.sonicFoundry);
    case JobType::Ac3Library:
        return std::make_unique<Ac3LibraryForm>(b.ac3Library);
    default:
        return nullptr;
    }
}

} // namespace corv
