#pragma once
// The real programs, copied into a program directory of their own for each
// test (their settings and logs live there), started as processes.
#include <windows.h>

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// A fresh empty folder under the temp folder, removed with the object.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& label);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; } // with a trailing backslash

  private:
    std::string path_;
};

// The directory of this test program, with a trailing backslash.
std::string ownDirectory();
// An empty folder of that name beside this test program (emptied when it
// exists, so that what a test leaves there outlives it); with a trailing backslash.
std::string freshFolderBesideTest(const std::string& name);
bool writeFile(const std::string& path, const std::string& bytes);
// A stand-in program file ("MZ") at the path below the folder, its folders made; its path.
std::string makeFile(const std::string& folder, const std::string& relative);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
// How often the part stands in the text.
size_t countOf(const std::string& text, const std::string& part);
// The names of the plain files in a folder.
std::set<std::string> filesIn(const std::string& folder);

// Starts a command line (in that folder when one is given); the process
// handle, or null when it did not start.
HANDLE startProcess(std::string commandLine, const std::string& directory = "");
// Ends the process unless it has ended, and closes the handle.
void endProcess(HANDLE process, UINT exitCode = 99);
// Runs a UTF-8 command line to its end (its standard output into that file
// when one is named); its exit code, or -1 when it did not start or end in time.
int runToEnd(const std::string& commandLine, const std::string& outputFile = "",
             DWORD limitMs = 120000);
std::wstring widen(const std::string& utf8);
// A Linux path as Wine shows it on drive Z:.
std::string winePath(std::string path);

// Processes now running from an executable of that file name ("x.exe");
// killProcesses ends them with the given exit code.
int countProcesses(const std::string& exeName);
void killProcesses(const std::string& exeName, UINT exitCode);

// settingsQuillmere.ini with these program paths by index; every other
// program keeps "C:\" (not usable). One job at a time unless told otherwise.
void writeBatcherSettings(const std::string& folder, const std::map<int, std::string>& programs,
                          int jobsAtOnce = 1);

// The percentages on the first "Progress:" line of a job log text, in order.
std::vector<int> loggedPercentages(const std::string& log);
// At least two percentages, each above the one before, the last 100.
bool risingTo100(const std::vector<int>& seen);

// Starts a program where it already is (installed or unpacked), copying nothing.
struct AlreadyThere {};

class ProgramProcess {
  public:
    // Copies the program and its companion files (all beside this test
    // program) into the directory; its main window has the given class.
    ProgramProcess(std::string programDirectory, std::string exeName, std::string windowClass,
                   const std::vector<std::string>& companions = {});
    ProgramProcess(AlreadyThere, std::string programDirectory, std::string exeName,
                   std::string windowClass)
        : directory_(std::move(programDirectory)), exeName_(std::move(exeName)),
          windowClass_(std::move(windowClass)) {}
    ~ProgramProcess(); // ends a program still running
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // Starts it and waits for its main window (false when none appears).
    bool start();
    // Starts it when another instance is expected to turn it away: no waiting for a window.
    bool startOnly();
    // Waits for the process to end; its exit code, or -1 when it did not end.
    int waitForExit();
    void kill();

    DWORD processId() const { return processId_; }
    HANDLE process() const { return process_; }
    HWND mainWindow() const { return mainWindow_; }
    HWND control(int id) const { return GetDlgItem(mainWindow_, id); }
    const std::string& directory() const { return directory_; }
    std::string file(const char* name) const { return readFile(directory_ + name); }

    // A click on a button or check box of the main window, as the user makes it.
    void click(int id) const;
    // The same without waiting for what the click opens (a modal dialog).
    void post(int commandId) const;
    // Clicks a button that opens a modal dialog and returns that dialog once
    // it is up (null when none with the title comes).
    HWND openDialog(int buttonId, const std::string& title) const;
    // Answers the program's next message box ("Attention" in Corvandale, "Quillmere" in
    // Quillmere) as answerMessageBox does: its text.
    std::string answerBox(int button = IDOK) const;

  private:
    std::string directory_;
    std::string exeName_;
    std::string windowClass_;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND mainWindow_ = nullptr;
};

class QuillmereProcess : public ProgramProcess {
  public:
    explicit QuillmereProcess(std::string programDirectory)
        : ProgramProcess(std::move(programDirectory), "Quillmere.exe", "Quillmere") {}
    QuillmereProcess(AlreadyThere there, std::string programDirectory)
        : ProgramProcess(there, std::move(programDirectory), "Quillmere.exe", "Quillmere") {}
    HWND jobList() const { return control(5005); }
    HWND progressDialog() const;
    // Presses Run and waits for the progress dialog; then for its end.
    bool run() const;
    bool waitForRunEnd(std::chrono::seconds limit = std::chrono::seconds(60)) const;
};

} // namespace e2e
