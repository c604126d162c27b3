#pragma once
// What the runners of the window-driven encoders put in and read back: the
// Surcode registry values, the time and percentage displays, and the Sonic
// Foundry parameter file.
#include "protocol/job_record.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corv {

inline constexpr std::string_view kEncoderWindowTitles[] = {"DTS Encoder", "Soft Encode"};
inline constexpr size_t kEncoderTitleLength = 11; // characters compared
inline constexpr std::string_view kZeroTime = "00:00:00.00";

struct SurcodeOutput {
    const char* registryKey; // under HKEY_CURRENT_USER
    const char* extension;
};
// For job types 1000 and 1001.
SurcodeOutput surcodeOutputOf(int32_t jobType);

struct RegistryValue {
    std::string name;
    bool isNumber = false; // REG_DWORD, else REG_SZ
    std::string text;
    uint32_t number = 0;
    std::string logLine; // empty: not logged
};
inline constexpr int kSurcodeFileValues = 7; // "WAVEFILE1".."WAVEFILE7", deleted first

// The values of a Surcode job in the order they are written: the output
// file, every channel file that can be opened for reading, and for the DVD
// edition its three numbers.
std::vector<RegistryValue> surcodeRegistryValues(const JobRecord& job, const std::string& output);

// True when the text looks like the running time display: eleven characters
// with ':' at 2 and 5 and '.' at 8.
bool isTimeDisplay(std::string_view text);
// "hh:mm:ss.cc" in milliseconds, each part read like atoi.
int64_t elapsedMilliseconds(std::string_view text);

// Writes the parameter text with every "\r\n" stored as CR CR LF, as a
// text-mode stream stores it. False when the file cannot be written whole.
bool writeSonicParameterFile(const std::string& path, std::string_view text);

} // namespace corv
