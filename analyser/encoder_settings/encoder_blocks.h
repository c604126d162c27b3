#pragma once
// The twelve encoder settings blocks Corvandale keeps and stores after its
// conversion settings; the job records sent to Quillmere are built from them.
#include "protocol/job_record.h"
#include "protocol/record_layout.h"

#include <cstdint>

namespace corv {

#pragma pack(push, 1)
struct SurcodeCdProBlock {
    int32_t reserved;
    int32_t dataRate;   // not read
    int32_t sampleRate; // not read
    int32_t monoStreamCount;
    int32_t monoStreamIndex[kChannelSlots]; // per slot L, R, C, LFE, LS, RS
};

struct SurcodeDvdBlock {
    uint8_t attenuateRear;
    uint8_t padding[3];
    int32_t dataRate;
    int32_t sampleRate;
    int32_t monoStreamCount;
    int32_t monoStreamIndex[kChannelSlots];
};

struct TwoLameBlock {
    int32_t mpegVersion;
    char channelMode;
    uint8_t padding[3];
    int32_t bitrate;
};

// Where a stored TwoLAME mode stands in kTwoLameModes. A letter outside them
// is taken as stereo, as the dialog shows it: Quillmere refuses a job with
// any other letter.
int twoLameModePosition(char storedMode);

struct ApeBlock {
    int32_t compressionLevel;
    uint8_t scratch[4];
};

struct FlacBlock {
    int32_t compressionLevel;
    uint8_t storeReplayGain;
    uint8_t oggContainer;
    uint8_t padding[2];
    uint8_t scratch[4];
};

struct WavPackBlock {
    uint8_t lossless;
    uint8_t jointStereo;
    uint8_t copyTimestamp;
    uint8_t storeMd5;
    uint8_t selfExtracting;
    uint8_t padding1[3];
    int32_t losslessCompression;
    int32_t hybridBitrate;
    uint8_t highQuality;
    uint8_t correctionFile;
    uint8_t padding2[2];
};

struct NeroAacBlock {
    uint8_t vbr;
    uint8_t padding1[3];
    int32_t constantBitrate;
    int32_t vbrPreset;
    uint8_t heProfile;
    uint8_t highQuality;
    uint8_t pns;
    uint8_t keepAllFrequencies;
    uint8_t isoAacOutput;
    uint8_t padding2[3];
};

struct MpcBlock {
    int32_t qualityPreset;
};

struct LameBlock {
    int32_t mpegVersion;
    int32_t bitrateMode;
    int32_t preset;
    int32_t vbrQuality;
    int32_t abrBitrate;
    int32_t constantBitrate;
    int32_t algorithmQuality;
};

struct OggVorbisBlock {
    uint8_t qualityMode;
    uint8_t padding[3];
    float quality;
    int32_t bitrate;
};

struct SonicFoundryBlock {
    int32_t dataRate;
    int32_t sampleRateIndex;
    int32_t codingMode;
    uint8_t lfe;
    uint8_t padding1[3];
    int32_t dialogNormIndex;
    int32_t compressionType;
    uint8_t rfProtection;
    uint8_t padding2[3];
    int32_t channelCount;
    int32_t slotStream[kChannelSlots];
    int32_t centreMixLevel;
    int32_t surroundMixLevel;
    int32_t dolbySurroundMode;
    uint8_t deemphasis;
    uint8_t dcFilter;
    uint8_t bandwidthFilter;
    uint8_t lfeFilter;
    uint8_t phase90;
    uint8_t cut3dB;
    uint8_t intelByteOrder;
    uint8_t timeStamp;
};

struct Ac3LibraryBlock {
    int32_t dataRate;
    int32_t sampleRate;
    int32_t codingMode;
    uint8_t lfe;
    uint8_t padding[3];
    int32_t channelCount;
    int32_t slotSelection[kChannelSlots];
};

// In job-type order, as stored in the settings file.
struct EncoderBlocks {
    SurcodeCdProBlock surcodeCdPro;
    SurcodeDvdBlock surcodeDvd;
    TwoLameBlock twoLame;
    ApeBlock ape;
    FlacBlock flac;
    WavPackBlock wavPack;
    NeroAacBlock neroAac;
    MpcBlock mpc;
    LameBlock lame;
    OggVorbisBlock oggVorbis;
    SonicFoundryBlock sonicFoundry;
    Ac3LibraryBlock ac3Library;
};
#pragma pack(pop)

CORV_RECORD_SIZE(SurcodeCdProBlock, 40);
CORV_FIELD_AT(SurcodeCdProBlock, monoStreamCount, 12);
CORV_FIELD_AT(SurcodeCdProBlock, monoStreamIndex, 16);
CORV_RECORD_SIZE(SurcodeDvdBlock, 40);
CORV_FIELD_AT(SurcodeDvdBlock, dataRate, 4);
CORV_FIELD_AT(SurcodeDvdBlock, sampleRate, 8);
CORV_FIELD_AT(SurcodeDvdBlock, monoStreamCount, 12);
CORV_FIELD_AT(SurcodeDvdBlock, monoStreamIndex, 16);
CORV_RECORD_SIZE(TwoLameBlock, 12);
CORV_FIELD_AT(TwoLameBlock, channelMode, 4);
CORV_FIELD_AT(TwoLameBlock, bitrate, 8);
CORV_RECORD_SIZE(ApeBlock, 8);
CORV_RECORD_SIZE(FlacBlock, 12);
CORV_FIELD_AT(FlacBlock, storeReplayGain, 4);
CORV_FIELD_AT(FlacBlock, oggContainer, 5);
CORV_FIELD_AT(FlacBlock, scratch, 8);
CORV_RECORD_SIZE(WavPackBlock, 20);
CORV_FIELD_AT(WavPackBlock, selfExtracting, 4);
CORV_FIELD_AT(WavPackBlock, losslessCompression, 8);
CORV_FIELD_AT(WavPackBlock, hybridBitrate, 12);
CORV_FIELD_AT(WavPackBlock, highQuality, 16);
CORV_FIELD_AT(WavPackBlock, correctionFile, 17);
CORV_RECORD_SIZE(NeroAacBlock, 20);
CORV_FIELD_AT(NeroAacBlock, constantBitrate, 4);
CORV_FIELD_AT(NeroAacBlock, vbrPreset, 8);
CORV_FIELD_AT(NeroAacBlock, heProfile, 12);
CORV_FIELD_AT(NeroAacBlock, isoAacOutput, 16);
CORV_RECORD_SIZE(MpcBlock, 4);
CORV_RECORD_SIZE(LameBlock, 28);
CORV_FIELD_AT(LameBlock, algorithmQuality, 24);
CORV_RECORD_SIZE(OggVorbisBlock, 12);
CORV_FIELD_AT(OggVorbisBlock, quality, 4);
CORV_FIELD_AT(OggVorbisBlock, bitrate, 8);
CORV_RECORD_SIZE(SonicFoundryBlock, 76);
CORV_FIELD_AT(SonicFoundryBlock, lfe, 12);
CORV_FIELD_AT(SonicFoundryBlock, dialogNormIndex, 16);
CORV_FIELD_AT(SonicFoundryBlock, compressionType, 20);
CORV_FIELD_AT(SonicFoundryBlock, rfProtection, 24);
CORV_FIELD_AT(SonicFoundryBlock, channelCount, 28);
CORV_FIELD_AT(SonicFoundryBlock, slotStream, 32);
CORV_FIELD_AT(SonicFoundryBlock, centreMixLevel, 56);
CORV_FIELD_AT(SonicFoundryBlock, surroundMixLevel, 60);
CORV_FIELD_AT(SonicFoundryBlock, dolbySurroundMode, 64);
CORV_FIELD_AT(SonicFoundryBlock, deemphasis, 68);
CORV_FIELD_AT(SonicFoundryBlock, timeStamp, 75);
CORV_RECORD_SIZE(Ac3LibraryBlock, 44);
CORV_FIELD_AT(Ac3LibraryBlock, lfe, 12);
CORV_FIELD_AT(Ac3LibraryBlock, channelCount, 16);
CORV_FIELD_AT(Ac3LibraryBlock, slotSelection, 20);
CORV_RECORD_SIZE(EncoderBlocks, 316);
CORV_FIELD_AT(EncoderBlocks, surcodeDvd, 40);
CORV_FIELD_AT(EncoderBlocks, twoLame, 80);
CORV_FIELD_AT(EncoderBlocks, ape, 92);
CORV_FIELD_AT(EncoderBlocks, flac, 100);
CORV_FIELD_AT(EncoderBlocks, wavPack, 112);
CORV_FIELD_AT(EncoderBlocks, neroAac, 132);
CORV_FIELD_AT(EncoderBlocks, mpc, 152);
CORV_FIELD_AT(EncoderBlocks, lame, 156);
CORV_FIELD_AT(EncoderBlocks, oggVorbis, 184);
CORV_FIELD_AT(EncoderBlocks, sonicFoundry, 196);
CORV_FIELD_AT(EncoderBlocks, ac3Library, 272);

EncoderBlocks defaultEncoderBlocks();

} // namespace corv
