// ReadProgramListEntry's lookup on arbitrary bytes taken as the body of a
// list whose checksum is put in front, so that the line reading is reached:
// fields stay terminated within their size, a refused lookup leaves them empty.
#include "batcher/config/program_list.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> list(corv::kChecksumLength, '0');
    list.insert(list.end(), data, data + size);
    corv::MemorySource source(list);
    std::string checksum = corv::downloadChecksum(source, corv::kChecksumLength);
    if (checksum.size() != corv::kChecksumLength) std::abort();
    std::copy(checksum.begin(), checksum.end(), list.begin());
    for (const char* key : {"*lame", "*ogg", "*twolame"}) {
        corv::DownloadRequest request{};
        bool found = corv::readProgramListEntry(list, key, request);
        for (const auto* field : {&request.serverName, &request.urlPath, &request.expectedMd5}) {
            size_t length = corv::fieldText(*field).size();
            if (length >= corv::kPathFieldSize || (!found && length != 0)) std::abort();
        }
    }
    return 0;
}
