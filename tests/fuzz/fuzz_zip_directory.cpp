// The unzipper's central-directory reader and entry extraction on arbitrary
// bytes: no read outside the input, no entry larger than it says, and a
// stored entry that extracts is exactly its declared size.
#include "batcher/unzipper/unzip_command.h"
#include "batcher/unzipper/zip_archive.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    corv::MemorySource archive(data, size);
    std::string error;
    std::optional<std::vector<corv::ZipEntry>> entries = corv::readCentralDirectory(archive, error);
    if (!entries) {
        if (error.empty()) std::abort();
        return 0;
    }
    for (const corv::ZipEntry& entry : *entries) {
        (void)corv::entryFileName(entry.name);
        uint64_t received = 0;
        bool whole = corv::extractEntry(
            archive, entry,
            [&](const uint8_t*, size_t piece) {
                received += piece;
                return received <= entry.size;
            },
            error);
        if (received > entry.size || (whole && received != entry.size)) std::abort();
    }
    return 0;
}
