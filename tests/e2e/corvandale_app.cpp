#include "corvandale_app.h"

#include "remote_window.h"

#include <commctrl.h>

#include "analyser/engine/settings_file.h"
#include "wav_builder.h"

#include <cmath>

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
    for (size_t i = 0; i < titles.size(); ++i)
        if (titles[i] == header) return static_cast<int>(i);
    return -1;
}

std::string CorvandaleProcess::cell(int row, const std::string& header) const {
    const int at = column(header);
    return at < 0 ? "<no column " + header + ">" : listCellText(fileList(), row, at);
}

std::vector<std::string> CorvandaleProcess::columnTexts(const std::string& header) const {
    const int at = column(header);
    std::vector<std::string> texts;
    for (int row = 0, n = rows(); row < n; ++row)
        texts.push_back(at < 0 ? "<no column>" : listCellText(fileList(), row, at));
    return texts;
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

bool CorvandaleProcess::convertAndWait() const {
    post(kConvert);
    waitFor([&] { return !IsWindowEnabled(control(kConvert)); }, 5s);
    return waitForConversionEnd();
}

void writeSettings(const std::string& programDirectory,
                   const std::function<void(corv::ConversionSettings&)>& change) {
    corv::AnalyserSettings settings = corv::defaultAnalyserSettings();
    change(settings.conversion);
    corv::saveSettings(settings, programDirectory);
}

void writeSine(const std::string& path, int channels, uint32_t rate, double seconds,
               double amplitude) {
    corv::test::FormatFields format;
    format.channels = static_cast<uint16_t>(channels);
    format.sampleRate = rate;
    corv::test::Bytes samples;
    const int frames = static_cast<int>(seconds * rate);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            const double x =
                amplitude * std::sin(2 * 3.14159265358979 * (440.0 + 110 * c) * i / rate);
            corv::test::putU16(samples, static_cast<uint16_t>(static_cast<int16_t>(x * 32767)));
        }
    corv::test::writeFile(path, corv::test::wave(format, samples));
}

} // namespace e2e
