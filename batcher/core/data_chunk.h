#pragma once
// Finding the samples of a WAVE file the simple way the AC3 runner reads it:
// chunk by chunk from byte 12 until one called "data".
#include "platform/byte_source.h"

namespace corv {

// Leaves the source at the first byte of the data chunk's contents. Fails
// when a header cannot be read whole, when an identifier holds a character
// that is not printable, or when a skip fails; the position is then restored.
// A chunk is skipped by its size exactly, without a pad byte.
bool findDataChunk(ByteSource& source);

} // namespace corv
