#pragma once
// RunAc3Job: a job of type 1011 encoded in this process by ac3enc.dll, block
// by block from the WAVE file's data chunk into an .ac3 file. The library's
// four functions come in as a table, filled by LoadLibrary on Windows and by
// a linked test double elsewhere.
#include "batcher/core/run_jobs.h"
#include "protocol/record_layout.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace corv {

inline constexpr size_t kAc3BufferBytes = 36864; // one block of six channels
inline constexpr size_t kAc3BlockBytesPerChannel = 6144;
inline constexpr size_t kAc3VersionRecordBytes = 272; // what the library may fill

#pragma pack(push, 1)
struct Ac3InitRecord {
    uint8_t reserved1[12];
    uint32_t sampleRate; // Hz
    uint32_t bitRate;    // data rate x 1000
    uint32_t channels;   // with LFE
    uint8_t lfe;         // 1 when the coding mode is above 2 and LFE is on
    uint8_t codingMode;  // low byte
    uint8_t reserved2[235];
};
#pragma pack(pop)
CORV_RECORD_SIZE(Ac3InitRecord, 261);
CORV_FIELD_AT(Ac3InitRecord, sampleRate, 12);
CORV_FIELD_AT(Ac3InitRecord, bitRate, 16);
CORV_FIELD_AT(Ac3InitRecord, channels, 20);
CORV_FIELD_AT(Ac3InitRecord, lfe, 24);
CORV_FIELD_AT(Ac3InitRecord, codingMode, 25);

// The library's entry points, in the platform's default C calling convention.
struct Ac3Library {
    void (*version)(void* versionRecord);
    int (*init)(void* initRecord);                 // 0: ready
    int (*encodeFrame)(void* output, void* input); // bytes placed in output
    void (*close)();
};

inline constexpr const char* kAc3FunctionNames[] = {"AC3_encode_version", "AC3_encode_init",
                                                    "AC3_encode_frame", "AC3_encode_close"};

// Channels of a coding mode (1..7) plus one for LFE; 0 for any other mode.
int ac3ChannelCount(int32_t codingMode, bool lfe);

// Encodes the job; library is null when it could not be loaded whole. Every
// step and failure goes to the job log; a job that fails or is stopped leaves
// no output file behind.
void RunAc3Job(const JobRecord& job, std::string_view libraryPath, const Ac3Library* library,
               RunShared shared, RunObserver& observer);

} // namespace corv
