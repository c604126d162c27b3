#include "batcher/win/process_tree.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace corv {
namespace {

constexpr DWORD kTreeEndMs = 10000;

// The trees that run now, for ProcessTree::endAll.
std::mutex treesLock;
std::vector<ProcessTree*>& runningTrees() {
    static std::vector<ProcessTree*> trees;
    return trees;
}

// A job that ends its processes when its last handle goes, with a port that
// reports when none is left; null (and no port) when the system refuses.
HANDLE makeJob(HANDLE& news) {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    news = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT port{job, news};
    if (job && news &&
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) &&
        SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation, &port,
                                sizeof port))
        return job;
    for (HANDLE handle : {job, news})
        if (handle) CloseHandle(handle);
    news = nullptr;
    return nullptr;
}

} // namespace

bool ProcessTree::start(const char* program, std::string commandLine, const char* directory,
                        DWORD priorityClass, const STARTUPINFOA& startup) {
    end(0);
    STARTUPINFOA info = startup;
    PROCESS_INFORMATION started{};
    // Suspended until it is in its job, so that nothing it starts escapes.
    auto create = [&](DWORD flags) {
        return CreateProcessA(program, commandLine.empty() ? nullptr : commandLine.data(), nullptr,
                              nullptr, FALSE, priorityClass | CREATE_SUSPENDED | flags, nullptr,
                              directory, &info, &started) != 0;
    };
    // Out of a job Quillmere itself may run in, where that job allows it.
    if (!create(CREATE_BREAKAWAY_FROM_JOB) && (GetLastError() != ERROR_ACCESS_DENIED || !create(0)))
        return false;
    info_ = started;
    job_ = makeJob(news_);
    if (job_ && !AssignProcessToJobObject(job_, info_.hProcess)) {
        CloseHandle(job_);
        CloseHandle(news_);
        job_ = news_ = nullptr;
    }
    {
        std::lock_guard<std::mutex> lock(treesLock);
        runningTrees().push_back(this);
    }
    ResumeThread(info_.hThread);
    return true;
}

bool ProcessTree::hasEnded(DWORD waitMs) const {
    return !info_.hProcess || WaitForSingleObject(info_.hProcess, waitMs) != WAIT_TIMEOUT;
}

std::optional<DWORD> ProcessTree::exitCode() const {
    DWORD code = 0;
    if (!hasEnded() || !GetExitCodeProcess(info_.hProcess, &code)) return std::nullopt;
    return code;
}

void ProcessTree::terminate(UINT exitCode) {
    if (job_)
        TerminateJobObject(job_, exitCode);
    else if (!hasEnded())
        TerminateProcess(info_.hProcess, exitCode);
}

void ProcessTree::end(UINT exitCode) {
    if (!info_.hProcess) return;
    {
        std::lock_guard<std::mutex> lock(treesLock);
        terminate(exitCode);
        auto& trees = runningTrees();
        trees.erase(std::remove(trees.begin(), trees.end(), this), trees.end());
    }
    waitUntilGone();
    for (HANDLE handle : {info_.hThread, info_.hProcess, job_, news_})
        if (handle) CloseHandle(handle);
    info_ = PROCESS_INFORMATION{};
    job_ = news_ = nullptr;
}

void ProcessTree::waitUntilGone() const {
    const ULONGLONG deadline = GetTickCount64() + kTreeEndMs;
    auto left = [&] {
        ULONGLONG now = GetTickCount64();
        return now >= deadline ? DWORD{0} : static_cast<DWORD>(deadline - now);
    };
    DWORD news = 0;
    ULONG_PTR key = 0;
    OVERLAPPED* overlapped = nullptr;
    while (news_ && news != JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO &&
           GetQueuedCompletionStatus(news_, &news, &key, &overlapped, left())) {
    }
    WaitForSingleObject(info_.hProcess, left());
}

void ProcessTree::endAll() {
    std::lock_guard<std::mutex> lock(treesLock);
    for (ProcessTree* tree : runningTrees())
        tree->terminate(1);
}

} // namespace corv
