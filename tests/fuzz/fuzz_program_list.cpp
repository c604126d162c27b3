// ReadProgramListEntry's lookup on arbitrary bytes, taken both as a whole
// list and as the body of a list whose checksum is put in front (so the line
// reading is reached): fields stay terminated within their size, and a
// refused lookup leaves them empty.
#include "batcher/config/program_list.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void lookUp(const std::vector<uint8_t>& list) {
    for (const char* key : {"*lame", "*ogg", "*twolame"}) {
        corv::DownloadRequest request{};
        bool found = corv::readProgramListEntry(list, key, request);
        for (const auto* field : {&request.serverName, &request.urlPath, &request.expectedMd5}) {
            size_t length = corv::fieldText(*field).size();
            if (length >= corv::kPathFieldSize || (!found && length != 0)) std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> list(data, data + size);
    lookUp(list);
    list.insert(list.begin(), corv::kChecksumLength, '0');
    corv::MemorySource source(list);
    std::string checksum = corv::downloadChecksum(source, corv::kChecksumLength);
    if (checksum.size() != corv::kChecksumLength) std::abort();
    std::copy(checksum.begin(), checksum.end(), list.begin());
    lookUp(list);
    return 0;
}
