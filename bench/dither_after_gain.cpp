// What a level change does to dithered output, measured through the engine
// itself: a 24-bit -60 dBFS sine converted to 16-bit with triangular dither and
// noise shaping 3, at a gain of -3 dB (amplify, normalize, normalize with a
// temporary file), beside the same at unity gain and undithered at -3 dB. The
// error is the written output minus the best-fitting scaled input, in 16-bit
// LSB: its total, its power per band, and the part of it that repeats with the
// sine (distortion; a dither that works leaves none).
#include "spectrum.h"

#include "analyser/analysis/wave_reader.h"
#include "analyser/engine/conversion_run.h"
#include "analyser/engine/linked_entry_points.h"
#include "analyser/engine/output_writer.h"
#include "analyser/engine/settings_file.h"
#include "protocol/little_endian.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <numeric>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using Samples = std::vector<double>;

constexpr int kRate = 44100;
constexpr std::size_t kSegment = 8192;
constexpr std::size_t kToneBin = 186; // about 1001 Hz: whole periods in every segment
constexpr std::size_t kPeriod = kSegment / std::gcd(kToneBin, kSegment);
constexpr std::size_t kFrames = 64 * kSegment;
constexpr double kToneLevel = 0.001; // -60 dBFS
const double kMinus3dB = std::pow(10.0, -3.0 / 20.0);

class QuietObserver : public corv::ConversionObserver {
  public:
    void warn(std::string_view text, std::string_view) override {
        std::fprintf(stderr, "engine: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    void caption(std::string_view) override {}
    void currentFile(std::string_view) override {}
    void filesFinished(int, int) override {}
    void progress(int) override {}
};

// The source: the sine as 24-bit integers; returns them in working units.
Samples writeSource(const std::string& path) {
    Samples working(kFrames);
    std::vector<uint8_t> bytes;
    for (std::size_t i = 0; i < kFrames; ++i) {
        const double phase = 2.0 * std::numbers::pi * static_cast<double>(kToneBin * i) / kSegment;
        const auto v = static_cast<int32_t>(std::lround(kToneLevel * 8388608.0 * std::sin(phase)));
        working[i] = v / 8388608.0;
        for (int b = 0; b < 3; ++b)
            bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * b)));
    }
    corv::HeaderBytes header;
    corv::buildHeader(corv::FileFormat::WavePcm, {1, kRate, corv::SampleType::Int24, 3, 0}, header);
    // The size fields, which the writer leaves for the end of a stream.
    const auto dataBytes = static_cast<uint32_t>(bytes.size());
    for (int b = 0; b < 4; ++b) {
        header.bytes[4 + b] = static_cast<uint8_t>((dataBytes + header.size - 8) >> (8 * b));
        header.bytes[header.size - 4 + b] = static_cast<uint8_t>(dataBytes >> (8 * b));
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header.bytes),
              static_cast<std::streamsize>(header.size));
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return working;
}

// The 16-bit samples of a written file.
Samples readOutput(const std::string& path, const corv::ConversionSettings& settings) {
    corv::AudioFileRecord record;
    corv::initAudioFileRecord(record, path);
    corv::analyseFile(record, settings);
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    Samples out;
    for (std::size_t at = static_cast<std::size_t>(record.dataStart); at + 1 < bytes.size();
         at += 2)
        out.push_back(static_cast<int16_t>(
            corv::readU16le(reinterpret_cast<const uint8_t*>(bytes.data() + at))));
    out.resize(static_cast<std::size_t>(record.frameCount));
    return out;
}

enum class Level { Unity, Amplify, Normalize, NormalizeTemp };

struct Case {
    const char* label;
    Level level;
    bool dither;
    int shaping = 3;
};

Samples convert(const std::string& source, const Case& c, double sourcePeak) {
    corv::AnalyserSettings all = corv::defaultAnalyserSettings();
    corv::ConversionSettings& s = all.conversion;
    s.convertSampleType = 1;
    s.targetSampleType = static_cast<int32_t>(corv::SampleType::Int16);
    s.dither = c.dither;
    s.noiseShaping = c.shaping;
    s.pdfType = 1;
    s.pdfAmplitude = 1.0f;
    s.amplify = c.level == Level::Unity || c.level == Level::Amplify;
    s.amplifyDb = c.level == Level::Amplify ? -3.0 : 0.0;
    s.normalize = c.level == Level::Normalize || c.level == Level::NormalizeTemp;
    s.normalizeFile = 1;
    s.normalizeWithTempFile = c.level == Level::NormalizeTemp;
    s.normalizeTarget = sourcePeak * kMinus3dB;

    corv::AudioFileRecord record;
    corv::initAudioFileRecord(record, source);
    std::vector<corv::AudioFileRecord*> list{&record};
    const corv::ChannelMapList maps;
    const corv::ConversionSetup setup{s, all.encoders, maps, corv::linkedSsrcEntryPoints()};
    QuietObserver observer;
    const std::atomic<bool> stop{false};
    if (!corv::prepareConversion(list, setup, observer)) return {};
    const corv::RunOutcome outcome = corv::runConversion(list, setup, observer, stop);
    if (outcome.entries.at(0).outputs.empty()) return {};
    const std::string path = outcome.entries[0].outputs[0];
    Samples out = readOutput(path, s);
    std::filesystem::remove(path);
    return out;
}

struct Figures {
    double gainDb = 0;     // of the best fit
    double total = 0;      // mean square error, LSB^2
    Samples bands;         // power per band, LSB^2
    double locked = 0;     // power of the error that repeats with the sine, LSB^2
    double noiseShare = 0; // what noise alone leaves of it after averaging
};

const double kBandEdges[] = {0, 2000, 5000, 10000, 15000, 20000, kRate / 2.0};
constexpr std::size_t kBands = std::size(kBandEdges) - 1;

Figures measure(const Samples& input, const Samples& output) {
    Figures f;
    double xy = 0, xx = 0;
    for (std::size_t i = 0; i < input.size(); ++i) {
        xy += input[i] * 32767.0 * output[i];
        xx += input[i] * 32767.0 * input[i] * 32767.0;
    }
    const double gain = xy / xx;
    f.gainDb = 20.0 * std::log10(gain);
    Samples error(input.size());
    for (std::size_t i = 0; i < input.size(); ++i) {
        error[i] = output[i] - gain * input[i] * 32767.0;
        f.total += error[i] * error[i] / static_cast<double>(error.size());
    }
    const Samples power = bench::welchPowerSpectrum(error, kSegment);
    f.bands.assign(kBands, 0.0);
    for (std::size_t k = 1; k < power.size(); ++k) {
        const double hz = static_cast<double>(k) * kRate / kSegment;
        for (std::size_t b = 0; b < kBands; ++b)
            if (hz >= kBandEdges[b] && hz < kBandEdges[b + 1]) f.bands[b] += power[k];
    }
    // The sine repeats exactly every kPeriod samples; so does any error that
    // depends on it, while dither noise averages away over the repeats.
    Samples locked(kPeriod, 0.0);
    const std::size_t repeats = error.size() / kPeriod;
    for (std::size_t i = 0; i < repeats * kPeriod; ++i)
        locked[i % kPeriod] += error[i] / static_cast<double>(repeats);
    for (double v : locked)
        f.locked += v * v / static_cast<double>(kPeriod);
    f.noiseShare = f.total / static_cast<double>(repeats);
    return f;
}

} // namespace

int main() {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("dither_after_gain_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string source = (dir / "sine.wav").string();
    const Samples input = writeSource(source);
    double peak = 0;
    for (double v : input)
        peak = std::max(peak, std::fabs(v));

    const Case cases[] = {
        {"unity gain, dither", Level::Unity, true},
        {"amplify -3 dB, dither", Level::Amplify, true},
        {"normalize -3 dB, dither", Level::Normalize, true},
        {"normalize temp -3 dB, dither", Level::NormalizeTemp, true},
        {"amplify -3 dB, no dither", Level::Amplify, false},
        {"unity gain, dither, shaping 1", Level::Unity, true, 1},
        {"amplify -3 dB, dither, shap. 1", Level::Amplify, true, 1},
    };
    std::printf("24-bit -60 dBFS %.0f Hz sine -> 16-bit, triangular 1 LSB, shaping 3, %d Hz\n",
                kToneBin * double(kRate) / kSegment, kRate);
    std::printf("error = output - fitted gain x input; dB re 1 LSB^2 (flat TPDF + rounding: "
                "-6.0 dB)\n\n");
    std::printf("%-29s %7s %7s", "case", "gain", "total");
    for (std::size_t b = 0; b < kBands; ++b)
        std::printf("  %2.0f-%2.0fk", kBandEdges[b] / 1000, kBandEdges[b + 1] / 1000);
    std::printf("  locked (noise)\n");
    int failures = 0;
    for (const Case& c : cases) {
        const Samples output = convert(source, c, peak);
        if (output.size() != input.size()) {
            std::printf("%-29s conversion failed\n", c.label);
            ++failures;
            continue;
        }
        const Figures f = measure(input, output);
        std::printf("%-29s %+7.2f %+7.2f", c.label, f.gainDb, bench::toDb(f.total));
        for (double band : f.bands)
            std::printf("  %+7.2f", bench::toDb(band));
        std::printf("  %+6.2f (%+6.2f)\n", bench::toDb(f.locked), bench::toDb(f.noiseShare));
    }
    std::printf("\nlocked: the error averaged over the %zu repeats of the sine's %zu-sample "
                "period, which keeps\nwhat depends on the signal (distortion); (noise): what "
                "signal-independent noise of that\ntotal leaves after the averaging\n",
                kFrames / kPeriod, kPeriod);
    std::filesystem::remove_all(dir);
    return failures == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
