#include "corvandale_app.h"

#include "remote_window.h"

#include <commctrl.h>

#include "analyser/engine/settings_file.h"
#include "protocol/fixed_text.h"
#include "wav_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace e2e {

CorvandaleProcess::CorvandaleProcess(std::string programDirectory, bool withSsrcLibrary)
    : ProgramProcess(std::move(programDirectory), "Corvandale.exe", "MainWin",
                     withSsrcLibrary ? std::vector<std::string>{"ssrcdll.dll"}
                                     : std::vector<std::string>{}) {}

int CorvandaleProcess::rows() const {
    return listRowCount(fileList());
}

int CorvandaleProcess::column(const std::string& header) const {
    const std::vector<std::string> titles = listColumnTitles(fileList());
    const auto at = std::find(titles.begin(), titles.end(), header);
    return at == titles.end() ? -1 : static_cast<int>(at - titles.begin());
}

std::string CorvandaleProcess::cell(int row, const std::string& header) const {
    const int at = column(header);
    return at < 0 ? "<no column " + header + ">" : listCellText(fileList(), row, at);
}

std::vector<std::string> CorvandaleProcess::columnTexts(const std::string& header) const {
    const int at = column(header);
    return at < 0 ? std::vector<std::string>(rows(), "<no column>")
                  : listColumnTexts(fileList(), at);
}

bool CorvandaleProcess::listDropped(const std::vector<std::string>& paths) const {
    return dropFiles(mainWindow(), paths) && waitFor([&] {
               return columnTexts("Type") == std::vector<std::string>(paths.size(), "Wave PCM");
           });
}

bool CorvandaleProcess::typeInOpenDialog(const std::string& text) const {
    HWND dialog = waitForDialog(processId(), "Open");
    if (!dialog) return false;
    // The name field is a combo box in some versions of the dialog, an edit box in others.
    HWND name = GetDlgItem(dialog, 0x47C);
    if (!name) name = GetDlgItem(dialog, 0x480);
    if (!name || !SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())))
        return false;
    pressButton(dialog, IDOK);
    return true;
}

bool CorvandaleProcess::openFolderInOpenDialog(const std::string& folder,
                                               const std::string& fileInIt) const {
    if (!typeInOpenDialog(folder)) return false;
    HWND dialog = findDialog(processId(), "Open");
    return waitFor([&] {
        HWND files = FindWindowExA(FindWindowExA(dialog, nullptr, "SHELLDLL_DefView", nullptr),
                                   nullptr, WC_LISTVIEWA, nullptr);
        for (int row = 0, n = files ? listRowCount(files) : 0; row < n; ++row)
            if (listCellText(files, row, 0) == fileInIt) return true;
        return false;
    });
}

bool CorvandaleProcess::waitForConversionEnd() const {
    return waitFor(
        [&] {
            return findDialog(processId(), "Conversion") == nullptr &&
                   IsWindowEnabled(control(kConvert)) && IsWindowEnabled(mainWindow());
        },
        120s);
}

bool CorvandaleProcess::convertAndWait(std::chrono::milliseconds limit) const {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(mainWindow(), WM_COMMAND, kConvert, 0, SMTO_NORMAL,
                               static_cast<UINT>(limit.count()), &ignored) &&
           waitForConversionEnd();
}

void writeSettings(const std::string& programDirectory, const std::string& outputFolder,
                   const std::function<void(corv::ConversionSettings&)>& change) {
    corv::AnalyserSettings settings = corv::defaultAnalyserSettings();
    if (!outputFolder.empty()) {
        settings.conversion.sameAsInput = 0;
        corv::setFieldText(settings.conversion.outputDirectory, outputFolder);
    }
    if (change) change(settings.conversion);
    corv::saveSettings(settings, programDirectory);
}

std::pair<int, std::string> runCli(const std::string& arguments, const std::string& folder) {
    // A file of its own per run: Wine's console helper of the previous run may still hold its file.
    static int runs = 0;
    const std::string output = folder + "cli-stdout-" + std::to_string(++runs) + ".txt";
    const int code = runToEnd(quoted(winePath(CORVANDALE_CLI_EXE)) + " " + arguments, output);
    return {code, readFile(output)};
}

std::string quoted(const std::string& text) {
    return "\"" + text + (text.back() == '\\' ? "\\\"" : "\"");
}

std::vector<std::string> writeTakes(const std::string& folder, int count) {
    const auto bytes =
        corv::test::wave({.channels = 1, .sampleRate = 8000}, corv::test::Bytes(200, 1));
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "take %05d.wav", i);
        corv::test::writeFile(paths.emplace_back(folder + name), bytes);
    }
    return paths;
}

void writeSine(const std::string& path, int channels, uint32_t rate, double seconds,
               double amplitude) {
    corv::test::Bytes samples;
    const int frames = static_cast<int>(seconds * rate);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            const double x =
                amplitude * std::sin(2 * 3.14159265358979 * (440.0 + 110 * c) * i / rate);
            corv::test::putU16(samples, static_cast<uint16_t>(static_cast<int16_t>(x * 32767)));
        }
    corv::test::writeFile(
        path, corv::test::wave({.channels = static_cast<uint16_t>(channels), .sampleRate = rate},
                               samples));
}

} // namespace e2e
