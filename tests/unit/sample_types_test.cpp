// Sample types: reading into the working form, writing out of it (scaling,
// clipping, rounding, byte order), and how the output type is chosen.
#include "analyser/engine/sample_types.h"
#include "recording_notifier.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace corv {
namespace {

using test::Bytes;
using test::RecordingNotifier;
using test::u32s;
using test::u64s;
using Values = std::vector<double>;

OutputType outputOf(SampleType type, uint32_t channels = 1) {
    OutputType out;
    out.sampleType = type;
    out.channels = channels;
    out.bytesPerSample = bytesPerSampleOf(type);
    out.minimum = outputMinimumOf(type);
    return out;
}

Values working(SampleType type, const Bytes& raw) {
    Values out(raw.size() / bytesPerSampleOf(type), 12345.0);
    EXPECT_TRUE(toWorking(raw.data(), out.size(), 1, type, out.data()));
    return out;
}

Bytes written(SampleType type, Values values) {
    Bytes raw(values.size() * bytesPerSampleOf(type), 0xEE);
    EXPECT_EQ(fromWorking(values.data(), values.size(), outputOf(type), raw.data()), raw.size());
    return raw;
}

// ---- into the working form ----

TEST(ToWorking, EachTypeScalesByItsFullScale) {
    // 8 bit is unsigned around 128.
    EXPECT_EQ(working(SampleType::Int8, {0, 1, 127, 128, 255}),
              (Values{-1.0, -0.9921875, -0.0078125, 0.0, 0.9921875}));
    // 16 bit signed little-endian.
    EXPECT_EQ(working(SampleType::Int16, {0x00, 0x80, 0xFF, 0x7F, 0x01, 0x00, 0xFF, 0xFF, 0, 0}),
              (Values{-1.0, 0.999969482421875, 3.0517578125e-05, -3.0517578125e-05, 0.0}));
    // 24 bit takes the sign from the third byte.
    Bytes raw = {0x00, 0x00, 0x80,  // -8388608
                 0xFF, 0xFF, 0x7F,  // 8388607
                 0xFF, 0xFF, 0xFF,  // -1
                 0x00, 0x00, 0xFF,  // -65536
                 0x00, 0x80, 0x00,  // 32768: high bit of the middle byte is no sign
                 0xF0, 0xFF, 0x07}; // 20-bit data in a 3-byte container
    EXPECT_EQ(working(SampleType::Int24, raw),
              (Values{-1.0, 0.99999988079071044921875, -1.1920928955078125e-07, -0.0078125,
                      0.00390625, 0.0624980926513671875}));
    EXPECT_EQ(working(SampleType::Int32, u32s({0x80000000u, 0x7FFFFFFFu, 1u, 0x40000000u})),
              (Values{-1.0, 0.9999999995343387126922607421875, 4.656612873077392578125e-10, 0.5}));
    // Floats are not clipped. IEEE: widened as is, 1.5 stays 1.5.
    EXPECT_EQ(working(SampleType::FloatIeee, u32s({0x3DCCCCCDu, 0xBF800000u, 0x3FC00000u})),
              (Values{0.100000001490116119384765625, -1.0, 1.5}));
    // PCM float: 8388608 is full scale; the last value is a denormal whose
    // product would lose its low bit in single precision.
    EXPECT_EQ(
        working(SampleType::FloatPcm, u32s({0x4B000000u, 0x4A800001u, 0xCB000000u, 0x00800001u})),
        (Values{1.0, 0.500000059604644775390625, -1.0,
                std::ldexp(1.0, -149) + std::ldexp(1.0, -172)}));
    // CE float: 32768 is full scale.
    EXPECT_EQ(working(SampleType::FloatCe, u32s({0x47000000u, 0x3FC00000u, 0xC7000000u})),
              (Values{1.0, 4.57763671875e-05, -1.0}));
    EXPECT_EQ(working(SampleType::Double, u64s({0x3FB999999999999Aull, 0xBFF0000000000000ull})),
              (Values{0.1, -1.0}));
}

TEST(WorkingForm, BothWaysConvertFramesTimesChannelsAndNoMoreAndRefuseUnknownTypes) {
    Bytes raw = {0, 0x40, 0, 0xC0, 0, 0x20, 0, 0xE0, 0, 0x10, 0, 0xF0, 0xFF, 0x7F};
    Values out(7, 9.0);
    ASSERT_TRUE(toWorking(raw.data(), 2, 3, SampleType::Int16, out.data()));
    EXPECT_EQ(out, (Values{0.5, -0.5, 0.25, -0.25, 0.125, -0.125, 9.0}));
    EXPECT_FALSE(toWorking(raw.data(), 2, 1, static_cast<SampleType>(512), out.data()));
    EXPECT_EQ(out[0], 0.5);

    // And back: output channels times frames of the same values.
    Bytes bytes(6, 0xEE);
    EXPECT_EQ(fromWorking(out.data(), 1, outputOf(SampleType::Int8, 3), bytes.data()), 3u);
    // -0.5 * 127 + 128 = 64.5, which rounds up to 65.
    EXPECT_EQ(bytes, (Bytes{192, 65, 160, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(out[3], -0.25);
    EXPECT_EQ(fromWorking(out.data(), 1, outputOf(static_cast<SampleType>(3)), bytes.data()), 0u);
}

// ---- out of the working form ----

TEST(FromWorking, IntegersRoundHalfAwayFromZeroAndClip) {
    EXPECT_EQ(written(SampleType::Int8, {1.0, -1.0078740157480315, -3.0, 0.0, 2.0, -1.0}),
              (Bytes{255, 0, 0, 128, 255, 1}));
    // 0.5 * 32767 = 16383.5 -> 16384; -16383.5 -> -16384.
    EXPECT_EQ(written(SampleType::Int16, {0.5, -0.5, 1.5, -1.5, 1.0, -1.0}),
              (Bytes{0x00, 0x40, 0x00, 0xC0, 0xFF, 0x7F, 0x00, 0x80, 0xFF, 0x7F, 0x01, 0x80}));
    EXPECT_EQ(written(SampleType::Int24, {1.0, -1.0, -8388608.0 / 8388607.0, -7.0, 3.0}),
              (Bytes{0xFF, 0xFF, 0x7F, 0x01, 0x00, 0x80, 0x00, 0x00, 0x80, 0x00, 0x00, 0x80, 0xFF,
                     0xFF, 0x7F}));
    EXPECT_EQ(written(SampleType::Int32, {1.0, -1.0, -2147483648.0 / 2147483647.0, -2.0, 2.0}),
              u32s({0x7FFFFFFFu, 0x80000001u, 0x80000000u, 0x80000000u, 0x7FFFFFFFu}));
    // Not a number becomes silence.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(written(SampleType::Int8, {nan}), (Bytes{128}));
    EXPECT_EQ(written(SampleType::Int32, {nan}), u32s({0u}));
}

// Long blocks go through a two-at-a-time path, a single sample through the
// plain one: both must give the same bytes and the same clipped values.
TEST(FromWorking, BlocksGiveTheBytesOfSingleSamples) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    Values tricky = {nan, inf, -inf, -0.0, 0.0, 1.0, -1.0, 1.0000001, -1.0000000004656613};
    for (double v : {0.5 / 32767, -0.5 / 32767, 1.5 / 127, -2.5 / 8388607, 0.3, -0.7, 1e300})
        tricky.push_back(v);
    for (int i = 0; i < 200; ++i)
        tricky.push_back(std::sin(i * 1.7) * 1.2);
    for (SampleType type :
         {SampleType::Int8, SampleType::Int16, SampleType::Int24, SampleType::Int32}) {
        const size_t width = bytesPerSampleOf(type);
        Values block = tricky;
        Bytes together(block.size() * width);
        fromWorking(block.data(), block.size(), outputOf(type), together.data());
        for (size_t i = 0; i < tricky.size(); ++i) {
            double one = tricky[i];
            Bytes alone(width);
            fromWorking(&one, 1, outputOf(type), alone.data());
            ASSERT_EQ(Bytes(together.begin() + i * width, together.begin() + (i + 1) * width),
                      alone)
                << sampleTypeName(static_cast<int32_t>(type)) << " sample " << i;
            ASSERT_EQ(std::bit_cast<uint64_t>(block[i]), std::bit_cast<uint64_t>(one)) << i;
        }
    }
}

// Integer outputs store the clipped values back into the working buffer;
// float outputs are not clipped.
TEST(FromWorking, ClippedValuesAreStoredBackFloatsAreNotClipped) {
    const struct {
        SampleType type;
        Values in, after;
    } cases[] = {
        {SampleType::Int16, {1.5, -1.5, 0.25}, {1.0, -32768.0 / 32767, 0.25}},
        {SampleType::Int8, {-9.0}, {-128.0 / 127}},
        {SampleType::FloatIeee, {1.5, -2.0}, {1.5, -2.0}},
    };
    for (const auto& c : cases) {
        Values values = c.in;
        Bytes raw(values.size() * bytesPerSampleOf(c.type));
        fromWorking(values.data(), values.size(), outputOf(c.type), raw.data());
        for (size_t i = 0; i < values.size(); ++i)
            EXPECT_DOUBLE_EQ(values[i], c.after[i]) << static_cast<int>(c.type) << " " << i;
    }
    EXPECT_EQ(written(SampleType::FloatIeee, {1.5, -2.0}), u32s({0x3FC00000u, 0xC0000000u}));
    EXPECT_EQ(written(SampleType::FloatPcm, {1.0, 1.5}), u32s({0x4B000000u, 0x4B400000u}));
    EXPECT_EQ(written(SampleType::FloatCe, {1.0, -1.0}), u32s({0x47000000u, 0xC7000000u}));
    EXPECT_EQ(written(SampleType::Double, {1.5}), u64s({0x3FF8000000000000ull}));
}

// ---- through the working form and back ----

// Integers come back scaled by the write factor (see above); floats bit-exact.
TEST(RoundTrip, FloatsComeBackBitExact) {
    for (auto [type, raw] : std::vector<std::pair<SampleType, Bytes>>{
             {SampleType::FloatIeee, u32s({0x3DCCCCCDu, 0xC0000000u, 0x00000001u})},
             {SampleType::FloatPcm, u32s({0x4B000000u, 0x4A800001u, 0xCB7FFFFFu})},
             {SampleType::FloatCe, u32s({0x47000000u, 0x3F800000u, 0xC7123456u})},
             {SampleType::Double, u64s({0x3FB999999999999Aull, 0xC00123456789ABCDull})}}) {
        EXPECT_EQ(written(type, working(type, raw)), raw) << static_cast<int>(type);
    }
}

// ---- choosing the output type ----

AudioFileRecord recordOf(SampleType type, uint32_t bytesPerSample, uint32_t channels = 2,
                         uint32_t rate = 44100) {
    AudioFileRecord record;
    record.sampleType = type;
    record.bytesPerSample = bytesPerSample;
    record.channels = channels;
    record.sampleRate = rate;
    return record;
}

// The target type when converting (from another type, so that each is a
// conversion), the source's own otherwise; dither only for integer outputs.
TEST(ChooseOutputType, TypeSizeMinimumAndDither) {
    using enum SampleType;
    const struct {
        SampleType from;
        uint32_t fromBytes;
        bool convert;
        SampleType target, expected;
        uint32_t bytes;
        double minimum;
        bool dither;
    } cases[] = {
        {Int16, 2, true, Int8, Int8, 1, -1.0078740157480315, true},
        {Double, 8, true, Int16, Int16, 2, -1.000030518509476, true},
        {Int16, 2, true, Int24, Int24, 3, -1.0000001192093038, true},
        {Double, 8, true, Int32, Int32, 4, -1.0000000004656613, true},
        {Int16, 2, true, FloatIeee, FloatIeee, 4, -1.0, false},
        {Int16, 2, true, FloatPcm, FloatPcm, 4, -1.0, false},
        {Int16, 2, true, FloatCe, FloatCe, 4, -1.0, false},
        {Int16, 2, true, Double, Double, 8, -1.0, false},
        // The same type is no conversion and keeps the source's container.
        {Int24, 3, true, Int24, Int24, 3, -1.0000001192093038, true},
        {FloatPcm, 4, false, Int8, FloatPcm, 4, -1.0, false},
        {FloatIeee, 4, false, Int16, FloatIeee, 4, -1.0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(sampleTypeName(static_cast<int32_t>(c.from))) + " to " +
                     std::string(sampleTypeName(static_cast<int32_t>(c.target))));
        RecordingNotifier notifier;
        auto settings = defaultConversionSettings();
        settings.convertSampleType = c.convert;
        settings.targetSampleType = static_cast<int32_t>(c.target);
        settings.convertSampleRate = 1;
        settings.targetSampleRate = 44100; // the source's own rate: nothing to convert
        for (bool dither : {false, true}) {
            settings.dither = dither;
            const auto out = chooseOutputType(recordOf(c.from, c.fromBytes), settings, notifier);
            EXPECT_EQ(out.sampleTypeConverted, c.from != c.expected);
            EXPECT_EQ(out.sampleType, c.expected);
            EXPECT_EQ(out.bytesPerSample, c.bytes);
            EXPECT_DOUBLE_EQ(out.minimum, c.minimum);
            EXPECT_EQ(out.ditherApplied, dither && c.dither);
            EXPECT_FALSE(out.sampleRateConverted);
        }
        EXPECT_TRUE(notifier.messages.empty());
    }
}

// ---- when blocks skip the working form ----

TEST(NeedsWorkingForm, OnlyConversionLevelOrMixing) {
    enum Change { None, Mixing, TypeConverted, RateConverted, Amplify, Normalize };
    for (Change change : {None, Mixing, TypeConverted, RateConverted, Amplify, Normalize}) {
        auto settings = defaultConversionSettings();
        settings.dither = 1; // dither alone does not force it
        settings.channelMappingEnabled = 1;
        settings.amplify = change == Amplify;
        settings.normalize = change == Normalize;
        OutputType out = outputOf(SampleType::Int16, 2);
        out.sampleTypeConverted = change == TypeConverted;
        out.sampleRateConverted = change == RateConverted;
        EXPECT_EQ(needsWorkingForm(out, settings, change == Mixing), change != None) << change;
    }
}

} // namespace
} // namespace corv
