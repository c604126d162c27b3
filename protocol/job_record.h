#pragma once
// The job record that Corvandale sends to Quillmere, and its encoder layouts.
#include "protocol/fixed_text.h"
#include "protocol/record_layout.h"

#include <cstdint>

namespace corv {

inline constexpr size_t kJobRecordSize = 6800;
inline constexpr size_t kEncoderSettingsSize = 5200;
inline constexpr int kChannelSlots = 6; // L, R, C, LFE, LS, RS

#pragma pack(push, 1)

// Single-file layouts (job types 1002..1009 and 1011) start with the input.
struct TwoLameSettings {
    char inputPath[kPathFieldSize];
    int32_t mpegVersion; // 1 or 2
    int32_t bitrate;     // kbps
    char channelMode;    // one of kTwoLameModes
    uint8_t padding[3];
};

// TwoLAME's channel modes (stereo, joint, dual, mono): the letters a job may
// carry, in the order Corvandale's dialog shows them.
inline constexpr char kTwoLameModes[] = "sjdm";

struct ApeSettings {
    char inputPath[kPathFieldSize];
    int32_t compressionLevel;
};

struct FlacSettings {
    char inputPath[kPathFieldSize];
    int32_t compressionLevel; // 0..8
    uint8_t storeReplayGain;
    uint8_t oggContainer;
    uint8_t padding[2];
};

struct WavPackSettings {
    char inputPath[kPathFieldSize];
    uint8_t lossless; // 1 lossless, 0 hybrid
    uint8_t jointStereo;
    uint8_t copyTimestamp;
    uint8_t storeMd5;
    uint8_t selfExtracting;
    uint8_t padding1[3];
    int32_t losslessCompression; // 0 fast, 1 normal, 2 high
    int32_t hybridBitrate;       // kbps
    uint8_t highQuality;
    uint8_t correctionFile;
    uint8_t padding2[2];
};

struct NeroAacSettings {
    char inputPath[kPathFieldSize];
    uint8_t vbr;
    uint8_t padding1[3];
    int32_t constantBitrate;
    int32_t vbrPreset; // 0 tape .. 7 transcoding
    uint8_t heProfile;
    uint8_t highQuality;
    uint8_t pns;
    uint8_t keepAllFrequencies;
    uint8_t isoAacOutput;
    uint8_t padding2[3];
};

struct MpcSettings {
    char inputPath[kPathFieldSize];
    int32_t qualityPreset; // 0 thumb .. 3 xtreme
};

struct LameSettings {
    char inputPath[kPathFieldSize];
    int32_t mpegVersion;
    int32_t bitrateMode; // 0 preset, 1 VBR, 2 ABR, 3 CBR
    int32_t preset;      // 0 medium .. 3 insane
    int32_t vbrQuality;
    int32_t abrBitrate;
    int32_t constantBitrate;
    int32_t algorithmQuality;
};

struct OggVorbisSettings {
    char inputPath[kPathFieldSize];
    uint8_t qualityMode; // 1 quality, 0 bitrate
    uint8_t padding[3];
    float quality;
    int32_t bitrate;
};

struct Ac3LibrarySettings {
    char inputPath[kPathFieldSize];
    int32_t dataRate;   // kbps
    int32_t sampleRate; // Hz
    int32_t codingMode; // 1..7
    uint8_t lfe;
    uint8_t padding[3];
};

struct SurcodeSettings {
    char channelFiles[kChannelSlots][kPathFieldSize];
    uint8_t dvdVariant;
    uint8_t padding1[3];
    int32_t dataRate;
    uint8_t attenuateRear;
    uint8_t padding2[3];
};

struct SonicFoundrySettings {
    char channelFiles[kChannelSlots][kPathFieldSize];
    int32_t dataRate;        // DataRate
    int32_t sampleRateIndex; // SampleRate: 0 48000, 1 44100, 2 32000
    int32_t codingMode;      // CodeMode
    uint8_t useLfe;          // UseLFE
    uint8_t padding1[3];
    int32_t dialogNormalisation; // DlgNorm
    int32_t compressionType;     // CompressionType
    uint8_t rfProtection;        // RFCmpInUse
    uint8_t padding2[3];
    int32_t centreMixLevel;   // CMix
    int32_t surroundMixLevel; // SurMix
    int32_t dolbySurround;    // DolbySurround
    uint8_t deemphasis;
    uint8_t dcFilter;
    uint8_t bandwidthFilter;
    uint8_t lfeFilter;
    uint8_t phase90;
    uint8_t cut3dB;
    uint8_t intelByteOrder; // not written to the parameter file
    uint8_t timeStamp;
};

union EncoderSettings {
    uint8_t bytes[kEncoderSettingsSize];
    TwoLameSettings twoLame;
    ApeSettings ape;
    FlacSettings flac;
    WavPackSettings wavPack;
    NeroAacSettings neroAac;
    MpcSettings mpc;
    LameSettings lame;
    OggVorbisSettings oggVorbis;
    Ac3LibrarySettings ac3Library;
    SurcodeSettings surcode;
    SonicFoundrySettings sonicFoundry;
};

struct JobRecord {
    int32_t jobType;
    uint32_t sampleRate;
    uint32_t sampleType;
    int32_t channelCount;
    uint8_t reservedFlag;
    uint8_t padding[7];
    uint64_t frameCount;
    char jobName[kPathFieldSize];
    char outputDirectory[kPathFieldSize];
    char baseName[kPathFieldSize];
    double peakLevel;
    EncoderSettings settings;
};

#pragma pack(pop)

CORV_RECORD_SIZE(TwoLameSettings, 532);
CORV_FIELD_AT(TwoLameSettings, mpegVersion, 520);
CORV_FIELD_AT(TwoLameSettings, bitrate, 524);
CORV_FIELD_AT(TwoLameSettings, channelMode, 528);
CORV_RECORD_SIZE(ApeSettings, 524);
CORV_FIELD_AT(ApeSettings, compressionLevel, 520);
CORV_RECORD_SIZE(FlacSettings, 528);
CORV_FIELD_AT(FlacSettings, compressionLevel, 520);
CORV_FIELD_AT(FlacSettings, storeReplayGain, 524);
CORV_FIELD_AT(FlacSettings, oggContainer, 525);
CORV_RECORD_SIZE(WavPackSettings, 540);
CORV_FIELD_AT(WavPackSettings, lossless, 520);
CORV_FIELD_AT(WavPackSettings, jointStereo, 521);
CORV_FIELD_AT(WavPackSettings, copyTimestamp, 522);
CORV_FIELD_AT(WavPackSettings, storeMd5, 523);
CORV_FIELD_AT(WavPackSettings, selfExtracting, 524);
CORV_FIELD_AT(WavPackSettings, losslessCompression, 528);
CORV_FIELD_AT(WavPackSettings, hybridBitrate, 532);
CORV_FIELD_AT(WavPackSettings, highQuality, 536);
CORV_FIELD_AT(WavPackSettings, correctionFile, 537);
CORV_RECORD_SIZE(NeroAacSettings, 540);
CORV_FIELD_AT(NeroAacSettings, vbr, 520);
CORV_FIELD_AT(NeroAacSettings, constantBitrate, 524);
CORV_FIELD_AT(NeroAacSettings, vbrPreset, 528);
CORV_FIELD_AT(NeroAacSettings, heProfile, 532);
CORV_FIELD_AT(NeroAacSettings, highQuality, 533);
CORV_FIELD_AT(NeroAacSettings, pns, 534);
CORV_FIELD_AT(NeroAacSettings, keepAllFrequencies, 535);
CORV_FIELD_AT(NeroAacSettings, isoAacOutput, 536);
CORV_RECORD_SIZE(MpcSettings, 524);
CORV_FIELD_AT(MpcSettings, qualityPreset, 520);
CORV_RECORD_SIZE(LameSettings, 548);
CORV_FIELD_AT(LameSettings, mpegVersion, 520);
CORV_FIELD_AT(LameSettings, bitrateMode, 524);
CORV_FIELD_AT(LameSettings, preset, 528);
CORV_FIELD_AT(LameSettings, vbrQuality, 532);
CORV_FIELD_AT(LameSettings, abrBitrate, 536);
CORV_FIELD_AT(LameSettings, constantBitrate, 540);
CORV_FIELD_AT(LameSettings, algorithmQuality, 544);
CORV_RECORD_SIZE(OggVorbisSettings, 532);
CORV_FIELD_AT(OggVorbisSettings, qualityMode, 520);
CORV_FIELD_AT(OggVorbisSettings, quality, 524);
CORV_FIELD_AT(OggVorbisSettings, bitrate, 528);
CORV_RECORD_SIZE(Ac3LibrarySettings, 536);
CORV_FIELD_AT(Ac3LibrarySettings, dataRate, 520);
CORV_FIELD_AT(Ac3LibrarySettings, sampleRate, 524);
CORV_FIELD_AT(Ac3LibrarySettings, codingMode, 528);
CORV_FIELD_AT(Ac3LibrarySettings, lfe, 532);
CORV_RECORD_SIZE(SurcodeSettings, 3132);
CORV_FIELD_AT(SurcodeSettings, dvdVariant, 3120);
CORV_FIELD_AT(SurcodeSettings, dataRate, 3124);
CORV_FIELD_AT(SurcodeSettings, attenuateRear, 3128);
CORV_RECORD_SIZE(SonicFoundrySettings, 3168);
CORV_FIELD_AT(SonicFoundrySettings, dataRate, 3120);
CORV_FIELD_AT(SonicFoundrySettings, sampleRateIndex, 3124);
CORV_FIELD_AT(SonicFoundrySettings, codingMode, 3128);
CORV_FIELD_AT(SonicFoundrySettings, useLfe, 3132);
CORV_FIELD_AT(SonicFoundrySettings, dialogNormalisation, 3136);
CORV_FIELD_AT(SonicFoundrySettings, compressionType, 3140);
CORV_FIELD_AT(SonicFoundrySettings, rfProtection, 3144);
CORV_FIELD_AT(SonicFoundrySettings, centreMixLevel, 3148);
CORV_FIELD_AT(SonicFoundrySettings, surroundMixLevel, 3152);
CORV_FIELD_AT(SonicFoundrySettings, dolbySurround, 3156);
CORV_FIELD_AT(SonicFoundrySettings, deemphasis, 3160);
CORV_FIELD_AT(SonicFoundrySettings, dcFilter, 3161);
CORV_FIELD_AT(SonicFoundrySettings, bandwidthFilter, 3162);
CORV_FIELD_AT(SonicFoundrySettings, lfeFilter, 3163);
CORV_FIELD_AT(SonicFoundrySettings, phase90, 3164);
CORV_FIELD_AT(SonicFoundrySettings, cut3dB, 3165);
CORV_FIELD_AT(SonicFoundrySettings, intelByteOrder, 3166);
CORV_FIELD_AT(SonicFoundrySettings, timeStamp, 3167);
CORV_RECORD_SIZE(EncoderSettings, kEncoderSettingsSize);
CORV_RECORD_SIZE(JobRecord, kJobRecordSize);
CORV_FIELD_AT(JobRecord, sampleRate, 4);
CORV_FIELD_AT(JobRecord, sampleType, 8);
CORV_FIELD_AT(JobRecord, channelCount, 12);
CORV_FIELD_AT(JobRecord, reservedFlag, 16);
CORV_FIELD_AT(JobRecord, frameCount, 24);
CORV_FIELD_AT(JobRecord, jobName, 32);
CORV_FIELD_AT(JobRecord, outputDirectory, 552);
CORV_FIELD_AT(JobRecord, baseName, 1072);
CORV_FIELD_AT(JobRecord, peakLevel, 1592);
CORV_FIELD_AT(JobRecord, settings, 1600);

// Speaker bits of a Sonic Foundry job's channel slots: L, R, C, LFE, LS, RS.
inline constexpr uint32_t kSlotBit[kChannelSlots] = {1, 2, 4, 8, 16, 32};

// Which channel files a Sonic Foundry job carries, by coding mode and LFE flag.
inline uint32_t sonicChannelMask(int32_t codingMode, bool lfe) {
    static constexpr uint32_t kByMode[8] = {0, 4, 3, 7, 19, 23, 51, 55};
    uint32_t mask = (codingMode >= 1 && codingMode <= 7) ? kByMode[codingMode] : 0;
    return lfe ? mask | 8 : mask;
}

} // namespace corv
