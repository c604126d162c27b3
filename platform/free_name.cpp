#include "platform/free_name.h"

namespace corv {

std::string numberedName(std::string_view stem, int number, std::string_view extension) {
    std::string path(stem);
    path += '(';
    path += std::to_string(number);
    path += ')';
    path += extension;
    return path;
}

FreeName firstFreeName(std::string_view stem, std::string_view extension, size_t pathLimit,
                       const std::function<NameState(const std::string& path)>& stateOf) {
    using Outcome = FreeName::Outcome;
    std::string candidate = std::string(stem) + std::string(extension);
    for (int number = 1;; ++number) {
        if (candidate.size() >= pathLimit) return {Outcome::TooLong, std::move(candidate)};
        const NameState state = stateOf(candidate);
        if (state == NameState::Free) return {Outcome::Found, std::move(candidate)};
        if (state == NameState::Undecided) return {Outcome::Undecided, std::move(candidate)};
        if (number > kMaxNameNumber) return {Outcome::NoneFree, {}};
        candidate = numberedName(stem, number, extension);
    }
}

} // namespace corv
