// Channel map files of any content: every map kept has counts within the
// limits and full tables, and what is written reads back as the same list.
#include "analyser/engine/channel_maps.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void checkLimits(const corv::ChannelMapList& list) {
    for (size_t i = 0; i < list.maps().size(); ++i) {
        const auto& map = list.maps()[i];
        require(map.inChannels >= 1 && map.inChannels < corv::kMaxMapChannels);
        require(map.outChannels >= 1 && map.outChannels <= corv::kMaxMapChannels);
        size_t cells = static_cast<size_t>(map.inChannels) * static_cast<size_t>(map.outChannels);
        require(map.isMix() ? map.mixMatrix.size() == cells && map.moveTable.empty()
                            : map.moveTable.size() == static_cast<size_t>(map.outChannels));
        if (list.isActive(i)) require(list.activeMapFor(map.inChannels) == &map);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // Each record may ask for a 999 x 1000 matrix (8 MB); a few records are
    // enough to reach every path without gigabytes per input.
    size_t lineEnds = 0;
    for (char c : text)
        lineEnds += c == '\n';
    if (size > 65536 || lineEnds > 8) return 0;

    corv::ChannelMapList list;
    corv::readMaps(list, text);
    checkLimits(list);

    corv::ChannelMapList again;
    corv::readMaps(again, corv::writeMaps(list));
    checkLimits(again);
    require(again.maps().size() == list.maps().size());
    for (size_t i = 0; i < list.maps().size(); ++i) {
        const auto& before = list.maps()[i];
        const auto& after = again.maps()[i];
        require(after.inChannels == before.inChannels && after.outChannels == before.outChannels);
        require(again.isActive(i) == list.isActive(i));
        require(after.moveTable == before.moveTable);
        require(after.mixMatrix.size() == before.mixMatrix.size());
        for (size_t w = 0; w < before.mixMatrix.size(); ++w)
            if (std::isfinite(before.mixMatrix[w]) && std::fabs(before.mixMatrix[w]) < 1e6)
                require(std::fabs(after.mixMatrix[w] - before.mixMatrix[w]) <= 0.0006);
        // A description ending in a carriage return loses it as a line end.
        if (before.description.empty() || before.description.back() != '\r')
            require(after.description == before.description);
    }
    return 0;
}
