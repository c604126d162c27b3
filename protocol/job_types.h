#pragma once
// The encoder of a job. Job type - 1000 is the batcher's program index.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace corv {

enum class JobType : int32_t {
    SurcodeCdPro = 1000,
    SurcodeDvd = 1001,
    TwoLame = 1002,
    Ape = 1003,
    Flac = 1004,
    WavPack = 1005,
    NeroAac = 1006,
    Mpc = 1007,
    Lame = 1008,
    OggVorbis = 1009,
    SonicFoundry = 1010,
    Ac3Library = 1011,
};

inline constexpr int32_t kFirstJobType = 1000;
inline constexpr int32_t kLastJobType = 1011;
inline constexpr int kJobTypeCount = 12;

enum class RunnerKind { WindowProgram, ConsoleProgram, SonicParameterFile, Ac3Library };

struct JobTypeInfo {
    JobType type;
    std::string_view outputTypeName; // Corvandale's "Output type" list
    std::string_view programName;    // Quillmere's job list
    uint32_t settingsBytesUsed;
    RunnerKind runner;
};

inline constexpr std::array<JobTypeInfo, kJobTypeCount> kJobTypes{{
    {JobType::SurcodeCdPro, "Surcode CD Pro DTS", "Surcode CD Pro DTS", 3132,
     RunnerKind::WindowProgram},
    {JobType::SurcodeDvd, "Surcode DVD DTS", "Surcode DVD DTS", 3132, RunnerKind::WindowProgram},
    {JobType::TwoLame, "TwoLAME (mp2)", "TwoLAME", 532, RunnerKind::ConsoleProgram},
    {JobType::Ape, "Ape (Monkey's audio)", "Ape (Monkey's audio)", 524, RunnerKind::ConsoleProgram},
    {JobType::Flac, "FLAC", "FLAC", 528, RunnerKind::ConsoleProgram},
    {JobType::WavPack, "WavPack", "WavPack", 540, RunnerKind::ConsoleProgram},
    {JobType::NeroAac, "Nero Fends (AAC)", "Nero Fends", 540, RunnerKind::ConsoleProgram},
    {JobType::Mpc, "MPC", "MPC", 524, RunnerKind::ConsoleProgram},
    {JobType::Lame, "LAME (mp3)", "LAME (mp3)", 548, RunnerKind::ConsoleProgram},
    {JobType::OggVorbis, "Ogg Vorbis", "Ogg Vorbis", 532, RunnerKind::ConsoleProgram},
    {JobType::SonicFoundry, "Sonic Foundry Softencode", "Sonic Soft Encode", 3168,
     RunnerKind::SonicParameterFile},
    {JobType::Ac3Library, "Ac3 encoder dll", "Ac3 Encoder Dll", 536, RunnerKind::Ac3Library},
}};

// The table row of a job type, or nothing for a value outside 1000..1011.
inline std::optional<JobTypeInfo> jobTypeInfo(int32_t type) {
    if (type < kFirstJobType || type > kLastJobType) return std::nullopt;
    return kJobTypes[static_cast<size_t>(type - kFirstJobType)];
}

} // namespace corv
