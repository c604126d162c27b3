#pragma once
// Recognises WAVE files (RIFF, and RF64 or BW64 with their 64-bit sizes in
// "ds64") and fills their list records.
#include "analyser/analysis/analysis_options.h"
#include "analyser/analysis/audio_file_record.h"
#include "platform/byte_source.h"

#include <cstddef>
#include <cstdint>

namespace corv {

// Whether the RIFF and data sizes of a file this long are not trusted
// ("Ignore size in header" with its Always / over 2 GB / over 4 GB choice).
bool headerSizesIgnored(const HeaderSizeOptions& options, int64_t fileSize);

// The whole analysis of one entry; never reports, only sets record.format
// (and record.container).
void analyseFile(AudioFileRecord& record, const AnalysisOptions& options);

// True for a supported WAVE file, whose fields then fill the record; on
// failure the record is left as it was. Takes the length from record.fileSize,
// as analyseFile measured it, and reads the stream from its start. An RF64 or
// BW64 file's RIFF and data sizes come from its "ds64" chunk and are checked
// against the length as a RIFF header's are.
bool parseWave(AudioFileRecord& record, ByteSource& stream, const AnalysisOptions& options);

// Copies the chunk (8-byte header and payload) into buffer; returns size + 8,
// or 0 when it is not found or does not fit.
size_t findChunk(const char id[4], ByteSource& stream, uint8_t* buffer, size_t capacity);

// Leaves the stream at the chunk's 8-byte header; restores the position on failure.
bool findDataChunk(const char id[4], ByteSource& stream);

// False as soon as a NaN bit pattern turns up in the sampled windows. The
// windows stay inside the dataBytes sample bytes at dataStart; -1 takes
// 4 x frameCount, the extent of one channel of 32-bit samples.
bool looksLikeFloat(ByteSource& stream, int64_t dataStart, int64_t frameCount,
                    int64_t dataBytes = -1);

} // namespace corv
