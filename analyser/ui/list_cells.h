#pragma once
// The text of every cell of the file list, decided from the row's record.
#include "analyser/analysis/audio_file_record.h"
#include "analyser/ui/list_columns.h"

#include <cstdint>
#include <optional>
#include <string>

namespace corv {

// "1.234 KB" (halves of a KB round up) or "1.234.567 bytes"; "-" / "UNK"
// when the size is not known.
std::string sizeText(int64_t bytes, bool inKB);

// "mm:ss.fff", or "hh:mm:ss.fff" from one hour on; rounded down to the millisecond.
std::string lengthText(int64_t frameCount, uint32_t sampleRate);

// What the cell shows for this record; nothing when the cell keeps the text
// it has (a value the analysis has not found yet, an unrecognised file).
std::optional<std::string> cellText(const AudioFileRecord& record, ListColumn column,
                                    bool sizeInKB);

// What the cell shows once the row holds this record instead of another's
// (rows that trade places): empty where the record says nothing, so that no
// text of the other record stays behind.
std::string freshCellText(const AudioFileRecord& record, ListColumn column, bool sizeInKB);

} // namespace corv
