#include "analyser/ui/win/preferences_dialog.h"

#include "analyser/shared_ui/wait_texts.h"
#include "analyser/shared_ui/win/dialog_support.h"
#include "analyser/ui/preferences_values.h"
#include "analyser/ui/win/dialog_ids_settings.h"
#include "analyser/ui/win/folder_browse.h"
#include "platform/notifier.h"
#include "platform/text_format.h"

#include <iterator>
#include <memory>

namespace corv {
namespace {

constexpr int kNumberBoxLength = 10; // characters the two number boxes take

struct CheckBinding {
    int id;
    bool PreferencesValues::*checked;
};
constexpr CheckBinding kChecks[] = {
    {IDC_SAME_AS_INPUT, &PreferencesValues::sameAsInput},
    {IDC_PROCESS_DELAY, &PreferencesValues::processDelay},
    {IDC_MAINTAIN_LENGTH, &PreferencesValues::maintainLength},
    {IDC_FLOAT_CE_COMPATIBLE, &PreferencesValues::floatCECompatible},
    {IDC_IGNORE_SIZE_IN_HEADER, &PreferencesValues::ignoreSizeInHeader},
    {IDC_IGNORE_OVER_2GB, &PreferencesValues::ignoreIfOver2GB},
    {IDC_IGNORE_OVER_4GB, &PreferencesValues::ignoreIfOver4GB},
    {IDC_IGNORE_ALWAYS, &PreferencesValues::ignoreAlways},
    {IDC_CHANNEL_MAPPING, &PreferencesValues::channelMappingEnabled},
    {IDC_STREAM_MANIPULATION, &PreferencesValues::streamManipulation},
    {IDC_MONO_STREAMS, &PreferencesValues::monoStreams},
    {IDC_STITCH_FILES, &PreferencesValues::stitchFiles},
    {IDC_MERGE_FILES, &PreferencesValues::mergeFiles},
    {IDC_CONVERT_SAMPLE_TYPE, &PreferencesValues::convertSampleType},
    {IDC_CONVERT_SAMPLE_RATE, &PreferencesValues::convertSampleRate},
    {IDC_SCOPE_FILE, &PreferencesValues::normalizeFile},
    {IDC_SCOPE_LIST, &PreferencesValues::normalizeList},
    {IDC_SCOPE_ON_CLIPPING, &PreferencesValues::normalizeOnClipping},
    {IDC_DITHER, &PreferencesValues::dither},
};

struct ListBinding {
    int id;
    int PreferencesValues::*position;
};
constexpr ListBinding kLists[] = {
    {IDC_SAMPLE_TYPE_LIST, &PreferencesValues::sampleType},
    {IDC_SAMPLE_RATE_LIST, &PreferencesValues::sampleRate},
    {IDC_NOISE_SHAPING_LIST, &PreferencesValues::noiseShaping},
    {IDC_PDF_TYPE_LIST, &PreferencesValues::pdfType},
};

struct TextBinding {
    int id;
    std::string PreferencesValues::*text;
};
constexpr TextBinding kTexts[] = {
    {IDC_OUTPUT_DIRECTORY, &PreferencesValues::outputDirectory},
    {IDC_LEVEL_VALUE, &PreferencesValues::levelText},
    {IDC_PDF_AMPLITUDE, &PreferencesValues::pdfAmplitudeText},
};

struct EnableBinding {
    int id;
    bool PreferencesEnables::*enabled;
};
constexpr EnableBinding kEnables[] = {
    {IDC_OUTPUT_DIRECTORY, &PreferencesEnables::outputDirectory},
    {IDC_BROWSE, &PreferencesEnables::outputDirectory},
    {IDC_MAINTAIN_LENGTH, &PreferencesEnables::maintainLength},
    {IDC_IGNORE_OVER_2GB, &PreferencesEnables::sizeRadios},
    {IDC_IGNORE_OVER_4GB, &PreferencesEnables::sizeRadios},
    {IDC_IGNORE_ALWAYS, &PreferencesEnables::sizeRadios},
    {IDC_MONO_STREAMS, &PreferencesEnables::streamRadios},
    {IDC_STITCH_FILES, &PreferencesEnables::streamRadios},
    {IDC_MERGE_FILES, &PreferencesEnables::streamRadios},
    {IDC_SAMPLE_TYPE_LIST, &PreferencesEnables::sampleTypeList},
    {IDC_SAMPLE_RATE_LIST, &PreferencesEnables::sampleRateList},
    {IDC_LEVEL_VALUE, &PreferencesEnables::levelText},
    {IDC_SCOPE_FILE, &PreferencesEnables::normalizeScopes},
    {IDC_SCOPE_LIST, &PreferencesEnables::normalizeScopes},
    {IDC_SCOPE_ON_CLIPPING, &PreferencesEnables::normalizeScopes},
    {IDC_NOISE_SHAPING_LIST, &PreferencesEnables::ditherControls},
    {IDC_PDF_TYPE_LIST, &PreferencesEnables::ditherControls},
    {IDC_PDF_AMPLITUDE, &PreferencesEnables::ditherControls},
};

PreferencesEditor& editorOf(HWND window) {
    return *reinterpret_cast<PreferencesEditor*>(GetWindowLongPtrA(window, DWLP_USER));
}

void fillLists(HWND window) {
    for (SampleType type : kSampleTypes)
        addComboItem(GetDlgItem(window, IDC_SAMPLE_TYPE_LIST),
                     sampleTypeName(static_cast<int32_t>(type)));
    for (int32_t rate : kSampleRateItems)
        addComboItem(GetDlgItem(window, IDC_SAMPLE_RATE_LIST), formatText("%i", rate));
    for (std::string_view level : kLevelItems)
        addComboItem(GetDlgItem(window, IDC_LEVEL_LIST), level);
    for (const ListItem& item : kNoiseShapingItems)
        addComboItem(GetDlgItem(window, IDC_NOISE_SHAPING_LIST), item.text);
    for (const ListItem& item : kPdfTypeItems)
        addComboItem(GetDlgItem(window, IDC_PDF_TYPE_LIST), item.text);
}

int selectedPosition(HWND window, int listId) {
    return static_cast<int>(
        SendDlgItemMessageA(window, listId, CB_GETCURSEL, 0, 0)); // CB_ERR is -1
}

PreferencesValues readValues(HWND window) {
    PreferencesValues values;
    for (const CheckBinding& check : kChecks)
        values.*check.checked = IsDlgButtonChecked(window, check.id) == BST_CHECKED;
    for (const ListBinding& list : kLists)
        values.*list.position = selectedPosition(window, list.id);
    for (const TextBinding& text : kTexts)
        values.*text.text = dialogItemText(window, text.id);
    for (int i = static_cast<int>(std::size(kOutputFormatItems)) - 1; i >= 0; --i)
        if (IsDlgButtonChecked(window, IDC_FORMAT_WAVE_PCM + i) == BST_CHECKED)
            values.outputFormat = i; // the first checked radio counts
    int level = selectedPosition(window, IDC_LEVEL_LIST);
    if (level >= 0 && level < static_cast<int>(std::size(kLevelItems)))
        values.level = static_cast<LevelChoice>(level);
    return values;
}

void showEnables(HWND window, const PreferencesValues& values) {
    PreferencesEnables enables = enabledControls(values);
    for (const EnableBinding& binding : kEnables)
        EnableWindow(GetDlgItem(window, binding.id), enables.*binding.enabled);
}

void showLevel(HWND window, const LevelView& view) {
    SetDlgItemTextA(window, IDC_LEVEL_VALUE, view.text.c_str());
    SetDlgItemTextA(window, IDC_LEVEL_UNIT, std::string(view.unit).c_str());
}

void showValues(HWND window, const PreferencesValues& values) {
    for (const CheckBinding& check : kChecks)
        CheckDlgButton(window, check.id, values.*check.checked ? BST_CHECKED : BST_UNCHECKED);
    for (const ListBinding& list : kLists)
        SendDlgItemMessageA(window, list.id, CB_SETCURSEL,
                            static_cast<WPARAM>(values.*list.position), 0);
    for (const TextBinding& text : kTexts)
        SetDlgItemTextA(window, text.id, (values.*text.text).c_str());
    for (int i = 0; i < static_cast<int>(std::size(kOutputFormatItems)); ++i)
        CheckDlgButton(window, IDC_FORMAT_WAVE_PCM + i,
                       i == values.outputFormat ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageA(window, IDC_LEVEL_LIST, CB_SETCURSEL, static_cast<WPARAM>(values.level), 0);
    showLevel(window, levelView(values.level, editorOf(window).settings()));
    showEnables(window, values);
}

void onInit(HWND window, PreferencesEditor* editor) {
    // The field keeps its terminator: a longer path could not be stored whole.
    SendDlgItemMessageA(window, IDC_OUTPUT_DIRECTORY, EM_LIMITTEXT, kPathFieldSize - 1, 0);
    SendDlgItemMessageA(window, IDC_LEVEL_VALUE, EM_LIMITTEXT, kNumberBoxLength, 0);
    SendDlgItemMessageA(window, IDC_PDF_AMPLITUDE, EM_LIMITTEXT, kNumberBoxLength, 0);
    fillLists(window);
    showValues(window, editor->shown());
}

void onLevelChosen(HWND window) {
    PreferencesValues values = readValues(window);
    showLevel(window, levelView(values.level, editorOf(window).settings()));
    showEnables(window, values);
}

// False when the settings were left as they were.
bool onApply(HWND window) {
    PreferencesEditor& editor = editorOf(window);
    ApplyOutcome outcome = editor.apply(readValues(window));
    if (!outcome.applied) {
        showWarning(window, kWaitForConversionText, kAttentionTitle);
        return false;
    }
    if (outcome.numberRefused) { // show the numbers that were kept
        PreferencesValues stored = editor.shown();
        SetDlgItemTextA(window, IDC_LEVEL_VALUE, stored.levelText.c_str());
        SetDlgItemTextA(window, IDC_PDF_AMPLITUDE, stored.pdfAmplitudeText.c_str());
    }
    return true;
}

void onBrowse(HWND window) {
    auto folder = browseForFolder(window, dialogItemText(window, IDC_OUTPUT_DIRECTORY), true);
    if (folder) SetDlgItemTextA(window, IDC_OUTPUT_DIRECTORY, folder->c_str());
}

void onCommand(HWND window, int id, int code) {
    if (answerApplyOkCancel(window, id, onApply)) return;
    switch (id) {
    case IDC_BROWSE:
        onBrowse(window);
        break;
    case IDC_LEVEL_LIST:
        if (code == CBN_SELCHANGE) onLevelChosen(window);
        break;
    case IDC_SAME_AS_INPUT:
        if (!editorOf(window).sameAsInputClicked(IsDlgButtonChecked(window, id) == BST_CHECKED)) {
            CheckDlgButton(window, id,
                           editorOf(window).settings().sameAsInput ? BST_CHECKED : BST_UNCHECKED);
            showWarning(window, kWaitForConversionText, kAttentionTitle);
        }
        showEnables(window, readValues(window));
        break;
    default:
        if (code == BN_CLICKED) showEnables(window, readValues(window));
        break;
    }
}

} // namespace

HWND openPreferencesDialog(HWND owner, AnalyserSettings& settings,
                           const std::string& programDirectory,
                           std::function<bool()> workerRunning) {
    return createModelessDialog(
        owner, IDD_PREFERENCES,
        GuardedDialogProc<modelessDialogHandler<PreferencesEditor, onInit, onCommand>>,
        std::make_unique<PreferencesEditor>(settings, programDirectory, std::move(workerRunning)));
}

} // namespace corv
