#include "analyser/batcher_client/encoder_dialog_values.h"

#include "analyser/batcher_client/dialog_ids_encoders.h"
#include "analyser/batcher_client/encoder_forms.h"
#include "analyser/shared_ui/wait_texts.h"
#include "platform/text_format.h"
#include "platform/text_number.h"
#include "protocol/messages.h"

#include <algorithm>
#include <cstring>

namespace corv {
namespace {

constexpr EncoderDialogInfo kDialogs[kJobTypeCount] = {
    {JobType::SurcodeCdPro, IDD_SURCODE_CD_PRO, 0, 0, 0, false, true},
    {JobType::SurcodeDvd, IDD_SURCODE_DVD, 0, 0, 0, false, true},
    {JobType::TwoLame, IDD_TWOLAME, IDC_COMMAND_LINE, IDC_COPY, IDC_CONNECT, true, false},
    {JobType::Ape, IDD_APE, IDC_COMMAND_LINE, IDC_COPY, IDC_CONNECT, true, false},
    {JobType::Flac, IDD_FLAC, IDC_COMMAND_LINE, IDC_COPY, IDC_CONNECT, true, false},
    {JobType::WavPack, IDD_WAVPACK, IDC_WAVPACK_COMMAND_LINE, IDC_WAVPACK_COPY, IDC_WAVPACK_CONNECT,
     true, false},
    {JobType::NeroAac, IDD_NERO_AAC, IDC_COMMAND_LINE, IDC_COPY, IDC_CONNECT, true, false},
    {JobType::Mpc, IDD_MPC, IDC_COMMAND_LINE, IDC_COPY, IDC_CONNECT, true, false},
    {JobType::Lame, IDD_LAME, IDC_COMMAND_LINE, IDC_COPY, IDC_CONNECT, true, false},
    {JobType::OggVorbis, IDD_OGG_VORBIS, IDC_COMMAND_LINE, IDC_COPY, IDC_CONNECT, true, false},
    {JobType::SonicFoundry, IDD_SONIC_FOUNDRY, IDC_COMMAND_LINE, IDC_COPY, IDC_CONNECT, true,
     false},
    {JobType::Ac3Library, IDD_AC3_LIBRARY, 0, 0, 0, false, false},
};

template <typename Block> std::pair<uint8_t*, size_t> bytesOf(Block& block) {
    return {reinterpret_cast<uint8_t*>(&block), sizeof block};
}

std::pair<uint8_t*, size_t> blockOf(EncoderBlocks& b, JobType type) {
    switch (type) {
    case JobType::SurcodeCdPro:
        return bytesOf(b.surcodeCdPro);
    case JobType::SurcodeDvd:
        return bytesOf(b.surcodeDvd);
    case JobType::TwoLame:
        return bytesOf(b.twoLame);
    case JobType::Ape:
        return bytesOf(b.ape);
    case JobType::Flac:
        return bytesOf(b.flac);
    case JobType::WavPack:
        return bytesOf(b.wavPack);
    case JobType::NeroAac:
        return bytesOf(b.neroAac);
    case JobType::Mpc:
        return bytesOf(b.mpc);
    case JobType::Lame:
        return bytesOf(b.lame);
    case JobType::OggVorbis:
        return bytesOf(b.oggVorbis);
    case JobType::SonicFoundry:
        return bytesOf(b.sonicFoundry);
    case JobType::Ac3Library:
        return bytesOf(b.ac3Library);
    }
    return {nullptr, 0};
}

} // namespace

ControlView checkView(int id, bool checked, bool enabled) {
    ControlView view;
    view.id = id;
    view.checked = checked;
    view.enabled = enabled;
    return view;
}

ControlView listView(int id, std::vector<std::string> items, int selected, bool enabled) {
    ControlView view;
    view.id = id;
    view.items = std::move(items);
    view.selected = selected;
    view.enabled = enabled;
    return view;
}

ControlView textView(int id, std::string text, bool enabled) {
    ControlView view;
    view.id = id;
    view.text = std::move(text);
    view.enabled = enabled;
    return view;
}

ControlView stateView(int id, bool enabled, bool shown) {
    ControlView view;
    view.id = id;
    view.enabled = enabled;
    view.shown = shown;
    return view;
}

void addRadios(DialogView& view, int firstId, int count, int chosen, bool enabled, bool shown) {
    for (int i = 0; i < count; ++i) {
        ControlView radio = checkView(firstId + i, i == chosen, enabled);
        radio.shown = shown;
        view.push_back(radio);
    }
}

std::optional<int> chosenRadio(const ControlChange& change, int firstId, int count) {
    if (!change.checked || change.id < firstId || change.id >= firstId + count) return std::nullopt;
    return change.id - firstId;
}

std::vector<std::string> numberItems(int from, int to) {
    std::vector<std::string> items;
    for (int n = from; n <= to; ++n)
        items.push_back(numberText(n));
    return items;
}

std::string numberText(int32_t value) {
    return formatText("%i", value);
}

int32_t numberAtStart(std::string_view text) {
    return static_cast<int32_t>(leadingInteger(text, INT32_MAX));
}

int positionOf(const std::vector<std::string>& items, std::string_view text) {
    auto found = std::find(items.begin(), items.end(), text);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

int positionIn(int32_t value, size_t count) {
    return value >= 0 && static_cast<size_t>(value) < count ? static_cast<int>(value) : -1;
}

std::optional<EncoderDialogInfo> encoderDialogInfo(int32_t jobType) {
    if (!jobTypeInfo(jobType)) return std::nullopt;
    return kDialogs[jobType - kFirstJobType];
}

std::unique_ptr<EncoderEditor> EncoderEditor::open(int32_t jobType, EncoderBlocks& blocks,
                                                   std::function<bool()> conversionRunning) {
    std::optional<EncoderDialogInfo> info = encoderDialogInfo(jobType);
    if (!info) return nullptr;
    std::unique_ptr<EncoderForm> form = makeConsoleEncoderForm(info->type, blocks);
    if (!form) form = makeSurroundEncoderForm(info->type, blocks);
    if (!form) return nullptr;
    return std::unique_ptr<EncoderEditor>(new EncoderEditor(
        *info, std::move(form), blockOf(blocks, info->type), std::move(conversionRunning)));
}

EncoderEditor::EncoderEditor(EncoderDialogInfo info, std::unique_ptr<EncoderForm> form,
                             std::pair<uint8_t*, size_t> block,
                             std::function<bool()> conversionRunning)
    : info_(info), form_(std::move(form)), block_(block),
      conversionRunning_(std::move(conversionRunning)) {
    restoreCopy_ = currentBlock();
}

bool EncoderEditor::conversionRunning() const {
    return conversionRunning_ && conversionRunning_();
}

std::vector<uint8_t> EncoderEditor::currentBlock() const {
    return std::vector<uint8_t>(block_.first, block_.first + block_.second);
}

bool EncoderEditor::change(const ControlChange& change) {
    // Dialogs that store at OK only change their own copy meanwhile.
    if (!info_.storesOnOk && conversionRunning()) return false;
    form_->change(change);
    return true;
}

std::string EncoderEditor::apply() {
    std::string refusal = form_->refusal();
    if (refusal.empty()) restoreCopy_ = currentBlock();
    return refusal;
}

std::string EncoderEditor::ok() {
    std::string refusal = form_->refusal();
    if (!refusal.empty() || !info_.storesOnOk) return refusal;
    if (conversionRunning()) return std::string(kWaitForConversionMessage);
    form_->commit();
    return {};
}

std::string EncoderEditor::cancel() {
    if (info_.storesOnOk || currentBlock() == restoreCopy_) return {};
    if (conversionRunning()) return std::string(kWaitForConversionMessage);
    std::memcpy(block_.first, restoreCopy_.data(), block_.second);
    return {};
}

std::optional<std::string> commandLineReplyText(const void* payload, size_t size) {
    if (!payload || size == 0) return std::nullopt;
    const auto* text = static_cast<const char*>(payload);
    const size_t readable = std::min(size, kMaxCommandlineReply - 1); // room for our own zero
    const void* zero = std::memchr(text, 0, readable);
    const size_t length =
        zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : readable;
    return std::string(text, length);
}

} // namespace corv
