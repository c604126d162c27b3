// Blocks that skip the general chain's working buffer must give its bytes and
// its peak: every pair of sample types, undithered and dithered, at a gain,
// clipped and through channel moves, over odd frame counts and across blocks.
#include "conversion_harness.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>

namespace corv {
namespace {

using test::Bytes;
using test::Conversion;

constexpr SampleType kTypes[] = {SampleType::Int8,    SampleType::Int16,     SampleType::Int24,
                                 SampleType::Int32,   SampleType::FloatIeee, SampleType::FloatPcm,
                                 SampleType::FloatCe, SampleType::Double};

// Extremes and rounding edges first, then pseudo-random values (floats up to
// 1.25 of full scale).
Bytes samplesOf(SampleType type, size_t count) {
    const size_t bytes = bytesPerSampleOf(type);
    const int64_t top = int64_t{1} << (8 * std::min<size_t>(bytes, 4) - 1); // of integer types
    const int64_t ints[] = {-top, top - 1, 0, 1, -1, top / 2, -top / 2, top / 2 + 1, -top / 2 - 1};
    const double floats[] = {0.0,         -0.0,
                             1.0,         -1.0,
                             1.5,         -1.0078740157480315,
                             0.5 / 32767, -1e30,
                             1e20,        std::numeric_limits<double>::quiet_NaN(),
                             1e-40,       3e38};
    uint32_t seed = 2024;
    Bytes out;
    for (size_t i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double random = static_cast<int32_t>(seed) / 2147483648.0;
        uint64_t bits;
        if (isIntegerType(type)) {
            const int64_t v = i < std::size(ints) ? ints[i] : static_cast<int64_t>(random * top);
            bits = static_cast<uint64_t>(v + (type == SampleType::Int8 ? 128 : 0));
        } else {
            double w = i < std::size(floats) ? floats[i] : random * 1.25;
            if (type == SampleType::FloatCe && w != w) w = 2.0; // it is told from int32 by no NaN
            const double scale = type == SampleType::FloatPcm  ? 8388608.0
                                 : type == SampleType::FloatCe ? 32768.0
                                                               : 1.0;
            bits = type == SampleType::Double ? std::bit_cast<uint64_t>(w)
                                              : std::bit_cast<uint32_t>(float(w * scale));
        }
        for (size_t k = 0; k < bytes; ++k)
            out.push_back(static_cast<uint8_t>(bits >> (8 * k)));
    }
    return out;
}

std::string writeSamples(const test::TempDir& temp, SampleType type, uint16_t channels,
                         size_t frames) {
    test::FormatFields f;
    const bool ieee = type == SampleType::FloatIeee || type == SampleType::Double;
    f.tag = ieee ? 3 : 1;
    f.channels = channels;
    f.containerBytes = static_cast<uint16_t>(bytesPerSampleOf(type));
    f.bitsPerSample = type == SampleType::FloatPcm ? 24 : 8 * f.containerBytes;
    const std::string path = temp.file("in" + std::to_string(int(type)) + ".wav");
    test::writeFile(path, test::wave(f, samplesOf(type, frames * channels)));
    return path;
}

struct Variant {
    const char* name;
    std::function<void(Conversion&)> set;
};

std::function<void(Conversion&)> dithered(int32_t pdf, int32_t shaping) {
    return [=](Conversion& c) {
        c.settings.conversion.dither = 1;
        c.settings.conversion.pdfType = pdf;
        c.settings.conversion.noiseShaping = shaping;
    };
}

const Variant kVariants[] = {
    {"plain", [](Conversion&) {}},
    {"triangular dither", dithered(1, 1)},
    {"gaussian dither, shaped", dithered(2, 3)},
    {"normalized (a peak pass, then a gain)",
     [](Conversion& c) {
         c.settings.conversion.normalize = c.settings.conversion.normalizeFile = 1;
     }},
    {"+6 dB, dithered, channels moved",
     [](Conversion& c) {
         auto& s = c.settings.conversion;
         s.amplify = s.dither = s.channelMappingEnabled = 1;
         s.amplifyDb = 6.0;
         ASSERT_TRUE(c.maps.append(ChannelMap{3, 2, {2, 0}, {}, "2 0"}, true));
     }},
};

// The output's bytes and the entry's peak.
std::pair<Bytes, double> convert(const std::string& path, SampleType in, SampleType out,
                                 const Variant& variant, bool generalChainOnly) {
    Conversion c;
    c.generalChainOnly = generalChainOnly;
    c.settings.conversion.floatCECompatible = in == SampleType::FloatCe;
    c.convertTo(out);
    variant.set(c);
    EXPECT_TRUE(c.run({path}));
    EXPECT_EQ(c.record(0).sampleType, in);
    EXPECT_EQ(c.record(0).result, ConversionResult::Processed);
    const std::string written = c.outputs(0).at(0);
    std::pair<Bytes, double> result{test::readFile(written), c.record(0).peak};
    std::filesystem::remove(written);
    return result;
}

void expectSameAsGeneralChain(const std::string& path, SampleType in, SampleType out,
                              const Variant& variant) {
    SCOPED_TRACE(std::to_string(int(in)) + " to " + std::to_string(int(out)) + ", " + variant.name);
    const auto direct = convert(path, in, out, variant, false);
    const auto general = convert(path, in, out, variant, true);
    EXPECT_TRUE(direct.first == general.first) << "output bytes differ";
    EXPECT_EQ(std::bit_cast<uint64_t>(direct.second), std::bit_cast<uint64_t>(general.second))
        << direct.second << " " << general.second;
}

TEST(DirectConversion, GivesTheGeneralChainsBytesAndPeakForEveryPairOfTypes) {
    test::TempDir temp;
    for (SampleType in : kTypes) {
        // Past the chain's 8192-frame blocks and the dither's chunks, odd.
        const std::string path = writeSamples(temp, in, 3, 9001);
        for (SampleType out : kTypes)
            for (const Variant& variant : kVariants)
                expectSameAsGeneralChain(path, in, out, variant);
    }
}

TEST(DirectConversion, GivesTheGeneralChainsBytesAcrossItsOwnLongerBlocks) {
    test::TempDir temp;
    const struct {
        SampleType in, out;
        const Variant& variant;
    } rows[] = {{SampleType::Int16, SampleType::Int24, kVariants[0]},
                {SampleType::Int24, SampleType::Int16, kVariants[1]},
                {SampleType::FloatIeee, SampleType::FloatCe, kVariants[0]},
                {SampleType::Double, SampleType::Int32, kVariants[3]}};
    for (const auto& row : rows) // a megabyte or more of samples per block
        expectSameAsGeneralChain(writeSamples(temp, row.in, 1, (size_t{1} << 20) + 1), row.in,
                                 row.out, row.variant);
}

} // namespace
} // namespace corv
