#include "batcher/win/ac3_library_job.h"

#include "batcher/core/ac3_job.h"
#include "protocol/job_types.h"

#include <windows.h>

namespace corv {
namespace {

constexpr int kAc3ProgramIndex = static_cast<int>(JobType::Ac3Library) - kFirstJobType;

// GetProcAddress gives a generic function pointer; each entry point gets its own type.
template <typename Function> bool resolve(HMODULE module, const char* name, Function& function) {
    FARPROC found = GetProcAddress(module, name);
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
    return found != nullptr;
}

} // namespace

void RunAc3LibraryJob(BatcherState& state, RunObserver& observer, const JobRecord& job) {
    std::string path(fieldText(state.settings.programPath[kAc3ProgramIndex]));
    HMODULE module = LoadLibraryA(path.c_str());
    Ac3Library library{};
    bool whole = module && resolve(module, kAc3FunctionNames[0], library.version) &&
                 resolve(module, kAc3FunctionNames[1], library.init) &&
                 resolve(module, kAc3FunctionNames[2], library.encodeFrame) &&
                 resolve(module, kAc3FunctionNames[3], library.close);
    RunShared shared{state.abort, state.progressTotal, state.jobLog};
    RunAc3Job(job, path, whole ? &library : nullptr, shared, observer);
    if (module) FreeLibrary(module);
}

} // namespace corv
