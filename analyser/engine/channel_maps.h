#pragma once
// Channel maps: move or mix a file with a given channel count into another
// count. Kept in file order in "mappings.ini", at most one active per count.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corv {

inline constexpr char kMapsFileName[] = "mappings.ini";
inline constexpr char kMapsImportFileName[] = "mappingsNEW.ini";
inline constexpr char kMapsImportedFileName[] = "mappingsIMPORTED.ini";
inline constexpr int kMaxMapChannels = 1000; // input counts 1..999, output counts 1..1000

struct ChannelMap {
    int32_t inChannels = 0;
    int32_t outChannels = 0;
    // Exactly one of the two is filled, always to its full size: a move map has
    // outChannels source indices (negative or out of range: silence; an index
    // of inChannels or more is kept as read, so it is saved unchanged); a mix
    // map has inChannels x outChannels weights, input i's weight in output o at
    // i * outChannels + o. Numbers missing from the file are -1 / 0.0.
    std::vector<int32_t> moveTable;
    std::vector<double> mixMatrix;
    std::string description;

    bool isMix() const { return !mixMatrix.empty(); }
};

class ChannelMapList {
  public:
    const std::vector<ChannelMap>& maps() const { return maps_; }
    // The active map for files with this many channels; nullptr when none.
    const ChannelMap* activeMapFor(int64_t channels) const;
    bool isActive(size_t index) const;

    // Appends a map; makes it the active one of its input count when asked.
    // Maps with counts outside the limits, or without exactly one table of its
    // full size, are refused (false).
    bool append(ChannelMap map, bool active);
    // Puts a map of the same input count in the place of another (false and
    // nothing changed otherwise); whether that place is active stays.
    bool replace(size_t index, ChannelMap map);
    // Takes a map out; its count is left without an active map when it was
    // the active one, and every other count keeps its own.
    void remove(size_t index);
    void setActive(size_t index); // replaces the active map of its input count
    void clearActiveTable();      // every map stays, none is active
    void clear();

  private:
    static bool wellFormed(const ChannelMap& map);

    std::vector<ChannelMap> maps_;
    std::vector<int32_t> active_ = std::vector<int32_t>(kMaxMapChannels, -1); // index into maps_
};

// Reads records of "mappings.ini" text and appends them, stopping quietly at
// the first malformed first line (maps read before it stay). Lines end in
// "\n" or "\r\n". A record whose counts are outside the limits (0 and
// negative counts included) is skipped and reading goes on.
void readMaps(ChannelMapList& list, std::string_view text);

// The file's text for the whole list; a map is written "active#" exactly when
// it is the active one of its input count. Lines end as the platform's text
// files do ("\r\n" on Windows).
std::string writeMaps(const ChannelMapList& list);

// A missing file leaves the list as it is (false).
bool readMapsFile(ChannelMapList& list, const std::string& path);
bool saveMaps(const ChannelMapList& list, const std::string& programDirectory);

// With import: reads "mappingsNEW.ini" when it exists, then replaces
// "mappingsIMPORTED.ini" by it. Its maps join the list only once it is moved
// aside: when it cannot be, they are left for a later start (false), since
// the file would otherwise be imported again and every map doubled.
// Without: empties the active table and reads "mappings.ini", so maps read
// before (imported ones) end up inactive.
bool loadMaps(ChannelMapList& list, const std::string& programDirectory, bool import);

// Start-up: load with import, load, save: the imported maps first, then the
// maps that were there. False when the import had to wait (see loadMaps).
bool loadMapsAtStartUp(ChannelMapList& list, const std::string& programDirectory);

} // namespace corv
