#include "analyser/ui/list_additions.h"

#include "platform/path.h"
#include "platform/text_format.h"

#include <algorithm>

namespace corv {

std::vector<std::string_view> zeroTerminatedTexts(std::string_view list) {
    std::vector<std::string_view> texts;
    for (size_t at = 0; at < list.size();) {
        const size_t end = std::min(list.find('\0', at), list.size());
        if (end == at) break; // the empty text that ends the list
        texts.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return texts;
}

std::vector<std::string> pathsOfOpenAnswer(std::string_view answer, bool firstIsFile) {
    const std::vector<std::string_view> texts = zeroTerminatedTexts(answer);
    std::vector<std::string> paths;
    if (texts.empty()) return paths;
    if (firstIsFile) return {std::string(texts.front())};
    std::string folder(texts.front());
    if (folder.back() != kPathSeparator) folder += kPathSeparator;
    for (size_t i = 1; i < texts.size(); ++i)
        paths.push_back(joinPath(folder, texts[i]));
    return paths;
}

AddVerdict prepareListEntry(std::string_view path, const std::unordered_set<std::string>& listed,
                            AudioFileRecord& record) {
    if (path.size() > kLongestListPath) return AddVerdict::TooLong;
    if (listed.count(std::string(path)) != 0) return AddVerdict::Skip;
    return initAudioFileRecord(record, path) ? AddVerdict::Add : AddVerdict::Skip;
}

std::string tooLongMessage(const std::vector<std::string>& refused) {
    std::string text =
        formatText("%u file(s) not added: a path may be at most %u characters long.\n%s",
                   static_cast<unsigned>(refused.size()), static_cast<unsigned>(kLongestListPath),
                   refused.front().c_str());
    if (refused.size() > 1)
        appendPrintf(text, "\n(and %u more)", static_cast<unsigned>(refused.size() - 1));
    return text;
}

} // namespace corv
