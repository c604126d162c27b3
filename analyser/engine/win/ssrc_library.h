#pragma once
// ssrcdll.dll, loaded once from the program's folder for the whole process.
#include "ssrc/ssrcdll.h"

#include <string>

namespace corv {

struct SsrcLibrary {
    SsrcEntryPoints api{};
    std::string missing; // names not exported; empty when loaded whole
    bool loaded = false;
};

// Loads the library at path and resolves all nine entry points; a library
// that lacks any of them is released again and loaded stays false.
SsrcLibrary loadSsrcLibrary(const std::string& path);

} // namespace corv
