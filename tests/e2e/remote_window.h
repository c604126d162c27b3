#pragma once
// Reading and driving another process's windows from outside, as a user or
// Corvandale would: list-view cells through memory of the target process,
// message boxes found by owner process and title.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;

// Waits (pumping this thread's messages) until the condition holds or the
// time is up; returns the condition's last value. Waiting is for slow process
// start-up under Wine, not a timing check.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 20s);

int listRowCount(HWND list);
// The text of one cell, read with LVM_GETITEMTEXTA through a buffer inside the list's process.
std::string listCellText(HWND list, int row, int column);
// The same through LVM_GETITEMTEXTW: the text as the list holds it.
std::wstring listCellTextW(HWND list, int row, int column);
// The texts of one column, row by row.
std::vector<std::string> listColumnTexts(HWND list, int column);
// Selects or clears one row, or ticks or clears its check box (LVS_EX_CHECKBOXES).
bool setListRowSelected(HWND list, int row, bool selected);
bool setListRowChecked(HWND list, int row, bool checked);
bool listRowChecked(HWND list, int row);
// The header texts of the list's columns, in their order.
std::vector<std::string> listColumnTitles(HWND list);
// Row `from` dragged onto row `to` by the mouse (posted to the list, then its owner).
bool dragListRow(HWND owner, HWND list, int from, int to);

std::string windowText(HWND window);
DWORD processOf(HWND window);
std::vector<HWND> topWindows();
// How many top-level windows have that title (of that process, when one is given).
int countWindows(const std::string& title, DWORD processId = 0);
// A visible top-level window of the process with that class (and title, when one is given).
HWND findWindow(DWORD processId, const std::string& className, const char* title = nullptr);
std::string clipboardText();

// A top-level dialog-class window of the process with that title, or null.
HWND findDialog(DWORD processId, const std::string& title);
// The same once it has come (null when it did not within the limit).
HWND waitForDialog(DWORD processId, const std::string& title,
                   std::chrono::milliseconds limit = 20s);
// A message box's text (its static control 0xFFFF).
std::string messageBoxText(HWND box);
// A control somewhere inside a window (in a child dialog too), or null.
HWND descendant(HWND window, int controlId);
// Presses the box's button (IDOK, IDNO, ...).
void pressButton(HWND dialog, int buttonId);
// Waits for the process's message box with that title, presses the button
// (Yes, No...; OK when the box has no such button) once it is found and
// returns its text ("<no message box>" when none came).
std::string answerMessageBox(DWORD processId, const std::string& title, int button = IDOK);

// Makes the call, which shows a "Quillmere" message box of the process and
// waits for its answer, while another thread answers it as the user would;
// the box's text ("" when none came).
std::string answerDuring(DWORD processId, int button, const std::function<void()>& call);

} // namespace e2e
