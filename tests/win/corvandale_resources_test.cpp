// Corvandale's own templates, menu and keys as the program loads them: the
// texts and ids its users and its other dialogs rely on, and the encoder
// dialogs' templates holding every control their rules paint, of the kind
// the rules paint it as.
#include "analyser/batcher_client/encoder_dialog_values.h"
#include "analyser/ui/win/resource.h"
#include "corvandale_version.h"
#include "platform/win/dialog_program.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <commctrl.h>

#include <map>
#include <string>

namespace corv {
namespace {

INT_PTR CALLBACK plainProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// A window's text, or its class name.
std::string textOf(HWND window, bool className = false) {
    char text[256] = {};
    className ? GetClassNameA(window, text, sizeof text)
              : GetWindowTextA(window, text, sizeof text);
    return text;
}

// The dialog's title, then every control as "id:text", in template order.
std::string controlsOf(int templateId) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                                     nullptr, plainProc, 0);
    std::string controls = textOf(dialog);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        controls += "|" + std::to_string(GetDlgCtrlID(child)) + ":" + textOf(child);
    DestroyWindow(dialog);
    return controls;
}

TEST(CorvandaleResources, TemplatesHoldTheirTextsAndIds) {
    ASSERT_TRUE(RegisterDialogClass(GetModuleHandleA(nullptr), "MainWin", IDI_CORVANDALE));
    EXPECT_EQ(controlsOf(IDD_MAIN), "Corvandale|2108:|2101:&Add|220:&Delete|2105:Clear &List|"
                                    "2106:A&nalyse list|2107:&Properties|2104:E&xit|2103:&Convert");
    EXPECT_EQ(controlsOf(IDD_ABOUT), "About corvandale|-1:|-1:Version " CORV_VERSION_TEXT
                                     "|-1:Look at Legal.txt before using this program.|210:&Ok");
    EXPECT_EQ(controlsOf(IDD_CONVERSION),
              "Conversion|-1:Current file:|2301:|2302:|-1:Files finished:|2303:|2:Stop");
    EXPECT_EQ(controlsOf(IDD_CHANNEL_MAPPING),
              "Channel mapping|2501:|2502:&New|220:&Delete|2503:&View|2504:Enable "
              "channelmapping|210:&Ok|215:&Cancel|216:&Apply");
    EXPECT_EQ(controlsOf(IDD_SELECT_MAPPING),
              "Select mapping|2511:From|2512:|2513:channel(s)|2514:To|2515:|2516:channel(s)|"
              "2517:Move channels|2518:Mix channels|210:&Ok|215:&Cancel");
}

TEST(CorvandaleResources, MenuAndKeysSendTheSharedCommandIds) {
    const HINSTANCE self = GetModuleHandleA(nullptr);
    HMENU menu = LoadMenuA(self, MAKEINTRESOURCEA(IDR_MAIN_MENU));
    std::string items;
    for (UINT id : {8005, 8010, 8012, 8013, 8015, 8016, 8023, 8024, 8035}) {
        char shown[64] = {};
        GetMenuStringA(menu, id, shown, sizeof shown, MF_BYCOMMAND);
        items += std::string(shown) + "|";
    }
    EXPECT_EQ(items, "E&xit|&Preferences\t(F4)|&Channel mapping\t(F2)|&Quillmere\t(F3)|Always on "
                     "&top|Path|Peak conv|Filename|&About|");
    DestroyMenu(menu);

    ACCEL keys[16];
    const int count = CopyAcceleratorTableA(
        LoadAcceleratorsA(self, MAKEINTRESOURCEA(IDR_ACCELERATORS)), keys, 16);
    std::map<WORD, WORD> commandOfKey;
    for (int i = 0; i < count; ++i)
        commandOfKey[keys[i].key] = keys[i].cmd;
    EXPECT_EQ(commandOfKey, (std::map<WORD, WORD>{{VK_DELETE, 220},
                                                  {'A', 225},
                                                  {VK_F2, 226},
                                                  {VK_F3, 227},
                                                  {VK_F4, 228},
                                                  {VK_F8, 210},
                                                  {VK_ESCAPE, 215}}));
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
            const std::string kind = textOf(control, true);
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
