// The encoder dialogs' templates hold every control their rules paint, of
// the kind the rules paint it as.
#include "analyser/batcher_client/encoder_dialog_values.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <commctrl.h>

namespace corv {
namespace {

INT_PTR CALLBACK plainProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

std::string classOf(HWND control) {
    char name[64] = {};
    GetClassNameA(control, name, sizeof name);
    return name;
}

TEST(EncoderTemplates, HoldEveryControlTheirRulesShow) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    for (int32_t type = kFirstJobType; type <= kLastJobType; ++type) {
        EncoderBlocks blocks = defaultEncoderBlocks();
        auto editor = EncoderEditor::open(type, blocks, nullptr);
        const EncoderDialogInfo& info = editor->info();
        HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr),
                                         MAKEINTRESOURCEA(info.templateId), nullptr, plainProc, 0);
        ASSERT_TRUE(dialog) << type;
        for (const ControlView& view : editor->view()) {
            HWND control = GetDlgItem(dialog, view.id);
            ASSERT_TRUE(control) << type << ": " << view.id;
            const std::string kind = classOf(control);
            const char* expected = view.checked                           ? "Button"
                                   : view.range                           ? TRACKBAR_CLASSA
                                   : view.items && kind != WC_TABCONTROLA ? "ComboBox"
                                                                          : kind.c_str();
            EXPECT_EQ(kind, expected) << view.id;
        }
        for (int id : {info.commandLineBox, info.copyButton, info.connectButton})
            EXPECT_TRUE(!id || GetDlgItem(dialog, id)) << type << ": " << id;
        EXPECT_EQ(GetDlgItem(dialog, 216) != nullptr, info.hasApply) << type;
        DestroyWindow(dialog);
    }
}

} // namespace
} // namespace corv
