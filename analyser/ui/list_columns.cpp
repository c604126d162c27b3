#include "analyser/ui/list_columns.h"

namespace corv {

std::optional<ListColumn> columnOfHeader(std::string_view header) {
    for (const ListColumnInfo& info : kListColumns)
        if (info.header == header) return info.column;
    return std::nullopt;
}

bool isColumnShown(const ConversionSettings& settings, ListColumn column) {
    if (column == ListColumn::Filename) return true;
    return settings.showColumn[static_cast<int>(column) - 1] != 0;
}

uint8_t* columnSwitch(ConversionSettings& settings, ListColumn column) {
    if (column == ListColumn::Filename) return nullptr;
    return &settings.showColumn[static_cast<int>(column) - 1];
}

int columnInsertPosition(const ConversionSettings& settings, ListColumn column) {
    int position = 1;
    for (int before = 1; before < static_cast<int>(column); ++before)
        if (isColumnShown(settings, static_cast<ListColumn>(before))) ++position;
    return column == ListColumn::Filename ? 0 : position;
}

} // namespace corv
