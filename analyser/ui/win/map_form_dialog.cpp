#include "analyser/ui/win/map_form_dialog.h"

#include "analyser/shared_ui/win/analyser_state.h"
#include "analyser/shared_ui/win/dialog_support.h"
#include "analyser/ui/channel_map_editing.h"
#include "analyser/ui/channel_map_form.h"
#include "analyser/ui/win/dialog_ids_maps.h"
#include "analyser/ui/win/program_keys.h"
#include "platform/text_format.h"

#include <algorithm>

namespace corv {
namespace {

constexpr int kChosenCount = 2; // both counts start at 2 channels

struct FormSession {
    std::optional<ChannelMap> before; // the map the form shows, once it is built
    std::optional<ChannelMap> result;
};

FormSession& sessionOf(HWND dialog) {
    return *reinterpret_cast<FormSession*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

int weightId(int input, int output) {
    return IDC_MAP_WEIGHT + input * kFormMaxChannels + output;
}

void place(HWND control, const FormBox& box) {
    SetWindowPos(control, nullptr, box.left, box.top, box.width, box.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND addControl(HWND dialog, const char* type, const std::string& text, DWORD style, int id,
                const FormBox& box, DWORD extendedStyle = 0) {
    HWND control = CreateWindowExA(extendedStyle, type, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                   box.left, box.top, box.width, box.height, dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);
    return control;
}

void fillCountChoice(HWND dialog) {
    for (int id : {IDC_MAP_FROM, IDC_MAP_TO}) {
        HWND list = GetDlgItem(dialog, id);
        for (int count = 1; count <= kFormMaxChannels; ++count)
            addComboItem(list, formatText("%i", count));
        SendMessageA(list, CB_SETCURSEL, kChosenCount - 1, 0);
    }
    CheckRadioButton(dialog, IDC_MAP_MOVE, IDC_MAP_MIX, IDC_MAP_MOVE);
}

// The size for the form, keeping the dialog's centre where it was.
void resizeFor(HWND dialog, const MapFormLayout& layout) {
    RECT frame{0, 0, layout.clientWidth(), 0};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE)));
    RECT now;
    GetWindowRect(dialog, &now);
    const int width = frame.right - frame.left, height = layout.windowHeight();
    const int left = std::max(0, static_cast<int>(now.left + now.right - width) / 2);
    const int top = std::max(0, static_cast<int>(now.top + now.bottom - height) / 2);
    SetWindowPos(dialog, nullptr, left, top, width, height, SWP_NOZORDER);
}

void addCells(HWND dialog, const ChannelMap& map, const MapForm& form,
              const MapFormLayout& layout) {
    for (int o = 0; o < map.outChannels; ++o)
        addControl(dialog, "STATIC", formatText("ch %i", o), SS_NOPREFIX, IDC_MAP_COLUMN_LABEL + o,
                   layout.columnLabel(o));
    if (!map.isMix()) {
        for (int o = 0; o < map.outChannels; ++o) {
            HWND list =
                addControl(dialog, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                           IDC_MAP_SOURCE + o, layout.cell(0, o));
            addComboItem(list, "");
            for (int source = 0; source < map.inChannels; ++source)
                addComboItem(list, formatText("%i", source));
            SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(form.sources[o]), 0);
        }
        return;
    }
    for (int i = 0; i < map.inChannels; ++i) {
        addControl(dialog, "STATIC", formatText("ch %i", i), SS_NOPREFIX, IDC_MAP_ROW_LABEL + i,
                   layout.rowLabel(i));
        for (int o = 0; o < map.outChannels; ++o) {
            HWND cell = addControl(dialog, "COMBOBOX", "", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP,
                                   weightId(i, o), layout.cell(i, o));
            for (std::string_view item : kWeightItems)
                addComboItem(cell, item);
            SetWindowTextA(cell,
                           form.weights[static_cast<size_t>(i * map.outChannels + o)].c_str());
        }
    }
}

// The count choice gives way to the form for the map's channels.
void buildForm(HWND dialog, const ChannelMap& map) {
    for (int id :
         {IDC_MAP_FROM, IDC_MAP_FROM_UNIT, IDC_MAP_TO, IDC_MAP_TO_UNIT, IDC_MAP_MOVE, IDC_MAP_MIX})
        ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
    const MapFormLayout layout(map.isMix() ? map.inChannels : 1, map.outChannels);
    const MapForm form = formOf(map);
    SetWindowTextA(dialog, "Configure Mapping");
    SetDlgItemTextA(dialog, IDC_MAP_FROM_LABEL, "Source");
    SetDlgItemTextA(dialog, IDC_MAP_TO_LABEL, "Destination");
    place(GetDlgItem(dialog, IDC_MAP_FROM_LABEL), layout.sourceLabel());
    place(GetDlgItem(dialog, IDC_MAP_TO_LABEL), layout.destinationLabel());
    addCells(dialog, map, form, layout);
    addControl(dialog, "STATIC", "Description", 0, IDC_MAP_DESCRIPTION_LABEL,
               layout.descriptionLabel());
    HWND description = addControl(dialog, "EDIT", form.description, ES_AUTOHSCROLL | WS_TABSTOP,
                                  IDC_MAP_DESCRIPTION, layout.descriptionField(), WS_EX_CLIENTEDGE);
    SendMessageA(description, EM_LIMITTEXT, kDescriptionFieldLength, 0);
    // Ok and Cancel go last in the tab order, below the new fields.
    for (int id : {IDC_DIALOG_OK, IDC_DIALOG_CANCEL}) {
        HWND button = GetDlgItem(dialog, id);
        place(button, id == IDC_DIALOG_OK ? layout.okButton() : layout.cancelButton());
        SetWindowPos(button, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    resizeFor(dialog, layout);
    SetFocus(GetDlgItem(dialog, map.isMix() ? weightId(0, 0) : IDC_MAP_SOURCE));
}

MapForm readForm(HWND dialog, const ChannelMap& map) {
    MapForm form;
    if (map.isMix()) {
        for (int i = 0; i < map.inChannels; ++i)
            for (int o = 0; o < map.outChannels; ++o)
                form.weights.push_back(dialogItemText(dialog, weightId(i, o)));
    } else {
        for (int o = 0; o < map.outChannels; ++o)
            form.sources.push_back(static_cast<int>(
                SendDlgItemMessageA(dialog, IDC_MAP_SOURCE + o, CB_GETCURSEL, 0, 0)));
    }
    form.description = dialogItemText(dialog, IDC_MAP_DESCRIPTION);
    return form;
}

int chosenCount(HWND dialog, int listId) {
    return static_cast<int>(SendDlgItemMessageA(dialog, listId, CB_GETCURSEL, 0, 0)) + 1;
}

void onOk(HWND dialog) {
    FormSession& session = sessionOf(dialog);
    if (session.before) {
        session.result = storedMap(*session.before, readForm(dialog, *session.before));
        EndDialog(dialog, IDOK);
        return;
    }
    session.before = blankMap(chosenCount(dialog, IDC_MAP_FROM), chosenCount(dialog, IDC_MAP_TO),
                              IsDlgButtonChecked(dialog, IDC_MAP_MIX) == BST_CHECKED);
    buildForm(dialog, *session.before);
}

INT_PTR handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        FormSession& session = sessionOf(dialog);
        fillCountChoice(dialog);
        if (session.before) {
            buildForm(dialog, *session.before);
            return FALSE; // the focus is on the first field
        }
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_DIALOG_OK:
            onOk(dialog);
            return TRUE;
        case IDC_DIALOG_CANCEL:
        case IDCANCEL: // Escape
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

std::optional<ChannelMap> run(HWND owner, FormSession session) {
    ProgramKeysInModalDialog keys(Analyser().accelerators);
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SELECT_MAPPING), owner,
                    GuardedDialogProc<handle>, reinterpret_cast<LPARAM>(&session));
    return session.result;
}

} // namespace

std::optional<ChannelMap> runNewMapDialog(HWND owner) {
    return run(owner, FormSession{});
}

std::optional<ChannelMap> runMapFormDialog(HWND owner, const ChannelMap& map) {
    return run(owner, FormSession{map, std::nullopt});
}

} // namespace corv
