// The RIFF chunk walk and the WAVE analysis on real files and memory.
#include "analyser/analysis/wave_reader.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <vector>

namespace corv {
namespace {

using test::Bytes;
using test::chunk;
using test::chunkWithSize;
using test::riff;

Bytes filled(size_t size, uint8_t value) { return Bytes(size, value); }

// ---- findChunk ----

TEST(FindChunk, CopiesHeaderAndPayloadAndLeavesStreamBehindIt) {
    Bytes file = riff({chunk("LIST", filled(5, 0xAA)), chunk("fmt ", {1, 2, 3, 4}), chunk("data", {9, 9})});
    MemorySource source(file);
    std::vector<uint8_t> buffer(520, 0xEE);
    // RIFF(12) + LIST header and 5 bytes, no pad: "fmt " starts at 25.
    ASSERT_EQ(findChunk("fmt ", source, buffer.data(), buffer.size()), 12u);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 13),
              (std::vector<uint8_t>{'f', 'm', 't', ' ', 4, 0, 0, 0, 1, 2, 3, 4, 0xEE}));
    EXPECT_EQ(source.tell(), 25 + 12);
}

TEST(FindChunk, FailsAndRestoresPosition) {
    Bytes file = riff({chunk("fmt ", filled(200, 1)), chunk("data", {1, 2})});
    std::vector<uint8_t> buffer(520);
    {
        MemorySource source(file);
        source.seek(7);
        EXPECT_EQ(findChunk("cue ", source, buffer.data(), buffer.size()), 0u); // missing
        EXPECT_EQ(source.tell(), 7);
    }
    {
        MemorySource source(file);
        source.seek(3);
        EXPECT_EQ(findChunk("fmt ", source, buffer.data(), 207), 0u); // 208 would be needed
        EXPECT_EQ(source.tell(), 3);
        EXPECT_EQ(findChunk("fmt ", source, buffer.data(), 208), 208u);
    }
    {
        MemorySource source(file);
        EXPECT_EQ(findChunk("data", source, buffer.data(), 99), 0u); // too small a buffer
        EXPECT_EQ(findChunk("data", source, buffer.data(), 100), 10u);
    }
}

TEST(FindChunk, SizeNearFourGigabytesDoesNotWrapPastCapacity) {
    // 0xFFFFFFF8 + 8 is 0 in 32 bits; it must still count as far too large.
    Bytes file = riff({chunkWithSize("fmt ", 0xFFFFFFF8u, filled(16, 0))});
    MemorySource source(file);
    std::vector<uint8_t> buffer(520);
    EXPECT_EQ(findChunk("fmt ", source, buffer.data(), buffer.size()), 0u);
}

TEST(FindChunk, TruncatedPayloadFails) {
    Bytes file = riff({chunkWithSize("fmt ", 16, filled(10, 0))});
    MemorySource source(file);
    std::vector<uint8_t> buffer(520);
    EXPECT_EQ(findChunk("fmt ", source, buffer.data(), buffer.size()), 0u);
    EXPECT_EQ(source.tell(), 0);
}

TEST(FindChunk, NonPrintableIdBeforeTargetStopsTheWalk) {
    Bytes odd = chunk("ab\x01z", {1, 2});
    Bytes file = riff({odd, chunk("fmt ", filled(16, 0))});
    MemorySource source(file);
    std::vector<uint8_t> buffer(520);
    EXPECT_EQ(findChunk("fmt ", source, buffer.data(), buffer.size()), 0u);
    Bytes high = chunk("ab\x7Fz", {1, 2});
    Bytes file2 = riff({high, chunk("fmt ", filled(16, 0))});
    MemorySource source2(file2);
    EXPECT_EQ(findChunk("fmt ", source2, buffer.data(), buffer.size()), 0u);
    Bytes edge = chunk(" ~~ ", {1, 2}); // space and tilde are the printable bounds
    Bytes file3 = riff({edge, chunk("fmt ", filled(16, 0))});
    MemorySource source3(file3);
    EXPECT_EQ(findChunk("fmt ", source3, buffer.data(), buffer.size()), 24u);
}

TEST(FindChunk, OddDataChunkIsSkippedWithoutPad) {
    // findChunk never adds a pad byte, so a padded odd data chunk misaligns it.
    Bytes file = riff({chunk("data", {1, 2, 3}, true), chunk("fmt ", filled(16, 0))});
    MemorySource source(file);
    std::vector<uint8_t> buffer(520);
    EXPECT_EQ(findChunk("fmt ", source, buffer.data(), buffer.size()), 0u);
    Bytes unpadded = riff({chunk("data", {1, 2, 3}), chunk("fmt ", filled(16, 0))});
    MemorySource source2(unpadded);
    EXPECT_EQ(findChunk("fmt ", source2, buffer.data(), buffer.size()), 24u);
}

// ---- findDataChunk ----

TEST(FindDataChunk, StandsAtTheHeaderOfTheMatch) {
    Bytes file = riff({chunk("fmt ", filled(16, 0)), chunk("LIST", filled(3, 7)), chunk("data", {5, 6})});
    MemorySource source(file);
    ASSERT_TRUE(findDataChunk("data", source));
    // 12 + (8 + 16) + (8 + 3, no pad after the odd LIST) = 47.
    EXPECT_EQ(source.tell(), 47);
}

TEST(FindDataChunk, OddDataChunkBeforeTargetIsSkippedWithPad) {
    Bytes file = riff({chunk("data", {1, 2, 3}, true), chunk("cue ", {4, 4, 4, 4})});
    MemorySource source(file);
    ASSERT_TRUE(findDataChunk("cue ", source));
    EXPECT_EQ(source.tell(), 12 + 8 + 4); // 3 bytes and the pad
}

TEST(FindDataChunk, FailureRestoresPosition) {
    Bytes file = riff({chunk("fmt ", filled(16, 0)), chunk("ab\tc", {1, 2}), chunk("data", {5, 6})});
    MemorySource source(file);
    source.seek(5);
    EXPECT_FALSE(findDataChunk("data", source));
    EXPECT_EQ(source.tell(), 5);
    EXPECT_FALSE(findDataChunk("cue ", source));
    EXPECT_EQ(source.tell(), 5);
}

} // namespace
} // namespace corv
