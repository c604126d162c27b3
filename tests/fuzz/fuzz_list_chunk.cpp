// The LIST walker on arbitrary bytes, both as they come and behind a LIST
// header whose size matches: reads stay inside, lines and nesting bounded.
#include "analyser/analysis/list_chunk.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

size_t depthOf(const corv::TextNode& node) {
    size_t deepest = 0;
    for (const corv::TextNode& child : node.children) {
        size_t d = depthOf(child);
        if (d > deepest) deepest = d;
    }
    return deepest + 1;
}

void check(const uint8_t* data, size_t size) {
    corv::TextNode parent;
    parent.text = "LIST";
    corv::walkListChunk(parent, corv::ChunkBytes(data, size));
    // parent, then per level a type node and a LIST node, then a line.
    if (depthOf(parent) > 2 * corv::kMaxListDepth + 3) std::abort();
    for (const std::string& line : corv::treeLines({parent}))
        if (line.size() > 700) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    check(data, size);
    // An exact copy behind a header, so ASan sees any read past the list.
    std::vector<uint8_t> framed{'L', 'I', 'S', 'T'};
    for (int i = 0; i < 4; ++i)
        framed.push_back(static_cast<uint8_t>(size >> (8 * i)));
    framed.insert(framed.end(), data, data + size);
    check(framed.data(), framed.size());
    return 0;
}
