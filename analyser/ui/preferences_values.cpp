#include "analyser/ui/preferences_values.h"

#include "analyser/ui/number_text.h"
#include "platform/text_format.h"
#include "protocol/fixed_text.h"

#include <cfloat>
#include <cmath>
#include <optional>

namespace corv {
namespace {

int32_t codeOf(int32_t value) {
    return value;
}
int32_t codeOf(const ListItem& item) {
    return item.value;
}
int32_t codeOf(FileFormat format) {
    return static_cast<int32_t>(format);
}
int32_t codeOf(SampleType type) {
    return static_cast<int32_t>(type);
}

// Where two items carry one code, the later one is shown.
template <typename Item, size_t N> int positionOf(const Item (&items)[N], int32_t code) {
    int found = -1;
    for (size_t i = 0; i < N; ++i)
        if (codeOf(items[i]) == code) found = static_cast<int>(i);
    return found;
}

// A list without a selection keeps the stored code: its item may be one the
// list does not hold (a settings file written elsewhere).
template <typename Item, size_t N>
void storeCodeAt(const Item (&items)[N], int position, int32_t& code) {
    if (position >= 0 && static_cast<size_t>(position) < N) code = codeOf(items[position]);
}

std::optional<float> finiteFloat(const std::string& text) {
    auto value = finiteNumber(text);
    if (!value || std::fabs(*value) > FLT_MAX) return std::nullopt;
    return static_cast<float>(*value);
}

// The check boxes and radios, each one byte of the record.
struct SwitchField {
    uint8_t ConversionSettings::*stored;
    bool PreferencesValues::*shown;
};
constexpr SwitchField kSwitches[] = {
    {&ConversionSettings::sameAsInput, &PreferencesValues::sameAsInput},
    {&ConversionSettings::processDelay, &PreferencesValues::processDelay},
    {&ConversionSettings::maintainLength, &PreferencesValues::maintainLength},
    {&ConversionSettings::floatCECompatible, &PreferencesValues::floatCECompatible},
    {&ConversionSettings::ignoreSizeInHeader, &PreferencesValues::ignoreSizeInHeader},
    {&ConversionSettings::ignoreIfOver2GB, &PreferencesValues::ignoreIfOver2GB},
    {&ConversionSettings::ignoreIfOver4GB, &PreferencesValues::ignoreIfOver4GB},
    {&ConversionSettings::ignoreAlways, &PreferencesValues::ignoreAlways},
    {&ConversionSettings::channelMappingEnabled, &PreferencesValues::channelMappingEnabled},
    {&ConversionSettings::streamManipulation, &PreferencesValues::streamManipulation},
    {&ConversionSettings::monoStreams, &PreferencesValues::monoStreams},
    {&ConversionSettings::stitchFiles, &PreferencesValues::stitchFiles},
    {&ConversionSettings::mergeFiles, &PreferencesValues::mergeFiles},
    {&ConversionSettings::convertSampleType, &PreferencesValues::convertSampleType},
    {&ConversionSettings::convertSampleRate, &PreferencesValues::convertSampleRate},
    {&ConversionSettings::normalizeFile, &PreferencesValues::normalizeFile},
    {&ConversionSettings::normalizeList, &PreferencesValues::normalizeList},
    {&ConversionSettings::normalizeOnClipping, &PreferencesValues::normalizeOnClipping},
    {&ConversionSettings::dither, &PreferencesValues::dither},
};

bool normalizes(LevelChoice level) {
    return level == LevelChoice::Normalize || level == LevelChoice::NormalizeWithTempFile;
}

LevelChoice storedLevel(const ConversionSettings& s) {
    if (s.amplify) return LevelChoice::Amplify;
    if (!s.normalize) return LevelChoice::None;
    return s.normalizeWithTempFile ? LevelChoice::NormalizeWithTempFile : LevelChoice::Normalize;
}

} // namespace

LevelView levelView(LevelChoice level, const ConversionSettings& settings) {
    if (level == LevelChoice::Amplify) return {formatText("%5.2f", settings.amplifyDb), "dB"};
    if (normalizes(level)) return {formatText("%5.2f", settings.normalizeTarget * 100), "%"};
    return {"", ""};
}

PreferencesEnables enabledControls(const PreferencesValues& v) {
    return {!v.sameAsInput,
            v.processDelay,
            v.ignoreSizeInHeader,
            v.streamManipulation,
            v.convertSampleType,
            v.convertSampleRate,
            v.level != LevelChoice::None,
            normalizes(v.level),
            v.dither};
}

PreferencesEditor::PreferencesEditor(AnalyserSettings& settings, std::string programDirectory,
                                     std::function<bool()> workerRunning)
    : settings_(settings), programDirectory_(std::move(programDirectory)),
      workerRunning_(std::move(workerRunning)) {}

PreferencesValues PreferencesEditor::shown() const {
    const ConversionSettings& s = settings_.conversion;
    PreferencesValues v;
    v.outputDirectory = fieldText(s.outputDirectory);
    for (const SwitchField& field : kSwitches)
        v.*field.shown = s.*field.stored;
    v.outputFormat = positionOf(kOutputFormatItems, s.outputFormat);
    v.sampleType = positionOf(kSampleTypes, s.targetSampleType);
    v.sampleRate = positionOf(kSampleRateItems, s.targetSampleRate);
    v.level = storedLevel(s);
    v.levelText = levelView(v.level, s).text;
    v.noiseShaping = positionOf(kNoiseShapingItems, s.noiseShaping);
    v.pdfType = positionOf(kPdfTypeItems, s.pdfType);
    v.pdfAmplitudeText = formatText("%6.3f", static_cast<double>(s.pdfAmplitude));
    return v;
}

bool PreferencesEditor::sameAsInputClicked(bool checked) {
    if (workerRunning()) return false;
    settings_.conversion.sameAsInput = checked;
    return true;
}

bool PreferencesEditor::workerRunning() const {
    return workerRunning_ && workerRunning_();
}

ApplyOutcome PreferencesEditor::apply(const PreferencesValues& v) {
    ApplyOutcome outcome;
    if (workerRunning()) return outcome;
    outcome.applied = true;
    ConversionSettings& s = settings_.conversion;
    setFieldText(s.outputDirectory, v.outputDirectory); // the edit box holds no longer text
    for (const SwitchField& field : kSwitches)
        s.*field.stored = v.*field.shown;
    storeCodeAt(kSampleTypes, v.sampleType, s.targetSampleType);
    storeCodeAt(kSampleRateItems, v.sampleRate, s.targetSampleRate);
    s.amplify = v.level == LevelChoice::Amplify;
    s.normalize = normalizes(v.level);
    s.normalizeWithTempFile = v.level == LevelChoice::NormalizeWithTempFile;
    if (s.amplify || s.normalize) {
        auto number = finiteNumber(v.levelText);
        if (!number)
            outcome.numberRefused = true;
        else if (s.amplify)
            s.amplifyDb = *number;
        else
            s.normalizeTarget = *number / 100;
    }
    storeCodeAt(kOutputFormatItems, v.outputFormat, s.outputFormat);
    storeCodeAt(kNoiseShapingItems, v.noiseShaping, s.noiseShaping);
    storeCodeAt(kPdfTypeItems, v.pdfType, s.pdfType);
    if (auto amplitude = finiteFloat(v.pdfAmplitudeText))
        s.pdfAmplitude = *amplitude;
    else
        outcome.numberRefused = true;
    outcome.saved = saveSettings(settings_, programDirectory_);
    return outcome;
}

} // namespace corv
