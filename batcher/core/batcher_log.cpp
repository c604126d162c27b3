#include "batcher/core/batcher_log.h"

#include "platform/path.h"

#include <algorithm>

namespace corv {

BatcherLog::BatcherLog(LogKind kind, int32_t capacity) : kind_(kind), buffer_(capacity) {}

bool BatcherLog::start(const std::string& programDirectory) {
    {
        std::lock_guard lock(mutex_);
        const char* name = kind_ == LogKind::Job ? kJobLogFileName : kMessageLogFileName;
        file_.open(joinPath(programDirectory, name), FileStream::Mode::Write);
    }
    append(kLogStartLine);
    std::lock_guard lock(mutex_);
    return file_.isOpen();
}

void BatcherLog::closeFile() {
    std::lock_guard lock(mutex_);
    file_.close();
}

void BatcherLog::append(std::string_view text) {
    std::lock_guard lock(mutex_);
    buffer_.append(text);
    if (!file_.isOpen()) return;
    // Flushed per append so the file tells how far a run got even if the
    // program dies; a file that fails is closed and the log goes on in memory.
    if (file_.write(text.data(), text.size()) != text.size() || !file_.flush()) file_.close();
}

std::string BatcherLog::shownText() const {
    std::string text;
    bool dropped = false;
    {
        std::lock_guard lock(mutex_);
        text = buffer_.keptText();
        dropped = buffer_.hasWrapped();
    }
    if (kind_ == LogKind::Job && dropped) markOmittedPart(text);
    return text;
}

void AppendLog(BatcherLog& log, std::string_view text) {
    log.append(text);
}

void markOmittedPart(std::string& text) {
    size_t marked = std::min(text.size(), kOmittedLogMarker.size());
    text.replace(0, marked, kOmittedLogMarker.substr(0, marked));
    for (size_t i = marked; i < text.size() && text[i] != '\r'; ++i)
        text[i] = ' ';
}

} // namespace corv
