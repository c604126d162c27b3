// What the job runners read from outside programs: a console screen with its
// marker and separator, as each console encoder's reading reads it, the
// Surcode time display, and a WAVE file searched for its data chunk. Input: byte 0 the separator,
// byte 1 the marker length (and, in its top bit, the first-occurrence rule); the rest is the screen
// and, whole, the file.
#include "batcher/core/console_screen.h"
#include "batcher/core/data_chunk.h"
#include "batcher/core/progress_reading.h"
#include "batcher/encoders/window_encoders.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const char separator = static_cast<char>(data[0]);
    const bool first = (data[1] & 0x80) != 0;
    std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    size_t markerLength = std::min<size_t>(data[1] & 0x7f, rest.size());
    std::string_view marker = rest.substr(0, markerLength);
    std::string_view screen = rest.substr(markerLength);

    corv::progressNumber(screen, marker, separator, first);
    auto command = std::make_unique<corv::CommandLineRecord>();
    std::memcpy(command->progressMarker, marker.data(), marker.size());
    command->progressSeparator = separator;
    command->firstOccurrence = first ? 1 : 0;
    for (int32_t type = 1002; type <= 1009; ++type) {
        corv::ProgressReading reading(type, *command);
        reading.shows(screen);
        reading.percent(screen, static_cast<int>(size) - 80, 1);
    }
    std::string dump = corv::screenDump(screen);
    size_t rows = (screen.size() + corv::kConsoleColumns - 1) / corv::kConsoleColumns;
    if (dump.size() != 15 + 84 + rows * 85 + 85) std::abort();
    corv::elapsedMilliseconds(screen.substr(0, 11));

    corv::MemorySource file(data, size);
    if (!corv::findDataChunk(file) && file.tell() != 0) std::abort(); // restored on failure
    return 0;
}
