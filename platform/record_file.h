#pragma once
// Whole-record binary files: the settings files of both programs.
#include <cstddef>
#include <optional>
#include <string>

namespace corv {

// Writes size bytes, replacing the file. False when it could not be written whole.
bool writeRecordFile(const std::string& path, const void* record, size_t size);

// Reads at most size bytes into record; a shorter file leaves the rest as it
// was. Returns the byte count read, or nothing when the file does not open.
std::optional<size_t> readRecordFile(const std::string& path, void* record, size_t size);

} // namespace corv
