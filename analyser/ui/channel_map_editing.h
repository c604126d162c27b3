#pragma once
// The channel mapping dialog without its window: the rows it shows, what
// "&View" may open, and what New, View, Delete, Apply, Ok and Cancel do to
// the program's map list. The dialog edits a copy of the list, so that a
// conversion still running keeps the maps it took; the copy becomes the
// program's list on Apply and Ok, which alone wait for a running conversion.
#include "analyser/engine/channel_maps.h"
#include "analyser/engine/settings_file.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corv {

inline constexpr std::string_view kSelectSingleMapMessage = "Please select a single item to view";
inline constexpr std::string_view kTooManyChannelsMessage =
    "This channelmap has to much channels for showing in the GUI. Edit manualy.";
inline constexpr std::string_view kMapsNotSavedMessage =
    "The channel maps could not be written to mappings.ini.";
inline constexpr int kFormMaxChannels = 10; // larger maps are edited in the file

struct MapRowTexts {
    std::string fromTo; // "  6  ->  2"
    std::string_view type;
    std::string description;
};
MapRowTexts mapRowTexts(const ChannelMap& map);

enum class ViewChoice {
    Open,
    SelectOne,       // kSelectSingleMapMessage
    TooManyChannels, // kTooManyChannelsMessage
};
// map: the one selected row's map (ignored unless exactly one is selected).
ViewChoice decideView(int selectedRows, const ChannelMap* map);

enum class MapButton { Apply, Ok };

struct MapsOutcome {
    bool done = false;   // the change went through (Ok and Cancel then close)
    std::string message; // for the user, "" when none
};

// One open channel mapping dialog over the program's maps and settings.
class ChannelMapEditor {
  public:
    ChannelMapEditor(ChannelMapList& maps, AnalyserSettings& settings, std::string programDirectory,
                     std::function<bool()> workerRunning);

    const ChannelMapList& maps() const { return working_; } // the rows, in order
    bool mappingEnabled() const { return settings_.conversion.channelMappingEnabled != 0; }

    void add(ChannelMap map);                // "&New"; the row comes unchecked
    void change(size_t row, ChannelMap map); // "&View" closed with Ok
    void remove(std::vector<int> rows);      // "&Delete"
    // checked: one flag per row. The checked rows become the active maps and
    // the list is saved, unless two start from one channel count.
    MapsOutcome apply(const std::vector<bool>& checked, bool mappingEnabled, MapButton button);
    // "&Cancel" drops the copy. Without a conversion running the program's
    // list is read again from "mappings.ini"; a running one keeps its maps.
    void cancel();

  private:
    bool waiting(MapsOutcome& outcome) const;

    ChannelMapList& live_;
    ChannelMapList working_;
    AnalyserSettings& settings_;
    std::string programDirectory_;
    std::function<bool()> workerRunning_;
};

} // namespace corv
