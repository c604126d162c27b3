#pragma once
// Reading and driving another process's windows from outside, as a user or
// Corvandale would: list-view cells through memory of the target process,
// message boxes found by owner process and title.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
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
// Selects or clears one row through LVM_SETITEMSTATE in the list's process.
bool setListRowSelected(HWND list, int row, bool selected);
// The same for a row's check box (a list with LVS_EX_CHECKBOXES).
bool setListRowChecked(HWND list, int row, bool checked);
bool listRowChecked(HWND list, int row);
// The header texts of the list's columns, in their order.
std::vector<std::string> listColumnTitles(HWND list);

std::string windowText(HWND window);
std::string className(HWND window);
DWORD processOf(HWND window);
// Every top-level window of the desktop.
std::vector<HWND> topWindows();

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

// Answers the next "Quillmere" message box of a process from another thread,
// as the user would, while this thread is held by the call that shows it.
class MessageBoxAnswer {
  public:
    MessageBoxAnswer(DWORD processId, int button);
    ~MessageBoxAnswer() { finish(); }
    MessageBoxAnswer(const MessageBoxAnswer&) = delete;
    MessageBoxAnswer& operator=(const MessageBoxAnswer&) = delete;
    // The box's text, once the call that showed it has returned ("" when none came).
    std::string text() {
        finish();
        return text_;
    }

  private:
    void finish() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::atomic<bool> stop_{false};
    std::string text_;
    std::thread thread_;
};

} // namespace e2e
