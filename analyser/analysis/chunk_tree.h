#pragma once
// The chunk tree of the wave properties viewer as plain text nodes: the
// dialog only has to show them, tests compare them line by line.
#include "analyser/analysis/analysis_options.h"
#include "platform/byte_source.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corv {

struct TextNode {
    std::string text;
    std::vector<TextNode> children; // in the order they were appended
    bool expanded = false;          // shown opened (the root and the form node)

    // Appends a child as the last one and returns it. The reference holds
    // until the next child is appended to this same node.
    TextNode& append(std::string childText);
};

// The tree of a RIFF file read from its start: empty when the source does not
// begin with a RIFF, RF64 or BW64 header, otherwise exactly one root named by
// it (in RF64 and BW64 files, sizes of 0xFFFFFFFF come from "ds64"). fileSize is the
// list record's size (-1 when unknown); it decides whether the header size is
// ignored and how far the walk may go.
std::vector<TextNode> buildChunkTree(ByteSource& source, int64_t fileSize,
                                     const HeaderSizeOptions& options);
// The same for a file on disk; empty when it cannot be opened.
std::vector<TextNode> buildChunkTree(const std::string& path, int64_t fileSize,
                                     const HeaderSizeOptions& options);

// One line per node in tree order, indented by two spaces per level.
std::vector<std::string> treeLines(const std::vector<TextNode>& roots);

} // namespace corv
