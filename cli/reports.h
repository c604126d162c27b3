#pragma once
// What info and convert print on stdout: JSON for other programs, a table or
// one line per entry for people.
#include "analyser/analysis/audio_file_record.h"
#include "analyser/engine/conversion_run.h"

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <vector>

namespace corv::cli {

// One object per record with exactly the record's analysis fields.
nlohmann::ordered_json infoJson(const std::vector<AudioFileRecord*>& list);
void printInfoTable(const std::vector<AudioFileRecord*>& list, std::ostream& out);

// One object per entry: name, result, peak (null when not finite), outputs.
nlohmann::ordered_json convertJson(const std::vector<AudioFileRecord*>& list,
                                   const RunOutcome& outcome);
void printConvertLines(const std::vector<AudioFileRecord*>& list, const RunOutcome& outcome,
                       std::ostream& out);

// Indented JSON; text that is not UTF-8 is replaced rather than failing.
std::string jsonText(const nlohmann::ordered_json& value);

// "PCM", "Extensible", "not recognised"...
std::string formatName(FileFormat format);
// "1:02.500" (minutes) or "1:00:00.000"; "-" without a rate.
std::string lengthText(int64_t frames, uint32_t sampleRate);

} // namespace corv::cli
