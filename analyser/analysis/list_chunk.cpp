#include "analyser/analysis/list_chunk.h"

#include "analyser/analysis/riff_names.h"
#include "protocol/little_endian.h"

#include <algorithm>
#include <cstring>

namespace corv {

// Byte i of the field at offset, written so that no sum can wrap around.
uint8_t ChunkBytes::fieldByte(size_t offset, size_t i) const {
    return offset < size_ && i < size_ - offset ? data_[offset + i] : 0;
}

uint16_t ChunkBytes::u16(size_t offset) const {
    const uint8_t field[2] = {fieldByte(offset, 0), fieldByte(offset, 1)};
    return readU16le(field);
}

uint32_t ChunkBytes::u32(size_t offset) const {
    const uint8_t field[4] = {fieldByte(offset, 0), fieldByte(offset, 1), fieldByte(offset, 2),
                              fieldByte(offset, 3)};
    return readU32le(field);
}

std::string ChunkBytes::text(size_t offset, size_t maxLength) const {
    std::string out;
    for (size_t i = 0; i < maxLength && offset < size_ && i < size_ - offset; ++i) {
        uint8_t c = data_[offset + i];
        if (c == 0) break;
        out.push_back(static_cast<char>(c));
    }
    return out;
}

ChunkBytes ChunkBytes::slice(size_t offset, size_t length) const {
    if (offset >= size_) return {};
    return {data_ + offset, std::min(length, size_ - offset)};
}

namespace {

constexpr size_t kLongTextLength = 519;
constexpr size_t kStreamNameLength = 500;

enum class StreamType { Other, Audio, Video };

struct SubChunk {
    char id[4];
    uint32_t size;
    ChunkBytes data;  // exactly the sub-chunk's data
    ChunkBytes whole; // header and data
};

bool idIs(const SubChunk& sub, const char* id) {
    return std::memcmp(sub.id, id, 4) == 0;
}

std::string idText(const char id[4]) {
    return std::string(id, 4);
}

void appendLines(TextNode& node, std::initializer_list<std::string> lines) {
    for (const std::string& line : lines)
        node.append(line);
}

void labelOrNote(TextNode& typeNode, const SubChunk& sub) {
    TextNode& node = typeNode.append(idText(sub.id));
    appendLines(node, {formatText("size: %u", sub.size), formatText("Name: %u", sub.data.u32(0)),
                       formatText("data %s", sub.data.text(4, kLongTextLength).c_str())});
}

bool labelledText(TextNode& typeNode, const SubChunk& sub) {
    if (sub.size != 20) return false;
    const ChunkBytes& d = sub.data;
    unsigned language = d.u16(14), dialect = d.u16(16);
    TextNode& node = typeNode.append("ltxt");
    appendLines(node, {formatText("size: %u", sub.size), formatText("Name: %u", d.u32(0)),
                       formatText("Length in sampels: %u", d.u32(4)),
                       formatText("Purpose: %s (0x%08X)", d.text(8, 4).c_str(), d.u32(8)),
                       formatText("Country: %i (%s)", int{d.u16(12)}, countryName(d.u16(12))),
                       formatText("Language: %i (%s)", static_cast<int>(language),
                                  languageName(language, dialect)),
                       formatText("Dialect: %i", static_cast<int>(dialect)),
                       formatText("Codepage: %i", int{d.u16(18)})});
    return true;
}

bool mainAviHeader(TextNode& typeNode, const SubChunk& sub) {
    if (sub.size != 56) return false;
    const ChunkBytes& d = sub.data;
    appendLines(typeNode,
                {formatText("Fcc: %s", idText(sub.id).c_str()), formatText("Size: %u", sub.size),
                 formatText("Microseconds between frames: %u", d.u32(0)),
                 formatText("Maximum bitrate: %u (approximation)", d.u32(4)),
                 formatText("Alignment for data: %u", d.u32(8)), formatText("Flags %u", d.u32(12)),
                 formatText("Total number of frames: %u", d.u32(16)),
                 formatText("Initial frames: %u", d.u32(20)),
                 formatText("Number of streams: %u", d.u32(24)),
                 formatText("Suggested buffer size: %u", d.u32(28)),
                 formatText("Width: %u", d.u32(32)), formatText("Height: %u", d.u32(36)),
                 formatText("Reserved: %u %u %u %u", d.u32(40), d.u32(44), d.u32(48), d.u32(52))});
    return true;
}

StreamType streamHeader(TextNode& typeNode, const SubChunk& sub) {
    const ChunkBytes& d = sub.data;
    TextNode& node = typeNode.append("strh");
    appendLines(node,
                {formatText("size: %u", sub.size), formatText("Fcc type: %s", d.text(0, 4).c_str()),
                 formatText("Fcc handler: %s", d.text(4, 4).c_str()),
                 formatText("Flags: %u", d.u32(8)), formatText("Priority: %u", unsigned{d.u16(12)}),
                 formatText("Language: %u", unsigned{d.u16(14)}),
                 formatText("Initial frames: %u", d.u32(16)), formatText("Scale: %u", d.u32(20)),
                 formatText("Rate: %u", d.u32(24)), formatText("Start time stream: %u", d.u32(28)),
                 formatText("Length stream: %u", d.u32(32)),
                 formatText("Suggested buffersize: %u", d.u32(36)),
                 formatText("Quality: %u (0-10k)", d.u32(40)),
                 formatText("Size of single sample data %u ", d.u32(44)),
                 formatText("Rc frame Left:%i Top:%i Right:%i Botom:%i", int{d.i16(48)},
                            int{d.i16(50)}, int{d.i16(52)}, int{d.i16(54)})});
    // Compared exactly: the text stops at a zero byte, so equal means all four bytes.
    std::string type = d.text(0, 4);
    if (type == "auds") return StreamType::Audio;
    if (type == "vids") return StreamType::Video;
    return StreamType::Other;
}

void waveFormatLines(TextNode& node, const ChunkBytes& d) {
    appendLines(node, {formatText("Format: %i%s", int{d.u16(0)}, formatTagSuffix(d.u16(0))),
                       formatText("Number of channels: %i", int{d.u16(2)}),
                       formatText("Sample Rate: %u Hz", d.u32(4)),
                       formatText("Average bytes per sec.: %u ", d.u32(8)),
                       formatText("Block align: %i bytes", int{d.u16(12)}),
                       formatText("Bits per sample: %i ", int{d.u16(14)}),
                       formatText("Number of bytes extra info: %i ", int{d.u16(16)})});
}

void bitmapLines(TextNode& node, const ChunkBytes& d) {
    appendLines(node, {formatText("Size struct: %u", d.u32(0)), formatText("Width: %i", d.i32(4)),
                       formatText("Height: %i", d.i32(8)),
                       formatText("Number of planes: %i", int{d.u16(12)}),
                       formatText("Bit count class: %i", int{d.u16(14)}),
                       formatText("Compression class: %u", d.u32(16)),
                       formatText("Image size: %u bytes", d.u32(20)),
                       formatText("Horizontal resolution: %i (pixels/meter)", d.i32(24)),
                       formatText("Vertical resolution: %i (pixels/meter)", d.i32(28)),
                       formatText("Number of color indexes in the color table used: %u", d.u32(32)),
                       formatText("Number of color indexes required for displaying: %u", d.u32(36)),
                       formatText("Intensity of blue: %i", int{d.u8(40)}),
                       formatText("Intensity of green: %i", int{d.u8(41)}),
                       formatText("Intensity of red: %i", int{d.u8(42)}),
                       formatText("Reserverd: %i", int{d.u8(43)})});
}

void streamFormat(TextNode& typeNode, const SubChunk& sub, StreamType type) {
    const char* suffix = type == StreamType::Audio   ? " (WAVEFORMATEX struct)"
                         : type == StreamType::Video ? " (BITMAPINFO  struct)"
                                                     : "";
    TextNode& node = typeNode.append(std::string("strf") + suffix);
    node.append(formatText("Size: %u", sub.size));
    if (type == StreamType::Audio) waveFormatLines(node, sub.data);
    if (type == StreamType::Video) bitmapLines(node, sub.data);
}

void streamName(TextNode& typeNode, const SubChunk& sub) {
    TextNode& node = typeNode.append("strn (name)");
    appendLines(node, {formatText("Size: %u", sub.size),
                       formatText("Data: %s", sub.data.text(0, kStreamNameLength).c_str())});
}

void infoOrUnknown(TextNode& typeNode, const SubChunk& sub) {
    const char* description = infoTagDescription(sub.id);
    TextNode& node =
        typeNode.append(idText(sub.id) + " (" + (description ? description : "Unknown") + ")");
    node.append(formatText("size: %u", sub.size));
    if (description) node.append(formatText("data: %s", sub.data.text(0, kLongTextLength).c_str()));
}

bool isWalkedListType(const ChunkBytes& type) {
    for (const char* known : {"adtl", "INFO", "hdrl", "strl"})
        if (type.text(0, 4) == known) return true;
    return false;
}

void walkList(TextNode& parent, ChunkBytes list, int depth);

struct ListWalk {
    StreamType lastStream = StreamType::Other; // from the latest "strh" of this list
    int depth = 0;
};

// False when the sub-chunk ends the walk of this list.
bool showSubChunk(TextNode& typeNode, const SubChunk& sub, ListWalk& walk) {
    if (idIs(sub, "labl") || idIs(sub, "note")) {
        labelOrNote(typeNode, sub);
    } else if (idIs(sub, "ltxt")) {
        return labelledText(typeNode, sub);
    } else if (idIs(sub, "avih")) {
        return mainAviHeader(typeNode, sub);
    } else if (idIs(sub, "LIST")) {
        TextNode& node = typeNode.append("LIST");
        node.append(formatText("size: %u", sub.size));
        if (walk.depth + 1 < kMaxListDepth) walkList(node, sub.whole, walk.depth + 1);
    } else if (idIs(sub, "strh")) {
        walk.lastStream = streamHeader(typeNode, sub);
    } else if (idIs(sub, "strf")) {
        streamFormat(typeNode, sub, walk.lastStream);
    } else if (idIs(sub, "strn")) {
        streamName(typeNode, sub);
    } else {
        infoOrUnknown(typeNode, sub);
    }
    return true;
}

void walkList(TextNode& parent, ChunkBytes list, int depth) {
    uint32_t claimed = list.u32(4);
    if (claimed <= 7) return;
    if (!isWalkedListType(list.slice(8, 4))) return;
    // The walk trusts the size field only as far as the bytes really reach.
    uint64_t listSize = std::min<uint64_t>(claimed, list.size() - 8);
    TextNode& typeNode = parent.append(list.text(8, 4));
    ListWalk walk;
    walk.depth = depth;
    uint64_t offset = 12;
    while (offset + 8 <= listSize + 8) {
        SubChunk sub;
        for (int i = 0; i < 4; ++i)
            sub.id[i] = static_cast<char>(list.u8(offset + i));
        sub.size = list.u32(offset + 4);
        if (sub.size == 0 || offset + sub.size > listSize) return;
        for (char c : sub.id)
            if (!isPrintableIdChar(static_cast<uint8_t>(c))) return;
        sub.whole = list.slice(offset, uint64_t{sub.size} + 8);
        sub.data = sub.whole.slice(8, sub.size);
        if (!showSubChunk(typeNode, sub, walk)) return;
        offset += uint64_t{sub.size} + 8;
        // A writer that pads odd sub-chunks leaves a zero byte, which can never
        // start an identifier: step over it instead of ending the list there.
        if (sub.size % 2 && offset < listSize + 8 && list.u8(offset) == 0) ++offset;
    }
}

} // namespace

void walkListChunk(TextNode& parent, ChunkBytes listBytes) {
    if (listBytes.size() < 8) return;
    walkList(parent, listBytes, 0);
}

} // namespace corv
