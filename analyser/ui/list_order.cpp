#include "analyser/ui/list_order.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace corv {
namespace {

template <typename T> int sign(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

int compareText(const char* a, const char* b) {
    const int c = std::strcmp(a, b); // compares as unsigned bytes
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// A peak that is not a number sorts below every measured or unmeasured one,
// so the order stays a strict one.
int comparePeaks(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return sign(!std::isnan(a), !std::isnan(b));
    return sign(a, b);
}

int compareLength(const AudioFileRecord& a, const AudioFileRecord& b) {
    if (a.sampleRate == 0 || b.sampleRate == 0) return sign(a.sampleRate != 0, b.sampleRate != 0);
    return sign(a.frameCount / static_cast<int64_t>(a.sampleRate),
                b.frameCount / static_cast<int64_t>(b.sampleRate));
}

int naturalOrder(const AudioFileRecord& a, const AudioFileRecord& b, ListColumn column) {
    switch (column) {
    case ListColumn::Filename:
        return compareText(a.name, b.name);
    case ListColumn::Path:
        return compareText(a.directory, b.directory);
    case ListColumn::Size:
        return sign(a.fileSize, b.fileSize);
    case ListColumn::Length:
        return compareLength(a, b);
    case ListColumn::Channels:
        return sign(a.channels, b.channels);
    case ListColumn::SampleRate:
        return sign(a.sampleRate, b.sampleRate);
    case ListColumn::Type:
        return sign(a.format, b.format);
    case ListColumn::Result:
        return sign(a.result, b.result);
    case ListColumn::PeakConv:
        return comparePeaks(a.peak, b.peak);
    }
    return 0;
}

} // namespace

int toggledSortKey(int sortKey, ListColumn clicked) {
    const int magnitude = columnInfo(clicked).sortMagnitude;
    return sortKey == -magnitude ? magnitude : -magnitude;
}

int compareForSort(const AudioFileRecord& a, const AudioFileRecord& b, int sortKey) {
    for (const ListColumnInfo& info : kListColumns)
        if (info.sortMagnitude == std::abs(sortKey))
            return naturalOrder(a, b, info.column) * (sortKey < 0 ? 1 : -1);
    return 0;
}

std::vector<RowExchange> dragExchanges(const std::vector<int>& selectedRows, int delta,
                                       int rowCount) {
    std::vector<RowExchange> exchanges;
    if (selectedRows.empty()) return exchanges;
    if (delta < 0) delta = std::max(delta, -selectedRows.front());
    if (delta > 0) delta = std::min(delta, rowCount - 1 - selectedRows.back());
    if (delta == 0) return exchanges;
    // Rows moving up go from the top down, rows moving down from the bottom
    // up, so that no row is moved twice.
    for (size_t i = 0; i < selectedRows.size(); ++i) {
        const int row = selectedRows[delta < 0 ? i : selectedRows.size() - 1 - i];
        exchanges.push_back({row, row + delta});
    }
    return exchanges;
}

} // namespace corv
