#include "analyser/ui/channel_map_form.h"

#include "analyser/ui/number_text.h"
#include "platform/text_format.h"

#include <algorithm>

namespace corv {
namespace {

constexpr int kMargin = 8;
constexpr int kCellsLeft = 60;
constexpr int kCellPitch = 60;
constexpr int kCellWidth = 55;
constexpr int kCellsTop = 46;
constexpr int kRowPitch = 40;
constexpr int kListHeight = 200; // a drop-down's height with its list open
constexpr int kLabelHeight = 16;
constexpr int kButtonWidth = 75;
constexpr int kButtonGap = 10;
constexpr int kMinimumClientWidth = 340;

size_t cellCount(const ChannelMap& map) {
    return static_cast<size_t>(map.inChannels) * static_cast<size_t>(map.outChannels);
}

std::string storedDescription(std::string text) {
    for (char& c : text)
        if (c == '#')
            c = '_';
        else if (c == '\r' || c == '\n') // would end the record's first line
            c = ' ';
    return text;
}

} // namespace

ChannelMap blankMap(int32_t inChannels, int32_t outChannels, bool mix) {
    ChannelMap map;
    map.inChannels = inChannels;
    map.outChannels = outChannels;
    if (mix)
        map.mixMatrix.assign(cellCount(map), 0.0);
    else
        map.moveTable.assign(static_cast<size_t>(outChannels), -1);
    return map;
}

MapForm formOf(const ChannelMap& map) {
    MapForm form;
    for (int32_t source : map.moveTable)
        form.sources.push_back(source >= 0 && source < map.inChannels ? source + 1 : 0);
    for (double weight : map.mixMatrix)
        form.weights.push_back(weight != 0.0 ? formatText("%.3f", weight) : "");
    form.description = map.description.substr(0, kDescriptionFieldLength);
    return form;
}

double weightOfText(const std::string& text) {
    return finiteNumber(text).value_or(0.0);
}

ChannelMap storedMap(const ChannelMap& before, const MapForm& typed) {
    ChannelMap map = blankMap(before.inChannels, before.outChannels, before.isMix());
    // A control left as it was shown keeps the stored value exactly: the form
    // shows weights to three decimals and a source past the inputs as silence.
    const MapForm shown = formOf(before);
    for (size_t o = 0; o < map.moveTable.size() && o < typed.sources.size(); ++o)
        if (o < shown.sources.size() && typed.sources[o] == shown.sources[o])
            map.moveTable[o] = before.moveTable[o];
        else if (typed.sources[o] >= 1 && typed.sources[o] <= map.inChannels)
            map.moveTable[o] = typed.sources[o] - 1;
    for (size_t cell = 0; cell < map.mixMatrix.size() && cell < typed.weights.size(); ++cell)
        map.mixMatrix[cell] =
            cell < shown.weights.size() && typed.weights[cell] == shown.weights[cell]
                ? before.mixMatrix[cell]
                : weightOfText(typed.weights[cell]);
    map.description = typed.description == shown.description ? before.description
                                                             : storedDescription(typed.description);
    return map;
}

FormBox MapFormLayout::destinationLabel() const {
    return {kCellsLeft, 6, 120, kLabelHeight};
}

FormBox MapFormLayout::sourceLabel() const {
    return {kMargin, 26, kCellsLeft - kMargin, kLabelHeight};
}

FormBox MapFormLayout::columnLabel(int column) const {
    return {kCellsLeft + column * kCellPitch, 26, kCellWidth, kLabelHeight};
}

FormBox MapFormLayout::rowLabel(int row) const {
    return {kMargin, kCellsTop + row * kRowPitch + 4, kCellsLeft - kMargin - 4, kLabelHeight};
}

FormBox MapFormLayout::cell(int row, int column) const {
    return {kCellsLeft + column * kCellPitch, kCellsTop + row * kRowPitch, kCellWidth, kListHeight};
}

int MapFormLayout::belowCells() const {
    return kCellsTop + (rows_ - 1) * kRowPitch + 28;
}

FormBox MapFormLayout::descriptionLabel() const {
    return {kMargin, belowCells(), 120, kLabelHeight};
}

FormBox MapFormLayout::descriptionField() const {
    return {kMargin, belowCells() + 16, clientWidth() - 2 * kMargin, 20};
}

FormBox MapFormLayout::okButton() const {
    return {(clientWidth() - 2 * kButtonWidth - kButtonGap) / 2, belowCells() + 44, kButtonWidth,
            23};
}

FormBox MapFormLayout::cancelButton() const {
    FormBox ok = okButton();
    return {ok.left + kButtonWidth + kButtonGap, ok.top, kButtonWidth, ok.height};
}

int MapFormLayout::clientWidth() const {
    return std::max(kCellsLeft + columns_ * kCellPitch + kMargin, kMinimumClientWidth);
}

int MapFormLayout::windowHeight() const {
    return std::max(rows_, 2) * kRowPitch + 140;
}

} // namespace corv
