// ReadProgramListEntry's lookup on arbitrary bytes taken as the body of a
// list whose checksum is put in front, so that the line reading is reached:
// fields stay terminated within their size, a refused lookup leaves them
// empty, a pin is whole. Then the list is judged with the body's last 64
// bytes (or all of a shorter one, a damaged file) as its signature file.
#include "batcher/config/program_list.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// RFC 6979's P-256 key.
constexpr corv::P256PublicKey kKey = {
    0x60, 0xFE, 0xD4, 0xBA, 0x25, 0x5A, 0x9D, 0x31, 0xC9, 0x61, 0xEB, 0x74, 0xC6, 0x35, 0x6D, 0x68,
    0xC0, 0x49, 0xB8, 0x92, 0x3B, 0x61, 0xFA, 0x6C, 0xE6, 0x69, 0x62, 0x2E, 0x60, 0xF2, 0x9F, 0xB6,
    0x79, 0x03, 0xFE, 0x10, 0x08, 0xB8, 0xBC, 0x99, 0xA4, 0x1A, 0xE9, 0xE9, 0x56, 0x28, 0xBC, 0x64,
    0xF2, 0xF1, 0xB2, 0x0C, 0x2D, 0x7E, 0x9F, 0x51, 0x77, 0xA3, 0xC2, 0x94, 0xD4, 0x46, 0x22, 0x99};

} // namespace

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
        size_t pin = corv::fieldText(request.expectedSha256).size();
        if (pin != 0 && (!found || pin != corv::kSha256TextLength)) std::abort();
    }
    std::vector<uint8_t> signature(list.end() - std::min<size_t>(size, 64), list.end());
    corv::ListSignature verdict = corv::checkListSignature(list, signature, {&kKey, 1});
    if ((signature.size() == 64) == (verdict == corv::ListSignature::Damaged) ||
        !corv::listRefusal(verdict, true) || corv::listRefusal(verdict, false))
        std::abort();
    return 0;
}
