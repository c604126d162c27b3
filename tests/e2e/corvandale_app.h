#pragma once
// The real Corvandale.exe as a user meets it, for the end-to-end tests, the
// measurements and the screenshots: a process of its own in a program
// directory of its own, driven through its windows.
#include "program_process.h"

#include "analyser/engine/conversion_settings.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

inline constexpr int kAdd = 2101, kDelete = 220, kClearList = 2105, kProperties = 2107,
                     kConvert = 2103, kFileList = 2108, kAbout = 8035, kPreferences = 8010;

class CorvandaleProcess : public ProgramProcess {
  public:
    // Copies Corvandale.exe and, unless told not to, ssrcdll.dll.
    explicit CorvandaleProcess(std::string programDirectory, bool withSsrcLibrary = true);
    CorvandaleProcess(AlreadyThere there, std::string programDirectory)
        : ProgramProcess(there, std::move(programDirectory), "Corvandale.exe", "MainWin") {}

    HWND fileList() const { return control(kFileList); }
    int rows() const;
    // The column with that header; -1 when it is not shown.
    int column(const std::string& header) const;
    std::string cell(int row, const std::string& header) const;
    std::vector<std::string> columnTexts(const std::string& header) const;

    // The open-file dialog opened by "&Add": types the text into its name
    // field and presses its Open button.
    bool typeInOpenDialog(const std::string& text) const;
    // Opens a folder there and waits until it lists the file.
    bool openFolderInOpenDialog(const std::string& folder, const std::string& fileInIt) const;
    // Drops the files on the window and waits until each is listed as "Wave PCM".
    bool listDropped(const std::vector<std::string>& paths) const;
    // "&Convert" sent, which returns once the run has ended and its dialog closed.
    bool convertAndWait(std::chrono::milliseconds limit = std::chrono::minutes(2)) const;
    bool waitForConversionEnd() const;
};

// Loads drop_helper.dll (beside this test program) into the window's process
// and waits until it has posted WM_DROPFILES with the paths, as the shell would.
bool dropFiles(HWND target, const std::vector<std::string>& paths);

// The settings file a program directory starts with: the defaults, writing
// into the output folder (beside the input when none is named), changed.
void writeSettings(const std::string& programDirectory, const std::string& outputFolder,
                   const std::function<void(corv::ConversionSettings&)>& change = {});

// corvandale-cli.exe run to its end with those (UTF-8) arguments: its exit
// code and what it wrote on stdout (kept in that folder).
std::pair<int, std::string> runCli(const std::string& arguments, const std::string& folder);
// One argument of a command line; a backslash before the closing quote is doubled.
std::string quoted(const std::string& text);

// count small WAVE files (100 frames, 8 kHz mono) "take 00000.wav"... in the folder.
std::vector<std::string> writeTakes(const std::string& folder, int count);

// A 16-bit PCM WAVE file holding a sine.
void writeSine(const std::string& path, int channels, uint32_t rate, double seconds,
               double amplitude = 0.5);

} // namespace e2e
