#include "batcher/config/win/download_install.h"

#include "batcher/config/download_texts.h"
#include "batcher/win/process_tree.h"
#include "batcher/win/system_error.h"
#include "platform/file_stream.h"
#include "platform/text_format.h"

#include <algorithm>
#include <functional>

namespace corv {
namespace {

bool checksumHolds(const std::string& path, const DownloadRequest& request) {
    FileStream file;
    return file.open(path, FileStream::Mode::Read) && downloadChecksumHolds(file, request);
}

// Fetches the signature beside a downloaded list the same way and keeps the
// list only when the policy lets it be used; its refusal otherwise.
std::optional<std::string_view> keepListWhenTrusted(DownloadRequest& list,
                                                    const std::string& programDirectory,
                                                    const ListPolicy& policy,
                                                    const DownloadRules& rules,
                                                    DownloadObserver& observer, HANDLE cancel) {
    const std::string local(fieldText(list.localFile));
    const std::string signaturePath = local + kSignatureSuffix;
    DeleteFileA(signaturePath.c_str()); // an earlier list's is not this one's
    DownloadRequest signature = list;
    if (setFieldText(signature.urlPath, std::string(fieldText(list.urlPath)) + kSignatureSuffix))
        DownloadFile(signature, programDirectory, rules, observer, cancel); // none is "unsigned"
    std::optional<ListFile> file = readListFile(local, policy.keys);
    std::optional<std::string_view> refusal =
        file ? listRefusal(file->signature, policy.refuseUnsigned) : std::nullopt;
    if (!file || refusal || isSet(cancel)) {
        DeleteFileA(local.c_str());
        DeleteFileA(signaturePath.c_str());
        list.localFile[0] = '\0';
    }
    return refusal;
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
    ProcessTree program; // ended with all it started, however this ends
    if (!program.start(nullptr, std::move(commandLine), nullptr,
                       NORMAL_PRIORITY_CLASS | CREATE_NO_WINDOW, startup))
        return {ProcessEnd::NotStarted};
    HANDLE waits[] = {program.process(), cancel};
    DWORD result = WaitForMultipleObjects(cancel ? 2 : 1, waits, FALSE, timeoutMs);
    ProcessOutcome outcome{ProcessEnd::Exited};
    if (result == WAIT_OBJECT_0)
        outcome.exitCode = program.exitCode().value_or(1);
    else
        outcome.end = result == WAIT_OBJECT_0 + 1 ? ProcessEnd::Cancelled : ProcessEnd::TimedOut;
    program.end(1);
    return outcome;
}

void DownloadAndInstall(DownloadRequest& request, const std::string& programDirectory,
                        const ListPolicy& policy, int64_t ceiling, DownloadObserver& observer,
                        HANDLE cancel) {
    const bool programList = isProgramListRequest(request);
    const DownloadRules rules{plainHttpAllowed(request, policy.refuseUnsigned),
                              plainHttpNote(request, policy.refuseUnsigned),
                              programList ? std::min(ceiling, kListSizeLimit) : ceiling};
    if (!DownloadFile(request, programDirectory, rules, observer, cancel)) {
        if (!programList) observer.tell(kDownloadFailedMessage);
        return;
    }
    const std::string local(fieldText(request.localFile));
    if (!checksumHolds(local, request)) {
        DeleteFileA(local.c_str());
        request.localFile[0] = '\0';
        if (!programList) observer.tell(kBadChecksumMessage);
        return;
    }
    if (programList) {
        std::optional<std::string_view> refusal =
            keepListWhenTrusted(request, programDirectory, policy, rules, observer, cancel);
        if (refusal) observer.tell(*refusal);
        return;
    }
    if (!observer.tell(kDownloadedMessage)) return; // it is unpacked once the user has read that
    if (std::optional<std::string> failure = install(local, programDirectory, cancel))
        observer.tell(*failure);
}

} // namespace corv
