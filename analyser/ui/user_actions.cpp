#include "analyser/ui/user_actions.h"

namespace corv {

Verdict decideAction(UserAction action, bool conversionRunning) {
    if (!conversionRunning) return Verdict::Go;
    switch (action) {
    case UserAction::SelectAll:
        return Verdict::Go;   // the selection is not the conversion's
    case UserAction::Convert: // one conversion at a time; its button is disabled
    case UserAction::Drag:    // a drag that cannot move rows does not start
        return Verdict::Ignore;
    default:
        return Verdict::Refuse;
    }
}

bool keyStaysWithEditBox(ProgramKey key) {
    return key == ProgramKey::Delete || key == ProgramKey::SelectAll;
}

PropertiesChoice decideProperties(int selectedRows) {
    if (selectedRows <= 0) return PropertiesChoice::Nothing;
    return selectedRows == 1 ? PropertiesChoice::Open : PropertiesChoice::SelectOne;
}

} // namespace corv
