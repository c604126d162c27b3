#pragma once
// The real Corvandale.exe as a user meets it, for the end-to-end tests, the
// measurements and the screenshots: a process of its own in a program
// directory of its own, driven through its windows.
#include "program_process.h"

#include "analyser/engine/conversion_settings.h"

#include <cstdint>
#include <functional>
#include <string>
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
    // "&Convert" pressed and the run awaited: the dialog is gone, the button back.
    bool convertAndWait() const;
    bool waitForConversionEnd() const;
};

// The settings file a program directory starts with: the defaults, changed.
void writeSettings(const std::string& programDirectory,
                   const std::function<void(corv::ConversionSettings&)>& change);

// A 16-bit PCM WAVE file holding a sine.
void writeSine(const std::string& path, int channels, uint32_t rate, double seconds,
               double amplitude = 0.5);

} // namespace e2e
