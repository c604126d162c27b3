#include "analyser/analysis/chunk_tree.h"

#include "analyser/analysis/ds64_chunk.h"
#include "analyser/analysis/list_chunk.h"
#include "analyser/analysis/riff_names.h"
#include "analyser/analysis/wave_format.h"
#include "analyser/analysis/wave_reader.h"
#include "platform/file_stream.h"
#include "protocol/little_endian.h"

#include <cstring>
#include <limits>

namespace corv {

TextNode& TextNode::append(std::string childText) {
    TextNode child;
    child.text = std::move(childText);
    children.push_back(std::move(child));
    return children.back();
}

namespace {

// Larger chunks are skipped by seeking and never read into memory.
constexpr uint32_t kLargestDecodedChunk = 999999;
constexpr uint64_t kNoLimit = 4294967295u;
constexpr uint64_t kNoLimitInDs64 = std::numeric_limits<uint64_t>::max();

struct ChunkHeader {
    char id[4];
    uint32_t size;
    bool is(const char* other) const { return std::memcmp(id, other, 4) == 0; }
};

// False on a short read or an identifier that cannot be one.
bool readChunkHeader(ByteSource& source, ChunkHeader& header) {
    uint8_t raw[8];
    if (source.read(raw, sizeof raw) != sizeof raw) return false;
    for (int i = 0; i < 4; ++i) {
        if (!isPrintableIdChar(raw[i])) return false;
        header.id[i] = static_cast<char>(raw[i]);
    }
    header.size = ChunkBytes(raw, sizeof raw).u32(4);
    return true;
}

uint64_t walkLimit(bool ignored, int64_t fileSize, bool sizesInDs64) {
    const uint64_t none = sizesInDs64 ? kNoLimitInDs64 : kNoLimit;
    if (ignored && fileSize >= 0 && static_cast<uint64_t>(fileSize) < none)
        return static_cast<uint64_t>(fileSize);
    return none;
}

void formatLines(TextNode& node, const ChunkBytes& body) {
    uint32_t size = static_cast<uint32_t>(body.size());
    if (size != kFormatSizePcm && size != kFormatSizeNonPcm && size != kFormatSizeExtensible) {
        node.append("Unknown fmt chunk");
        return;
    }
    uint16_t tag = body.u16(0);
    node.append(formatText("Format: %i%s", int{tag},
                           tag == kWaveTagExtensible ? " (Determined by subformat)"
                                                     : formatTagSuffix(tag)));
    node.append(formatText("Number of channels: %i", int{body.u16(2)}));
    node.append(formatText("Sample Rate: %u Hz", body.u32(4)));
    node.append(formatText("Average bytes per sec.: %u ", body.u32(8)));
    node.append(formatText("Block align: %i bytes", int{body.u16(12)}));
    node.append(formatText("Bits per sample: %i ", int{body.u16(14)}));
    if (size == kFormatSizeNonPcm)
        node.append(formatText("Extension size: %i ", int{body.u16(16)}));
    if (size != kFormatSizeExtensible) return;
    node.append(formatText("Vallid bits per sample: %i ", int{body.u16(18)}));
    node.append(formatText("Channelmask: %i ", body.i32(20)));
    Guid guid{body.u32(24), body.u16(28), body.u16(30), {}};
    for (size_t i = 0; i < 8; ++i)
        guid.data4[i] = body.u8(32 + i);
    const uint8_t* b = guid.data4;
    node.append(formatText("Subformat: %08X   %04X%04X   %02X%02X%02X%02X   %02X%02X%02X%02X%s",
                           guid.data1, unsigned{guid.data2}, unsigned{guid.data3}, unsigned{b[0]},
                           unsigned{b[1]}, unsigned{b[2]}, unsigned{b[3]}, unsigned{b[4]},
                           unsigned{b[5]}, unsigned{b[6]}, unsigned{b[7]}, subformatSuffix(guid)));
}

// The record count in the first 4 bytes must account for the whole body;
// checked in 64 bits so that no count can wrap into a match.
bool recordsFill(const ChunkBytes& body, uint64_t recordSize) {
    return 4 + recordSize * body.u32(0) == body.size();
}

void cueLines(TextNode& node, const ChunkBytes& body) {
    if (!recordsFill(body, 24)) return;
    int32_t count = body.i32(0);
    node.append(formatText("Number of cue's: %i", count));
    for (int32_t i = 0; i < count; ++i) {
        ChunkBytes cue = body.slice(4 + 24 * static_cast<size_t>(i), 24);
        TextNode& point = node.append("Cuepoint");
        point.append(formatText("Name: %u", cue.u32(0)));
        point.append(formatText("Position: %u", cue.u32(4)));
        point.append(formatText("Fcc: %s", cue.text(8, 4).c_str()));
        point.append(formatText("Chunk start: %u", cue.u32(12)));
        point.append(formatText("Block start: %u", cue.u32(16)));
        point.append(formatText("Sample offset %u", cue.u32(20)));
    }
}

void playlistLines(TextNode& node, const ChunkBytes& body) {
    if (!recordsFill(body, 12)) return;
    int32_t count = body.i32(0);
    node.append(formatText("Number of playlist segments: %i", count));
    for (int32_t i = 0; i < count; ++i) {
        ChunkBytes segment = body.slice(4 + 12 * static_cast<size_t>(i), 12);
        TextNode& entry = node.append("Playsegment");
        entry.append(formatText("Name: %u", segment.u32(0)));
        entry.append(formatText("Length: %u", segment.u32(4)));
        entry.append(formatText("Loops: %u", segment.u32(8)));
    }
}

void displayLines(TextNode& node, const ChunkBytes& body) {
    if (body.size() <= 5) return;
    uint32_t type = body.u32(0);
    node.append(formatText("Type: %u (%s)", type, clipboardFormatName(type)));
    if (type == 1 || type == 7 || type == 129)
        node.append(formatText("data: %s", body.text(4, 519).c_str()));
}

// Every field that fits in the body, each on a line of its own.
void ds64Lines(TextNode& node, const Ds64& ds64) {
    using ull = unsigned long long;
    if (ds64.riffSize) node.append(formatText("RIFF size: %llu bytes", ull{*ds64.riffSize}));
    if (ds64.dataSize) node.append(formatText("Data size: %llu bytes", ull{*ds64.dataSize}));
    if (ds64.sampleCount) node.append(formatText("Sample count: %llu", ull{*ds64.sampleCount}));
    if (ds64.tableLength) node.append(formatText("Table entries: %u", *ds64.tableLength));
    for (const Ds64Entry& entry : ds64.table) {
        std::string id(entry.id, 4);
        for (char& c : id)
            if (!isPrintableIdChar(static_cast<uint8_t>(c))) c = '?';
        node.append(formatText("Chunk %s: %llu bytes", id.c_str(), ull{entry.size}));
    }
}

bool isDecoded(const ChunkHeader& header) {
    for (const char* id : {"fmt ", "cue ", "plst", "fact", "LIST", "DISP", "ds64"})
        if (header.is(id)) return true;
    return false;
}

// whole: the chunk's header and body, exactly as in the file.
void decodeChunk(TextNode& node, const ChunkHeader& header, const ChunkBytes& whole) {
    ChunkBytes body = whole.slice(8, header.size);
    if (header.is("fmt "))
        formatLines(node, body);
    else if (header.is("cue "))
        cueLines(node, body);
    else if (header.is("plst"))
        playlistLines(node, body);
    else if (header.is("fact"))
        node.append(formatText("Samples per channel: %u (sometimes incorrect)", body.u32(0)));
    else if (header.is("LIST"))
        walkListChunk(node, whole);
    else if (header.is("DISP"))
        displayLines(node, body);
}

// Reads and decodes a small known chunk; false when its body is cut short by
// the end of the file (then only its name and size are shown).
bool showBody(TextNode& node, const ChunkHeader& header, ByteSource& source,
              std::vector<uint8_t>& buffer) {
    buffer.assign(static_cast<size_t>(header.size) + 8, 0);
    std::memcpy(buffer.data(), header.id, 4);
    writeU32le(buffer.data() + 4, header.size);
    if (source.read(buffer.data() + 8, header.size) != header.size) return false;
    decodeChunk(node, header, ChunkBytes(buffer.data(), buffer.size()));
    return true;
}

// True when the byte at position is the zero pad byte of an odd chunk.
bool isPadByte(ByteSource& source, int64_t position) {
    uint8_t pad = 1;
    return source.seek(position) && source.read(&pad, 1) == 1 && pad == 0;
}

// The chunk sizes of one walk: the 32-bit fields, or in an RF64 or BW64 file
// what its "ds64" says for a field of kSizeInDs64.
class ChunkSizes {
  public:
    explicit ChunkSizes(bool inDs64) : inDs64_(inDs64) {}
    uint64_t of(const ChunkHeader& header) const {
        if (!inDs64_ || header.size != kSizeInDs64) return header.size;
        return ds64_.sizeOf(header.id).value_or(header.size);
    }
    // The first "ds64" of the file is the one that counts.
    void take(const Ds64& ds64) {
        if (seen_) return;
        ds64_ = ds64;
        seen_ = true;
    }

  private:
    bool inDs64_;
    bool seen_ = false;
    Ds64 ds64_;
};

// Appends one node per chunk under parent, starting at the header at
// position. consumed counts bodies only, as the limit does.
void walkChunks(TextNode& parent, ByteSource& source, int64_t position, uint64_t limit,
                ChunkSizes sizes) {
    ChunkHeader header;
    if (!source.seek(position) || !readChunkHeader(source, header)) return;
    uint64_t size = sizes.of(header);
    if (limit <= size) return;
    uint64_t consumed = 0;
    std::vector<uint8_t> buffer;
    for (;;) {
        position += 8;
        TextNode& node = parent.append(std::string(header.id, 4));
        node.append(size == header.size ? formatText("size: %u bytes", header.size)
                                        : formatText("size: %llu bytes (from ds64)",
                                                     static_cast<unsigned long long>(size)));
        // A body whose size stands in ds64 is only stepped over.
        const bool decoded =
            isDecoded(header) && size == header.size && size <= kLargestDecodedChunk;
        if (decoded && !showBody(node, header, source, buffer)) return;
        if (decoded && header.is("ds64")) {
            const Ds64 ds64 = decodeDs64(buffer.data() + 8, header.size);
            ds64Lines(node, ds64);
            sizes.take(ds64);
        }
        // A size from ds64 may point beyond any position a file can have.
        if (size >= static_cast<uint64_t>(std::numeric_limits<int64_t>::max() - position)) return;
        uint64_t step = size;
        if (header.is("data")) {
            step += size % 2;
        } else if (size % 2 && isPadByte(source, position + static_cast<int64_t>(step))) {
            // Not a header character, so a writer's pad byte: step over it
            // rather than end the walk there.
            ++step;
        }
        position += static_cast<int64_t>(step);
        consumed += step;
        if (!source.seek(position) || !readChunkHeader(source, header)) return;
        size = sizes.of(header);
        if (consumed >= limit || limit - consumed <= size) return;
    }
}

} // namespace

std::vector<TextNode> buildChunkTree(ByteSource& source, int64_t fileSize,
                                     const HeaderSizeOptions& options) {
    std::vector<TextNode> roots;
    uint8_t header[8];
    if (!source.seek(0) || source.read(header, sizeof header) != sizeof header) return roots;
    const WaveContainer container = containerOf(header);
    if (container == WaveContainer::None) return roots;
    const bool sizesInDs64 = container != WaveContainer::Riff;
    bool ignored = headerSizesIgnored(options, fileSize);
    TextNode& root = roots.emplace_back();
    root.text = containerName(container);
    root.append(formatText("size: %u bytes%s", ChunkBytes(header, sizeof header).u32(4),
                           ignored ? " (ignored by corvandale)" : ""));
    char form[4];
    if (source.read(form, sizeof form) != sizeof form) return roots;
    TextNode& formNode = root.append(std::string(form, 4));
    walkChunks(formNode, source, 12, walkLimit(ignored, fileSize, sizesInDs64),
               ChunkSizes(sizesInDs64));
    root.expanded = true;
    formNode.expanded = true;
    return roots;
}

std::vector<TextNode> buildChunkTree(const std::string& path, int64_t fileSize,
                                     const HeaderSizeOptions& options) {
    FileStream file;
    if (!file.open(path, FileStream::Mode::Read)) return {};
    return buildChunkTree(file, fileSize, options);
}

namespace {

void addLines(const TextNode& node, int depth, std::vector<std::string>& lines) {
    lines.push_back(std::string(static_cast<size_t>(depth) * 2, ' ') + node.text);
    for (const TextNode& child : node.children)
        addLines(child, depth + 1, lines);
}

} // namespace

std::vector<std::string> treeLines(const std::vector<TextNode>& roots) {
    std::vector<std::string> lines;
    for (const TextNode& root : roots)
        addLines(root, 0, lines);
    return lines;
}

} // namespace corv
