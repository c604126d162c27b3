#include "program_process.h"

#include "remote_window.h"

#include "batcher/config/batcher_settings.h"

#include <tlhelp32.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>

namespace e2e {

namespace {

std::string freshFolder(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder).parent_path(), ignored);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

} // namespace

ScratchFolder::ScratchFolder(const std::string& label) {
    static int counter = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = freshFolder(temp + ("qm-" + label) + '-' + std::to_string(GetCurrentProcessId()) + '-' +
                        std::to_string(++counter) + "\\");
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path_).parent_path(), ignored);
}

std::string ownDirectory() {
    char self[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, length);
    return path.substr(0, path.rfind('\\') + 1);
}

std::string freshFolderBesideTest(const std::string& name) {
    return freshFolder(ownDirectory() + name + "\\");
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

std::string makeFile(const std::string& folder, const std::string& relative) {
    const std::string path = folder + relative;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeFile(path, "MZ");
    return path;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool fileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::set<std::string> filesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) names.insert(entry.path().filename().string());
    return names;
}

namespace {

template <typename Visit> void forEachProcess(const std::string& exeName, Visit visit) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 entry{sizeof entry};
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, exeName.c_str()) == 0) visit(entry.th32ProcessID);
    CloseHandle(snapshot);
}

} // namespace

HANDLE startProcess(std::string commandLine, const std::string& directory) {
    STARTUPINFOA startup{sizeof startup};
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info))
        return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

void endProcess(HANDLE process, UINT exitCode) {
    if (!process) return;
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process, exitCode);
        WaitForSingleObject(process, 10000);
    }
    CloseHandle(process);
}

std::wstring widen(const std::string& utf8) {
    std::wstring out(
        static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), static_cast<int>(out.size()));
    out.pop_back();
    return out;
}

int runToEnd(const std::string& commandLine, const std::string& outputFile, DWORD limitMs) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = outputFile.empty()
                     ? nullptr
                     : CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return -1; // never read an earlier run's output as this one's
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = out ? STARTF_USESTDHANDLES : 0;
    startup.hStdOutput = out;
    PROCESS_INFORMATION process{};
    std::wstring line = widen(commandLine);
    DWORD code = static_cast<DWORD>(-1);
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, out != nullptr,
                       out ? CREATE_NO_WINDOW : 0, nullptr, nullptr, &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, limitMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        endProcess(process.hProcess);
    }
    if (out) CloseHandle(out);
    return static_cast<int>(code);
}

std::string winePath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

int countProcesses(const std::string& exeName) {
    int count = 0;
    forEachProcess(exeName, [&](DWORD) { ++count; });
    return count;
}

void killProcesses(const std::string& exeName, UINT exitCode) {
    forEachProcess(exeName, [&](DWORD id) {
        endProcess(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id), exitCode);
    });
}

void writeBatcherSettings(const std::string& folder, const std::map<int, std::string>& programs,
                          int jobsAtOnce) {
    corv::BatcherSettings settings = corv::defaultBatcherSettings();
    settings.jobsAtOnce = static_cast<uint8_t>(jobsAtOnce);
    for (const auto& [index, path] : programs)
        corv::setFieldText(settings.programPath[index], path);
    writeFile(folder + "settingsQuillmere.ini",
              std::string(reinterpret_cast<const char*>(&settings), sizeof settings));
}

std::vector<int> loggedPercentages(const std::string& log) {
    size_t from = log.find("Progress:");
    std::string line = log.substr(from, log.find("\r\n", from) - from);
    std::vector<int> found;
    std::regex percent(R"( (-?\d+)%)");
    for (std::sregex_iterator it(line.begin(), line.end(), percent), end; it != end; ++it)
        found.push_back(std::stoi((*it)[1]));
    return found;
}

bool risingTo100(const std::vector<int>& seen) {
    return seen.size() >= 2 && seen.back() == 100 &&
           std::adjacent_find(seen.begin(), seen.end(), std::greater_equal<>()) == seen.end();
}

ProgramProcess::ProgramProcess(std::string programDirectory, std::string exeName,
                               std::string windowClass, const std::vector<std::string>& companions)
    : directory_(std::move(programDirectory)), exeName_(std::move(exeName)),
      windowClass_(std::move(windowClass)) {
    CopyFileA((ownDirectory() + exeName_).c_str(), (directory_ + exeName_).c_str(), FALSE);
    for (const std::string& name : companions)
        CopyFileA((ownDirectory() + name).c_str(), (directory_ + name).c_str(), FALSE);
}

ProgramProcess::~ProgramProcess() {
    kill();
}

bool ProgramProcess::startOnly() {
    kill();
    mainWindow_ = nullptr;
    process_ = startProcess("\"" + directory_ + exeName_ + "\"", directory_);
    processId_ = process_ ? GetProcessId(process_) : 0;
    return process_ != nullptr;
}

bool ProgramProcess::start() {
    if (!startOnly()) return false;
    waitFor([&] { return (mainWindow_ = findWindow(processId_, windowClass_)) != nullptr; });
    return mainWindow_ != nullptr;
}

int ProgramProcess::waitForExit() {
    HANDLE process = process_;
    DWORD code = 0;
    if (!process || !waitFor([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }))
        return -1;
    GetExitCodeProcess(process, &code);
    kill();
    return static_cast<int>(code);
}

void ProgramProcess::kill() {
    endProcess(process_);
    process_ = nullptr;
    mainWindow_ = nullptr;
}

void ProgramProcess::click(int id) const {
    SendMessageA(control(id), BM_CLICK, 0, 0);
}

void ProgramProcess::post(int commandId) const {
    PostMessageA(mainWindow_, WM_COMMAND, static_cast<WPARAM>(commandId), 0);
}

HWND ProgramProcess::openDialog(int buttonId, const std::string& title) const {
    PostMessageA(control(buttonId), BM_CLICK, 0, 0); // posted: the dialog holds the sender
    return waitForDialog(processId_, title);
}

std::string ProgramProcess::answerBox(int button) const {
    return answerMessageBox(processId_, windowClass_ == "Quillmere" ? "Quillmere" : "Attention",
                            button);
}

HWND QuillmereProcess::progressDialog() const {
    return findDialog(processId(), "Conversion");
}

bool QuillmereProcess::run() const {
    PostMessageA(control(5020), BM_CLICK, 0, 0);
    return waitFor([&] { return progressDialog() != nullptr; });
}

bool QuillmereProcess::waitForRunEnd(std::chrono::seconds limit) const {
    return waitFor([&] { return progressDialog() == nullptr; }, limit);
}

} // namespace e2e
