#pragma once
// The preferences dialog without its window: what it shows for the stored
// settings, which controls its switches enable, and what Apply stores.
#include "analyser/analysis/audio_codes.h"
#include "analyser/engine/settings_file.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace corv {

struct ListItem {
    std::string_view text;
    int32_t value;
};

// The lists and radios of the dialog, in the order they are shown. The sample
// type list is kSampleTypes with sampleTypeName.
inline constexpr int32_t kSampleRateItems[] = {6000,  8000,  11025, 12000, 16000, 22050,
                                               24000, 32000, 44100, 48000, 96000, 192000};
inline constexpr FileFormat kOutputFormatItems[] = {
    FileFormat::WavePcm, FileFormat::WaveNonPcm, FileFormat::WaveFormatEx, FileFormat::RawSamples};
inline constexpr std::string_view kLevelItems[] = {"None", "Amplify", "Normalize",
                                                   "Normalize with temp file"};
// Each shaping item stores a code of its own, so every one can be chosen and
// shown again; the dither library gives each its meaning.
inline constexpr ListItem kNoiseShapingItems[] = {
    {"No shaping", 1}, {"Triangular", 2}, {"ATH based", 3}, {"ATH lower amp", 4}};
inline constexpr ListItem kPdfTypeItems[] = {
    {"Rectangular", 0}, {"Triangular", 1}, {"Gaussian", 2}};

enum class LevelChoice { None, Amplify, Normalize, NormalizeWithTempFile }; // kLevelItems order

// The dialog's controls as values: check states, selected positions (-1 for
// no selection or no radio checked) and the texts of the edit boxes.
struct PreferencesValues {
    std::string outputDirectory;
    bool sameAsInput = false;
    bool processDelay = false;
    bool maintainLength = false;
    bool floatCECompatible = false;
    bool ignoreSizeInHeader = false;
    bool ignoreIfOver2GB = false;
    bool ignoreIfOver4GB = false;
    bool ignoreAlways = false;
    bool channelMappingEnabled = false;
    bool streamManipulation = false;
    bool monoStreams = false;
    bool stitchFiles = false;
    bool mergeFiles = false;
    int outputFormat = -1; // position in kOutputFormatItems
    bool convertSampleType = false;
    int sampleType = -1; // position in kSampleTypes
    bool convertSampleRate = false;
    int sampleRate = -1; // position in kSampleRateItems
    LevelChoice level = LevelChoice::None;
    std::string levelText; // decibels or percent, by the level choice
    bool normalizeFile = false;
    bool normalizeList = false;
    bool normalizeOnClipping = false;
    bool dither = false;
    int noiseShaping = -1; // position in kNoiseShapingItems
    int pdfType = -1;      // position in kPdfTypeItems
    std::string pdfAmplitudeText;
};

// What the level edit box and its unit show for a level choice, always from
// the stored numbers; the edit box and the normalize scopes follow the choice.
struct LevelView {
    std::string text;
    std::string_view unit;
};
LevelView levelView(LevelChoice level, const ConversionSettings& settings);

// Which controls are enabled; each follows its switch at once.
struct PreferencesEnables {
    bool outputDirectory; // the edit box and Browse, while "Same as input file" is off
    bool maintainLength;
    bool sizeRadios;
    bool streamRadios;
    bool sampleTypeList;
    bool sampleRateList;
    bool levelText;
    bool normalizeScopes;
    bool ditherControls; // the two lists and the amplitude
};
PreferencesEnables enabledControls(const PreferencesValues& values);

struct ApplyOutcome {
    bool applied = false;       // false: refused while a conversion runs, nothing changed
    bool saved = false;         // the settings file was written
    bool numberRefused = false; // a typed number was not finite; the stored one stays
};

// One open preferences dialog over the program's settings.
class PreferencesEditor {
  public:
    PreferencesEditor(AnalyserSettings& settings, std::string programDirectory,
                      std::function<bool()> workerRunning);

    const ConversionSettings& settings() const { return settings_.conversion; }
    PreferencesValues shown() const;
    // "Same as input file" is stored on its click, so that Cancel keeps it;
    // false when refused, as Apply is, while a conversion runs: its worker
    // names the outputs from it.
    bool sameAsInputClicked(bool checked);
    // Stores the values and saves the file, unless a conversion runs: its
    // worker reads these settings.
    ApplyOutcome apply(const PreferencesValues& values);

  private:
    bool workerRunning() const;

    AnalyserSettings& settings_;
    std::string programDirectory_;
    std::function<bool()> workerRunning_;
};

} // namespace corv
