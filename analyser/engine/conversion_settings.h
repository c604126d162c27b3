#pragma once
// Corvandale's lasting choices, stored byte for byte in its settings file.
#include "protocol/fixed_text.h"
#include "protocol/record_layout.h"

#include <cstdint>

namespace corv {

inline constexpr int kListColumnSwitches =
    8; // Path, Size, Length, Channels, Sample Rate, Type, Result, Peak conv

#pragma pack(push, 1)
struct ConversionSettings {
    uint8_t sameAsInput;
    char outputDirectory[kPathFieldSize];
    uint8_t processDelay;
    uint8_t maintainLength;
    uint8_t ignoreSizeInHeader;
    uint8_t ignoreIfOver2GB;
    uint8_t ignoreIfOver4GB;
    uint8_t ignoreAlways;
    uint8_t floatCECompatible;
    int32_t outputFormat; // FileFormat code
    uint8_t convertSampleType;
    uint8_t gap533[3];
    int32_t targetSampleType; // SampleType code
    uint8_t convertSampleRate;
    uint8_t gap541[3];
    int32_t targetSampleRate;
    uint8_t amplify;
    uint8_t gap549[3];
    double amplifyDb;
    uint8_t normalize;
    uint8_t normalizeWithTempFile;
    uint8_t normalizeList;
    uint8_t normalizeFile;
    uint8_t normalizeOnClipping;
    uint8_t gap565[3];
    double normalizeTarget; // fraction of full scale
    uint8_t dither;
    uint8_t gap577[3];
    int32_t noiseShaping;
    int32_t pdfType; // 0 rectangular, 1 triangular, 2 gaussian
    float pdfAmplitude;
    uint8_t showFilename;
    uint8_t alwaysOnTop;
    uint8_t showColumn[kListColumnSwitches];
    uint8_t channelMappingEnabled;
    uint8_t sizeInKB;
    uint8_t streamManipulation;
    uint8_t monoStreams;
    uint8_t stitchFiles;
    uint8_t mergeFiles;
    uint8_t sendJobsToBatcher;
    uint8_t startBatcherWhenFinished;
    uint8_t gap610[2];
    int32_t batcherOutputType; // job type 1000..1011
};
#pragma pack(pop)

CORV_RECORD_SIZE(ConversionSettings, 616);
CORV_FIELD_AT(ConversionSettings, sameAsInput, 0);
CORV_FIELD_AT(ConversionSettings, outputDirectory, 1);
CORV_FIELD_AT(ConversionSettings, processDelay, 521);
CORV_FIELD_AT(ConversionSettings, maintainLength, 522);
CORV_FIELD_AT(ConversionSettings, ignoreSizeInHeader, 523);
CORV_FIELD_AT(ConversionSettings, ignoreIfOver2GB, 524);
CORV_FIELD_AT(ConversionSettings, ignoreIfOver4GB, 525);
CORV_FIELD_AT(ConversionSettings, ignoreAlways, 526);
CORV_FIELD_AT(ConversionSettings, floatCECompatible, 527);
CORV_FIELD_AT(ConversionSettings, outputFormat, 528);
CORV_FIELD_AT(ConversionSettings, convertSampleType, 532);
CORV_FIELD_AT(ConversionSettings, targetSampleType, 536);
CORV_FIELD_AT(ConversionSettings, convertSampleRate, 540);
CORV_FIELD_AT(ConversionSettings, targetSampleRate, 544);
CORV_FIELD_AT(ConversionSettings, amplify, 548);
CORV_FIELD_AT(ConversionSettings, amplifyDb, 552);
CORV_FIELD_AT(ConversionSettings, normalize, 560);
CORV_FIELD_AT(ConversionSettings, normalizeWithTempFile, 561);
CORV_FIELD_AT(ConversionSettings, normalizeList, 562);
CORV_FIELD_AT(ConversionSettings, normalizeFile, 563);
CORV_FIELD_AT(ConversionSettings, normalizeOnClipping, 564);
CORV_FIELD_AT(ConversionSettings, normalizeTarget, 568);
CORV_FIELD_AT(ConversionSettings, dither, 576);
CORV_FIELD_AT(ConversionSettings, noiseShaping, 580);
CORV_FIELD_AT(ConversionSettings, pdfType, 584);
CORV_FIELD_AT(ConversionSettings, pdfAmplitude, 588);
CORV_FIELD_AT(ConversionSettings, showFilename, 592);
CORV_FIELD_AT(ConversionSettings, alwaysOnTop, 593);
CORV_FIELD_AT(ConversionSettings, showColumn, 594);
CORV_FIELD_AT(ConversionSettings, channelMappingEnabled, 602);
CORV_FIELD_AT(ConversionSettings, sizeInKB, 603);
CORV_FIELD_AT(ConversionSettings, streamManipulation, 604);
CORV_FIELD_AT(ConversionSettings, monoStreams, 605);
CORV_FIELD_AT(ConversionSettings, stitchFiles, 606);
CORV_FIELD_AT(ConversionSettings, mergeFiles, 607);
CORV_FIELD_AT(ConversionSettings, sendJobsToBatcher, 608);
CORV_FIELD_AT(ConversionSettings, startBatcherWhenFinished, 609);
CORV_FIELD_AT(ConversionSettings, batcherOutputType, 612);

ConversionSettings defaultConversionSettings();

} // namespace corv
