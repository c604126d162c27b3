#include "analyser/engine/channel_maps.h"

#include "platform/file_stream.h"
#include "platform/path.h"
#include "platform/text_number.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <utility>

namespace corv {
namespace {

#ifdef _WIN32
constexpr std::string_view kLineEnd = "\r\n";
#else
constexpr std::string_view kLineEnd = "\n";
#endif

bool validCounts(int64_t in, int64_t out) {
    return in >= 1 && in < kMaxMapChannels && out >= 1 && out <= kMaxMapChannels;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Counts far beyond the limits only need to stay beyond them.
constexpr int64_t kNumberCap = int64_t{1} << 40;

int64_t mapNumber(std::string_view text) {
    return leadingInteger(text, kNumberCap);
}

int32_t toInt32(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// One line without its end ("\n" or "\r\n"); the last line may lack one.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool atEnd() const { return at_ >= text_.size(); }
    std::string_view next() {
        size_t end = text_.find('\n', at_);
        size_t stop = end == std::string_view::npos ? text_.size() : end;
        std::string_view line = text_.substr(at_, stop - at_);
        at_ = end == std::string_view::npos ? text_.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return line;
    }

  private:
    std::string_view text_;
    size_t at_ = 0;
};

// Calls take(token) for each blank-separated token until it returns false.
template <typename Take> void forEachToken(std::string_view line, Take take) {
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && isBlank(line[at]))
            ++at;
        size_t end = at;
        while (end < line.size() && !isBlank(line[end]))
            ++end;
        if (end > at && !take(line.substr(at, end - at))) return;
        at = end;
    }
}

struct FirstLine {
    int64_t in = 0;
    int64_t out = 0;
    bool mix = false;
    bool active = false;
    std::string description;
};

std::optional<FirstLine> parseFirstLine(std::string_view line) {
    FirstLine parsed;
    size_t hash1 = line.find('#');
    std::string_view counts = line.substr(0, hash1);
    size_t arrow = counts.find('>');
    if (arrow == std::string_view::npos || hash1 == std::string_view::npos) return std::nullopt;
    parsed.in = mapNumber(counts);
    parsed.out = mapNumber(counts.substr(arrow + 1));

    size_t hash2 = line.find('#', hash1 + 1);
    std::string_view kind = line.substr(
        hash1 + 1, hash2 == std::string_view::npos ? std::string_view::npos : hash2 - hash1 - 1);
    if (kind.substr(0, 3) == "mix")
        parsed.mix = true;
    else if (kind.substr(0, 3) != "mov")
        return std::nullopt;
    if (hash2 == std::string_view::npos) return parsed;

    size_t hash3 = line.find('#', hash2 + 1);
    std::string_view state = line.substr(
        hash2 + 1, hash3 == std::string_view::npos ? std::string_view::npos : hash3 - hash2 - 1);
    parsed.active = state.substr(0, 6) == "active";
    if (hash3 != std::string_view::npos) parsed.description = std::string(line.substr(hash3 + 1));
    return parsed;
}

void fillTables(ChannelMap& map, bool mix, std::string_view line) {
    if (mix) {
        size_t count = static_cast<size_t>(map.inChannels) * static_cast<size_t>(map.outChannels);
        map.mixMatrix.assign(count, 0.0);
        size_t filled = 0;
        std::string token;
        forEachToken(line, [&](std::string_view text) {
            if (filled == count) return false;
            token.assign(text);
            map.mixMatrix[filled++] = std::strtod(token.c_str(), nullptr);
            return true;
        });
    } else {
        size_t count = static_cast<size_t>(map.outChannels);
        map.moveTable.assign(count, -1);
        size_t filled = 0;
        forEachToken(line, [&](std::string_view text) {
            if (filled == count) return false;
            map.moveTable[filled++] = toInt32(mapNumber(text));
            return true;
        });
    }
}

std::optional<std::string> readTextFile(const std::string& path) {
    FileStream file;
    if (!file.open(path, FileStream::Mode::Read)) return std::nullopt;
    std::string text;
    char buffer[65536];
    for (size_t got; (got = file.read(buffer, sizeof buffer)) > 0;)
        text.append(buffer, got);
    return text;
}

} // namespace

const ChannelMap* ChannelMapList::activeMapFor(int64_t channels) const {
    if (channels < 0 || channels >= kMaxMapChannels) return nullptr;
    int32_t index = active_[static_cast<size_t>(channels)];
    return index < 0 ? nullptr : &maps_[static_cast<size_t>(index)];
}

bool ChannelMapList::isActive(size_t index) const {
    return index < maps_.size() &&
           active_[static_cast<size_t>(maps_[index].inChannels)] == static_cast<int32_t>(index);
}

bool ChannelMapList::wellFormed(const ChannelMap& map) {
    if (!validCounts(map.inChannels, map.outChannels)) return false;
    size_t matrixSize = static_cast<size_t>(map.inChannels) * static_cast<size_t>(map.outChannels);
    bool move =
        map.mixMatrix.empty() && map.moveTable.size() == static_cast<size_t>(map.outChannels);
    bool mix = map.moveTable.empty() && map.mixMatrix.size() == matrixSize;
    return move || mix;
}

bool ChannelMapList::append(ChannelMap map, bool active) {
    if (!wellFormed(map)) return false;
    maps_.push_back(std::move(map));
    if (active) setActive(maps_.size() - 1);
    return true;
}

bool ChannelMapList::replace(size_t index, ChannelMap map) {
    if (index >= maps_.size() || !wellFormed(map) || map.inChannels != maps_[index].inChannels)
        return false;
    maps_[index] = std::move(map);
    return true;
}

void ChannelMapList::remove(size_t index) {
    if (index >= maps_.size()) return;
    maps_.erase(maps_.begin() + static_cast<std::ptrdiff_t>(index));
    const auto removed = static_cast<int32_t>(index);
    for (int32_t& active : active_)
        if (active == removed)
            active = -1;
        else if (active > removed)
            --active;
}

void ChannelMapList::setActive(size_t index) {
    if (index >= maps_.size()) return;
    active_[static_cast<size_t>(maps_[index].inChannels)] = static_cast<int32_t>(index);
}

void ChannelMapList::clearActiveTable() {
    active_.assign(kMaxMapChannels, -1);
}

void ChannelMapList::clear() {
    maps_.clear();
    clearActiveTable();
}

void readMaps(ChannelMapList& list, std::string_view text) {
    LineReader lines(text);
    while (!lines.atEnd()) {
        auto first = parseFirstLine(lines.next());
        if (!first) return;
        std::string_view numbers = lines.next();
        // Out-of-range counts lose only their own record; the tables are never
        // made for them.
        if (!validCounts(first->in, first->out)) continue;
        ChannelMap map;
        map.inChannels = static_cast<int32_t>(first->in);
        map.outChannels = static_cast<int32_t>(first->out);
        map.description = std::move(first->description);
        fillTables(map, first->mix, numbers);
        list.append(std::move(map), first->active);
    }
}

std::string writeMaps(const ChannelMapList& list) {
    std::string out;
    char number[512]; // "%.3f" of the largest double needs a little over 300
    const auto& maps = list.maps();
    for (size_t i = 0; i < maps.size(); ++i) {
        const ChannelMap& map = maps[i];
        std::snprintf(number, sizeof number, "%d->%d#", map.inChannels, map.outChannels);
        out += number;
        out += map.isMix() ? "mix#" : "move#";
        out += list.isActive(i) ? "active#" : "inactive#";
        out += map.description;
        out += kLineEnd;
        if (map.isMix()) {
            for (double weight : map.mixMatrix) {
                std::snprintf(number, sizeof number, "%.3f ", weight);
                out += number;
            }
        } else {
            for (int32_t source : map.moveTable) {
                std::snprintf(number, sizeof number, "%d ", source);
                out += number;
            }
        }
        out += kLineEnd;
    }
    return out;
}

bool readMapsFile(ChannelMapList& list, const std::string& path) {
    std::optional<std::string> text = readTextFile(path);
    if (!text) return false;
    readMaps(list, *text);
    return true;
}

bool saveMaps(const ChannelMapList& list, const std::string& programDirectory) {
    std::string text = writeMaps(list);
    FileStream file;
    if (!file.open(joinPath(programDirectory, kMapsFileName), FileStream::Mode::Write))
        return false;
    bool written = file.write(text.data(), text.size()) == text.size();
    return file.close() && written;
}

bool loadMaps(ChannelMapList& list, const std::string& programDirectory, bool import) {
    if (import) {
        std::string fresh = joinPath(programDirectory, kMapsImportFileName);
        std::optional<std::string> text = readTextFile(fresh);
        if (!text) return true;
        // Renamed once read, so the same maps are not imported at every start.
        // The old copy goes first: a rename onto it fails on Windows.
        std::string imported = joinPath(programDirectory, kMapsImportedFileName);
        (void)removeFile(imported);
        if (std::rename(fresh.c_str(), imported.c_str()) != 0) return false;
        readMaps(list, *text);
        return true;
    }
    list.clearActiveTable();
    readMapsFile(list, joinPath(programDirectory, kMapsFileName));
    return true;
}

bool loadMapsAtStartUp(ChannelMapList& list, const std::string& programDirectory) {
    const bool imported = loadMaps(list, programDirectory, true);
    loadMaps(list, programDirectory, false);
    saveMaps(list, programDirectory);
    return imported;
}

} // namespace corv
