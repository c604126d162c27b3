// The properties tree on arbitrary file contents, under the settings that
// change the walking limit: nothing read outside the bytes, every line bounded.
#include "analyser/analysis/chunk_tree.h"
#include "analyser/analysis/ds64_chunk.h"
#include "analyser/engine/entry_analysis.h"
#include "analyser/ui/number_text.h"
#include "platform/byte_source.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

corv::HeaderSizeOptions variant(bool ignore, bool always, bool over2GB) {
    corv::ConversionSettings s = corv::defaultConversionSettings();
    s.ignoreSizeInHeader = ignore;
    s.ignoreAlways = always;
    s.ignoreIfOver2GB = over2GB;
    return corv::analysisOptionsOf(s).headerSizes;
}

void check(const uint8_t* data, size_t size, int64_t fileSize,
           const corv::HeaderSizeOptions& settings) {
    corv::MemorySource source(data, size);
    auto tree = corv::buildChunkTree(source, fileSize, settings);
    bool riff = size >= 8 && corv::containerOf(data) != corv::WaveContainer::None;
    if (tree.size() != (riff ? 1u : 0u)) std::abort();
    for (const std::string& line : corv::treeLines(tree))
        if (line.size() > 700) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int64_t real = static_cast<int64_t>(size);
    check(data, size, real, corv::analysisOptionsOf(corv::defaultConversionSettings()).headerSizes);
    check(data, size, real, variant(true, true, false));
    check(data, size, -1, variant(true, true, false));
    check(data, size, 3000000000, variant(true, false, true));
    (void)corv::fileSizeText(size >= 8 ? static_cast<int64_t>(data[0]) << (data[1] % 56) : -1);
    return 0;
}
