#include "batcher/core/unexpected_error.h"

#include "protocol/messages.h"

#include <string>

namespace corv {
namespace {

std::string describe(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const std::exception& known) {
        return known.what();
    } catch (...) {
    }
    return "unknown error";
}

} // namespace

int reportUnexpectedError(std::exception_ptr error, BatcherLog& messageLog, Notifier& notifier) {
    const std::string text = "Quillmere stopped after an unexpected error: " + describe(error);
    // The log first: it keeps the line even if the box cannot be shown.
    AppendLog(messageLog, text + "\r\n");
    notifier.warn(text, kBatcherWindowName);
    return kUnexpectedErrorExitCode;
}

} // namespace corv
