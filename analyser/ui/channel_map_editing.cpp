#include "analyser/ui/channel_map_editing.h"

#include "analyser/shared_ui/wait_texts.h"
#include "platform/text_format.h"

#include <algorithm>
#include <optional>

namespace corv {
namespace {

// The first input count that two checked rows share.
std::optional<int32_t> doubleCount(const ChannelMapList& maps, const std::vector<bool>& checked) {
    std::vector<bool> seen(kMaxMapChannels, false);
    for (size_t row = 0; row < maps.maps().size() && row < checked.size(); ++row) {
        if (!checked[row]) continue;
        const int32_t in = maps.maps()[row].inChannels;
        if (seen[static_cast<size_t>(in)]) return in;
        seen[static_cast<size_t>(in)] = true;
    }
    return std::nullopt;
}

} // namespace

MapRowTexts mapRowTexts(const ChannelMap& map) {
    return {formatText("%3i  ->%3i", map.inChannels, map.outChannels), map.isMix() ? "Mix" : "Move",
            map.description};
}

ViewChoice decideView(int selectedRows, const ChannelMap* map) {
    if (selectedRows != 1 || !map) return ViewChoice::SelectOne;
    if (map->inChannels > kFormMaxChannels || map->outChannels > kFormMaxChannels)
        return ViewChoice::TooManyChannels;
    return ViewChoice::Open;
}

ChannelMapEditor::ChannelMapEditor(ChannelMapList& maps, AnalyserSettings& settings,
                                   std::string programDirectory,
                                   std::function<bool()> workerRunning)
    : live_(maps), working_(maps), settings_(settings),
      programDirectory_(std::move(programDirectory)), workerRunning_(std::move(workerRunning)) {}

// Apply and Ok change the list a conversion reads.
bool ChannelMapEditor::waiting(MapsOutcome& outcome) const {
    if (!workerRunning_ || !workerRunning_()) return false;
    outcome.message = kWaitForConversionMessage;
    return true;
}

void ChannelMapEditor::add(ChannelMap map) {
    working_.append(std::move(map), false);
}

void ChannelMapEditor::change(size_t row, ChannelMap map) {
    working_.replace(row, std::move(map));
}

void ChannelMapEditor::remove(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<>()); // later rows first keep the indices
    for (int row : rows)
        if (row >= 0) working_.remove(static_cast<size_t>(row));
}

MapsOutcome ChannelMapEditor::apply(const std::vector<bool>& checked, bool mappingEnabled,
                                    MapButton button) {
    MapsOutcome outcome;
    if (waiting(outcome)) return outcome;
    // The box counts whether the maps can be applied or not; saved at once,
    // so that it is not lost when the program ends before the next save.
    settings_.conversion.channelMappingEnabled = mappingEnabled ? 1 : 0;
    (void)saveSettings(settings_, programDirectory_);
    if (auto count = doubleCount(working_, checked)) {
        outcome.message = formatText(
            button == MapButton::Ok ? "Double mapping for %i channels. Please remove a mapping."
                                    : "Multiple mappings for %i channels. Please remove a "
                                      "mapping.",
            *count);
        return outcome;
    }
    working_.clearActiveTable();
    for (size_t row = 0; row < working_.maps().size() && row < checked.size(); ++row)
        if (checked[row]) working_.setActive(row);
    live_ = working_;
    outcome.done = saveMaps(live_, programDirectory_);
    if (!outcome.done) outcome.message = kMapsNotSavedMessage;
    return outcome;
}

void ChannelMapEditor::cancel() {
    if (workerRunning_ && workerRunning_()) return;
    live_.clear();
    loadMaps(live_, programDirectory_, false);
}

} // namespace corv
