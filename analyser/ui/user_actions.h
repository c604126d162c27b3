#pragma once
// What a user's action on the main window means, decided before the window
// layer carries it out: the file list is the conversion's working set, so
// nothing may change or free its rows while a conversion thread runs.
#include "analyser/shared_ui/wait_texts.h"

#include <string_view>

namespace corv {

inline constexpr std::string_view kSelectSingleItemMessage = "Please select a single item.";

enum class UserAction {
    Add,        // "&Add" and its open-file dialog
    DropFiles,  // files dropped on the window
    Delete,     // "&Delete" button or the Delete key
    ClearList,  // "Clear &List"
    Analyse,    // "A&nalyse list"
    Sort,       // a click on a column header
    Drag,       // dragging rows to another place
    Properties, // "&Properties" or a double click
    Convert,    // "&Convert"
    SelectAll,  // Ctrl+A
};

enum class Verdict {
    Go,
    Refuse, // tell the user kWaitForConversionMessage
    Ignore, // nothing happens, nothing is said
};

Verdict decideAction(UserAction action, bool conversionRunning);

// The accelerator keys the program routes to the window in front. A focused
// edit box keeps Delete and Ctrl+A for its own text.
enum class ProgramKey { Delete, SelectAll, Other };
bool keyStaysWithEditBox(ProgramKey key);

enum class PropertiesChoice {
    Nothing,   // no row selected
    Open,      // the one selected row
    SelectOne, // several rows: kSelectSingleItemMessage
};
PropertiesChoice decideProperties(int selectedRows);

} // namespace corv
