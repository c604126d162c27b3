#include "analyser/engine/win/ssrc_library.h"

#include "analyser/engine/entry_point_lookup.h"

#include <windows.h>

namespace corv {

SsrcLibrary loadSsrcLibrary(const std::string& path) {
    SsrcLibrary library;
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) return library;
    library.missing = findEntryPoints(library.api, [module](const char* name) {
        // Through void(*)() because any function pointer converts to it.
        return reinterpret_cast<void*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    });
    library.loaded = library.missing.empty();
    if (!library.loaded) {
        FreeLibrary(module);
        library.api = SsrcEntryPoints{};
    }
    return library;
}

} // namespace corv
