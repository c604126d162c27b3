#pragma once
// The "Configure Mapping" form without its window: what its controls show
// for a map, the map its controls give back, and where each control goes.
// A move form is one row of drop-down lists (one per output channel, each
// holding an empty entry and the input channels); a mix form has a weight
// cell per input (row) and output (column).
#include "analyser/engine/channel_maps.h"

#include <string>
#include <string_view>
#include <vector>

namespace corv {

inline constexpr size_t kDescriptionFieldLength = 500;
inline constexpr std::string_view kWeightItems[] = {"0.000", "0.100", "0.200", "0.300",
                                                    "0.400", "0.500", "0.600", "0.700",
                                                    "0.800", "0.900", "1.000"};

// The form's controls as values.
struct MapForm {
    // Move: per output channel, the position chosen in its drop-down list
    // (0 the empty entry, s + 1 input channel s; -1 nothing chosen).
    std::vector<int> sources;
    // Mix: per cell, the text, input i's weight in output o at i * outputs + o.
    std::vector<std::string> weights;
    std::string description; // the edit field's text
};

// A new map's tables before anything is chosen: silence, or zero weights.
ChannelMap blankMap(int32_t inChannels, int32_t outChannels, bool mix);

MapForm formOf(const ChannelMap& map);

// The map as the form left it, with the counts and kind of before: a choice
// that names no input channel is silence; a weight that is not a finite
// number is 0; "#" in a typed description becomes "_" (it separates the
// fields of "mappings.ini"). A control left as it was shown keeps the value
// of before exactly: a weight beyond three decimals, a source past the
// inputs, a description beyond what the edit field holds.
ChannelMap storedMap(const ChannelMap& before, const MapForm& typed);

// A weight as typed: the number at its start, as C reads one; 0 for empty
// text, text that is no number, infinities and NaN.
double weightOfText(const std::string& text);

struct FormBox {
    int left, top, width, height;
};

// Places in the dialog's client area, in pixels.
class MapFormLayout {
  public:
    // rows: the inputs of a mix form, 1 for a move form.
    MapFormLayout(int rows, int columns) : rows_(rows), columns_(columns) {}

    FormBox destinationLabel() const;
    FormBox sourceLabel() const;
    FormBox columnLabel(int column) const;
    FormBox rowLabel(int row) const; // mix forms only
    FormBox cell(int row, int column) const;
    FormBox descriptionLabel() const;
    FormBox descriptionField() const;
    FormBox okButton() const;
    FormBox cancelButton() const;
    int clientWidth() const;
    int windowHeight() const; // the whole window, frame included

  private:
    int belowCells() const;
    int rows_;
    int columns_;
};

} // namespace corv
