#pragma once
// The nine columns of the file list: their fixed order, headers, widths and
// sort numbers, and where a column goes when it is shown again.
#include "analyser/engine/conversion_settings.h"

#include <array>
#include <optional>
#include <string_view>

namespace corv {

enum class ListColumn {
    Filename,
    Path,
    Size,
    Length,
    Channels,
    SampleRate,
    Type,
    Result,
    PeakConv
};
inline constexpr int kListColumnCount = 9;

struct ListColumnInfo {
    ListColumn column;
    std::string_view header;
    int width; // pixels
    bool rightAligned;
    int sortMagnitude; // the sort key's size for this column
};

inline constexpr std::array<ListColumnInfo, kListColumnCount> kListColumns = {{
    {ListColumn::Filename, "Filename", 100, false, 10},
    {ListColumn::Path, "Path", 70, false, 15},
    {ListColumn::Size, "Size", 70, true, 20},
    {ListColumn::Length, "Length", 70, true, 25},
    {ListColumn::Channels, "Channels", 65, true, 30},
    {ListColumn::SampleRate, "Sample Rate", 80, true, 35},
    {ListColumn::Type, "Type", 70, false, 40},
    {ListColumn::Result, "Result", 70, false, 45},
    {ListColumn::PeakConv, "Peak conv", 70, false, 50},
}};

inline const ListColumnInfo& columnInfo(ListColumn column) {
    return kListColumns[static_cast<size_t>(column)];
}

// The column a header names; nothing for any other text.
std::optional<ListColumn> columnOfHeader(std::string_view header);

// Filename is always shown; the others follow their showColumn switch.
bool isColumnShown(const ConversionSettings& settings, ListColumn column);
// The switch of an optional column (Path .. Peak conv); null for Filename.
uint8_t* columnSwitch(ConversionSettings& settings, ListColumn column);

// Where a column that is being shown goes: after Filename and after every
// shown optional column that comes before it in the fixed order.
int columnInsertPosition(const ConversionSettings& settings, ListColumn column);

} // namespace corv
