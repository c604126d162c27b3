#pragma once
// "settingsQuillmere.ini": program paths and switches of the batcher.
#include "protocol/fixed_text.h"
#include "protocol/job_types.h"
#include "protocol/record_layout.h"

#include <array>
#include <cstdint>
#include <string>

namespace corv {

inline constexpr char kBatcherSettingsFileName[] = "settingsQuillmere.ini";
inline constexpr int kProgramCount = kJobTypeCount; // program index = job type - 1000
inline constexpr int kSonicProgramIndex = static_cast<int>(JobType::SonicFoundry) - kFirstJobType;

// Fields added after the first version take reserved bytes. Older versions
// read the file as before, ignore them and write them back as zero, so each
// is stored such that zero is its default; when the reserved bytes run out,
// the next fields follow the 6264 bytes, which older versions read past.
#pragma pack(push, 1)
struct BatcherSettings {
    uint8_t disabled[kProgramCount];
    char programPath[kProgramCount][kPathFieldSize];
    uint8_t showLogWindow;
    uint8_t logChoice; // 1 job log, 0 message log
    uint8_t reserved1[2];
    uint32_t configurePage; // 0..2
    uint8_t invertSonicSettings;
    // Zero: a program list must be signed with a key Quillmere trusts
    // ("Refuse program lists that are not signed", the default).
    uint8_t acceptUnsignedLists;
    // How many console jobs run side by side; zero: one per core, at most
    // kMostJobsAtOnce (see jobsAtOnceOf).
    uint8_t jobsAtOnce;
    uint8_t reserved2;
};
#pragma pack(pop)

CORV_RECORD_SIZE(BatcherSettings, 6264);
CORV_FIELD_AT(BatcherSettings, programPath, 12);
CORV_FIELD_AT(BatcherSettings, showLogWindow, 6252);
CORV_FIELD_AT(BatcherSettings, logChoice, 6253);
CORV_FIELD_AT(BatcherSettings, configurePage, 6256);
CORV_FIELD_AT(BatcherSettings, invertSonicSettings, 6260);
CORV_FIELD_AT(BatcherSettings, acceptUnsignedLists, 6261);
CORV_FIELD_AT(BatcherSettings, jobsAtOnce, 6262);

inline constexpr int kMostJobsAtOnce = 8;

// The jobs that run at once on a machine of that many cores: the stored
// number, or for zero one per core; always 1..kMostJobsAtOnce.
int jobsAtOnceOf(const BatcherSettings& settings, int cores);
// What the Configure dialog stores for the number chosen: zero while the
// choice is what zero already gives, so the setting keeps following the
// machine it runs on until the user picks another number.
uint8_t storedJobsAtOnce(uint8_t stored, int chosen, int cores);

using UsableFlags = std::array<bool, kProgramCount>;

BatcherSettings defaultBatcherSettings();

// Every program path that names no readable file becomes "C:\".
void resetMissingPaths(BatcherSettings& settings);

// A program is usable when its path opens for reading and it is not disabled.
UsableFlags computeUsableFlags(const BatcherSettings& settings);

// Replaces the file; false when it could not be written (callers stay silent).
bool saveBatcherSettings(const BatcherSettings& settings, const std::string& programDirectory);

// Reads the file over the record (a short file leaves the rest as it was),
// resets missing paths and recomputes the usable flags; a missing file sets
// the defaults with no program usable. The file is written back either way.
void loadBatcherSettings(BatcherSettings& settings, UsableFlags& usable,
                         const std::string& programDirectory);

} // namespace corv
