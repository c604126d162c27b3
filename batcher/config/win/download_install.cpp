#include "batcher/config/win/download_install.h"

#include "batcher/config/download_texts.h"
#include "batcher/win/system_error.h"
#include "platform/file_stream.h"
#include "platform/text_format.h"

#include <functional>

namespace corv {
namespace {

bool isSet(HANDLE event) {
    return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

bool checksumHolds(const std::string& path, const DownloadRequest& request, bool programList) {
    FileStream file;
    if (!file.open(path, FileStream::Mode::Read)) return false;
    char stored[kChecksumLength] = {};
    if (programList && file.read(stored, sizeof stored) != sizeof stored) return false;
    std::string computed = downloadChecksum(file, programList ? kChecksumLength : 0);
    return checksumMatches(computed, programList ? std::string_view(stored, sizeof stored)
                                                 : fieldText(request.expectedMd5));
}

// Every file of a folder (ending in a backslash) matching the pattern.
void forEachFile(const std::string& folder, const char* pattern,
                 const std::function<void(const std::string& name)>& visit) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) visit(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

constexpr const char* kInstalledPatterns[] = {"*.exe", "*.dll"};

// Unpacks the archive into downloads\unpack\ and moves its programs and
// libraries into bin\, replacing what is there; the reason when it failed.
std::optional<std::string> install(const std::string& archive, const std::string& directory,
                                   HANDLE cancel) {
    const std::string unpack = directory + "downloads\\unpack\\";
    CreateDirectoryA(unpack.c_str(), nullptr);
    // Programs left there by an unpack that failed are neither installed nor
    // found by a Find; and what an earlier one left is not this archive's.
    auto clearUnpacked = [&] {
        for (const char* pattern : kInstalledPatterns)
            forEachFile(unpack, pattern,
                        [&](const std::string& name) { DeleteFileA((unpack + name).c_str()); });
    };
    clearUnpacked();

    ProcessOutcome unzip = RunProcessBounded(
        formatText("\"%sunzipper\\unzip.exe\"  -o -j -d \"%sdownloads\\unpack\"  \"%s\" ",
                   directory.c_str(), directory.c_str(), archive.c_str()),
        kUnpackTimeoutMs, cancel);
    if (unzip.end == ProcessEnd::NotStarted) return std::string(kUnpackerMissingMessage);
    if (unzip.end != ProcessEnd::Exited || unzip.exitCode != 0) {
        clearUnpacked();
        if (unzip.end == ProcessEnd::Cancelled) return std::nullopt;
        return unzip.end == ProcessEnd::TimedOut
                   ? formatText(kUnpackTooLongMessage, kUnpackTimeoutMs / 1000)
                   : formatText(kUnpackFailedMessage, unzip.exitCode);
    }

    const std::string bin = directory + "bin\\";
    CreateDirectoryA(bin.c_str(), nullptr);
    std::optional<std::string> failure;
    for (const char* pattern : kInstalledPatterns)
        forEachFile(unpack, pattern, [&](const std::string& name) {
            if (!MoveFileExA((unpack + name).c_str(), (bin + name).c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) &&
                !failure)
                failure = formatText(kInstallFailedMessage, name.c_str(),
                                     SystemErrorText(GetLastError()).c_str());
        });
    return failure;
}

} // namespace

ProcessOutcome RunProcessBounded(std::string commandLine, DWORD timeoutMs, HANDLE cancel) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS | CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &info))
        return {ProcessEnd::NotStarted};
    CloseHandle(info.hThread);
    HANDLE waits[] = {info.hProcess, cancel};
    DWORD result = WaitForMultipleObjects(cancel ? 2 : 1, waits, FALSE, timeoutMs);
    ProcessOutcome outcome{ProcessEnd::Exited};
    if (result == WAIT_OBJECT_0) {
        GetExitCodeProcess(info.hProcess, &outcome.exitCode);
    } else {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 10000);
        outcome.end = result == WAIT_OBJECT_0 + 1 ? ProcessEnd::Cancelled : ProcessEnd::TimedOut;
    }
    CloseHandle(info.hProcess);
    return outcome;
}

std::vector<std::string> DownloadAndInstall(DownloadRequest& request,
                                            const std::string& programDirectory,
                                            DownloadObserver& observer, HANDLE cancel) {
    const bool programList = isProgramListRequest(request);
    std::vector<std::string> messages;
    if (!DownloadFile(request, programDirectory, observer, cancel)) {
        if (!programList && !isSet(cancel)) messages.emplace_back(kDownloadFailedMessage);
        return messages;
    }
    const std::string local(fieldText(request.localFile));
    if (!checksumHolds(local, request, programList)) {
        DeleteFileA(local.c_str());
        request.localFile[0] = '\0';
        if (!programList) messages.emplace_back(kBadChecksumMessage);
        return messages;
    }
    if (programList) return messages;
    messages.emplace_back(kDownloadedMessage);
    if (std::optional<std::string> failure = install(local, programDirectory, cancel))
        messages.push_back(*failure);
    return messages;
}

} // namespace corv
