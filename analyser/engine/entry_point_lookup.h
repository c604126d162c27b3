#pragma once
// Fills the table of the nine entry points by name from a loaded library
// (GetProcAddress, dlsym): all of them or, with the missing names, none usable.
#include "ssrc/ssrcdll.h"

#include <string>
#include <type_traits>

namespace corv {

// `lookup(name)` returns the symbol's address or null. Returns the names that
// were not found, separated by ", "; empty when the table is complete.
template <typename Lookup> std::string findEntryPoints(SsrcEntryPoints& api, Lookup lookup) {
    std::string missing;
    auto find = [&](const char* name, auto& function) {
        void* address = lookup(name);
        if (address == nullptr) missing += std::string(missing.empty() ? "" : ", ") + name;
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(address);
    };
    find("_UpsampleInit", api.upsampleInit);
    find("_UpsampleProcess", api.upsampleProcess);
    find("_UpsampleExit", api.upsampleExit);
    find("_DownsampleInit", api.downsampleInit);
    find("_DownsampleProcess", api.downsampleProcess);
    find("_DownsampleExit", api.downsampleExit);
    find("_DitherInit", api.ditherInit);
    find("_DitherProcess", api.ditherProcess);
    find("_DitherExit", api.ditherExit);
    return missing;
}

} // namespace corv
