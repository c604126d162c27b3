#pragma once
// The user's choices that the WAVE reader and the chunk tree follow, as plain
// values: the engine fills them from its settings record, so the reader needs
// nothing of the engine.

namespace corv {

// "Ignore size in header" with its Always / over 2 GB / over 4 GB choice:
// whether the RIFF and data sizes of a file of a given length are trusted.
struct HeaderSizeOptions {
    bool ignoreSizeInHeader = false;
    bool ignoreIfOver2GB = false;
    bool ignoreIfOver4GB = false;
    bool ignoreAlways = false;
};

struct AnalysisOptions {
    HeaderSizeOptions headerSizes;
    // 32-bit integer data in which no NaN bit pattern turns up is taken for
    // "32bit float CE".
    bool floatCECompatible = false;
};

} // namespace corv
