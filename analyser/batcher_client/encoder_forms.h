#pragma once
// The forms behind the encoder dialogs and the small pieces they share: how
// a list, a check box or a radio group shows a stored field and stores a
// change back.
#include "analyser/batcher_client/encoder_dialog_values.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corv {

// The eight console encoders (1002..1009), and the four that take one file
// per channel slot (1000, 1001, 1010, 1011); null for any other type.
std::unique_ptr<EncoderForm> makeConsoleEncoderForm(JobType type, EncoderBlocks& blocks);
std::unique_ptr<EncoderForm> makeSurroundEncoderForm(JobType type, EncoderBlocks& blocks);

ControlView checkView(int id, bool checked, bool enabled = true);
ControlView listView(int id, std::vector<std::string> items, int selected, bool enabled = true);
ControlView textView(int id, std::string text, bool enabled = true);
// A label or group that only follows the enabling or the page of its controls.
ControlView stateView(int id, bool enabled, bool shown = true);

// One radio button per value in order from firstId; the one at chosen is checked.
void addRadios(DialogView& view, int firstId, int count, int chosen, bool enabled = true,
               bool shown = true);
// The position of the radio the change checked, when it is one of the group.
std::optional<int> chosenRadio(const ControlChange& change, int firstId, int count);

template <size_t N> std::vector<std::string> itemsOf(const std::string_view (&texts)[N]) {
    return std::vector<std::string>(std::begin(texts), std::end(texts));
}
std::vector<std::string> numberItems(int from, int to); // "from" .. "to"
std::string numberText(int32_t value);
// The number a list entry starts with ("160 " -> 160).
int32_t numberAtStart(std::string_view text);
// -1 when the text is not among the items.
int positionOf(const std::vector<std::string>& items, std::string_view text);
// The value as a list position: -1 unless 0 <= value < count.
int positionIn(int32_t value, size_t count);

// Check boxes over one-byte flags of a block.
template <typename Block> struct CheckField {
    int id;
    uint8_t Block::*flag;
};
template <typename Block, size_t N>
void addChecks(DialogView& view, const Block& block, const CheckField<Block> (&fields)[N],
               bool shown = true) {
    for (const CheckField<Block>& field : fields) {
        ControlView check = checkView(field.id, block.*field.flag != 0);
        check.shown = shown;
        view.push_back(check);
    }
}
template <typename Block, size_t N>
bool changeCheck(Block& block, const CheckField<Block> (&fields)[N], const ControlChange& change) {
    for (const CheckField<Block>& field : fields)
        if (field.id == change.id) {
            block.*field.flag = change.checked ? 1 : 0;
            return true;
        }
    return false;
}

} // namespace corv
