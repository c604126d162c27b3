// Corvandale's own templates, menu and keys as the program loads them: the
// texts and ids its users and its other dialogs rely on.
#include "analyser/ui/win/resource.h"
#include "corvandale_version.h"
#include "platform/win/dialog_program.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

namespace corv {
namespace {

INT_PTR CALLBACK plainProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

std::string textOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Every control's id and text, in template order, after the dialog's own title.
std::vector<std::pair<int, std::string>> controlsOf(int templateId) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                                     nullptr, plainProc, 0);
    std::vector<std::pair<int, std::string>> controls{{0, textOf(dialog)}};
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        controls.emplace_back(GetDlgCtrlID(child), textOf(child));
    DestroyWindow(dialog);
    return controls;
}

TEST(CorvandaleResources, TemplatesHoldTheirTextsAndIds) {
    ASSERT_TRUE(RegisterDialogClass(GetModuleHandleA(nullptr), "MainWin", IDI_CORVANDALE));
    using Controls = std::vector<std::pair<int, std::string>>;
    EXPECT_EQ(controlsOf(IDD_MAIN), (Controls{{0, "Corvandale"},
                                              {2108, ""},
                                              {2101, "&Add"},
                                              {220, "&Delete"},
                                              {2105, "Clear &List"},
                                              {2106, "A&nalyse list"},
                                              {2107, "&Properties"},
                                              {2104, "E&xit"},
                                              {2103, "&Convert"}}));
    EXPECT_EQ(controlsOf(IDD_ABOUT), (Controls{{0, "About corvandale"},
                                               {-1, ""},
                                               {-1, "Version " CORV_VERSION_TEXT},
                                               {-1, "Look at Legal.txt before using this program."},
                                               {210, "&Ok"}}));
    EXPECT_EQ(controlsOf(IDD_CONVERSION), (Controls{{0, "Conversion"},
                                                    {-1, "Current file:"},
                                                    {IDC_CONVERSION_FILE, ""},
                                                    {IDC_CONVERSION_PROGRESS, ""},
                                                    {-1, "Files finished:"},
                                                    {IDC_FILES_FINISHED, ""},
                                                    {IDCANCEL, "Stop"}}));
    EXPECT_EQ(controlsOf(IDD_CHANNEL_MAPPING), (Controls{{0, "Channel mapping"},
                                                         {IDC_MAP_LIST, ""},
                                                         {IDC_MAP_NEW, "&New"},
                                                         {220, "&Delete"},
                                                         {IDC_MAP_VIEW, "&View"},
                                                         {IDC_MAP_ENABLE, "Enable channelmapping"},
                                                         {210, "&Ok"},
                                                         {215, "&Cancel"},
                                                         {216, "&Apply"}}));
    EXPECT_EQ(controlsOf(IDD_SELECT_MAPPING), (Controls{{0, "Select mapping"},
                                                        {IDC_MAP_FROM_LABEL, "From"},
                                                        {IDC_MAP_FROM, ""},
                                                        {IDC_MAP_FROM_UNIT, "channel(s)"},
                                                        {IDC_MAP_TO_LABEL, "To"},
                                                        {IDC_MAP_TO, ""},
                                                        {IDC_MAP_TO_UNIT, "channel(s)"},
                                                        {IDC_MAP_MOVE, "Move channels"},
                                                        {IDC_MAP_MIX, "Mix channels"},
                                                        {210, "&Ok"},
                                                        {215, "&Cancel"}}));
}

TEST(CorvandaleResources, MenuAndKeysSendTheSharedCommandIds) {
    const HINSTANCE self = GetModuleHandleA(nullptr);
    HMENU menu = LoadMenuA(self, MAKEINTRESOURCEA(IDR_MAIN_MENU));
    const std::map<UINT, std::string> items = {{8005, "E&xit"},
                                               {8010, "&Preferences\t(F4)"},
                                               {8012, "&Channel mapping\t(F2)"},
                                               {8013, "&Quillmere\t(F3)"},
                                               {8015, "Always on &top"},
                                               {8016, "Path"},
                                               {8023, "Peak conv"},
                                               {8024, "Filename"},
                                               {8035, "&About"}};
    for (const auto& [id, text] : items) {
        char shown[64] = {};
        GetMenuStringA(menu, id, shown, sizeof shown, MF_BYCOMMAND);
        EXPECT_EQ(shown, text) << id;
    }
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

} // namespace
} // namespace corv
