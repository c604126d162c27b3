// The whole conversion engine on a small arbitrary WAVE file, converted as a
// list of two entries with settings chosen by the input's first bytes: no
// crash, no leak, results that agree with what is left on disk, and no
// temporary or partial file left behind.
#include "analyser/analysis/wave_reader.h"
#include "analyser/engine/conversion_run.h"
#include "analyser/engine/linked_entry_points.h"
#include "analyser/engine/settings_file.h"
#include "platform/record_file.h"
#include "scratch_dir.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

class QuietObserver : public corv::ConversionObserver {
  public:
    void warn(std::string_view, std::string_view) override {}
    void caption(std::string_view) override {}
    void currentFile(std::string_view) override {}
    void filesFinished(int, int) override {}
    void progress(int percent) override {
        if (percent < 0 || percent > 100) std::abort();
    }
};

constexpr size_t kSettingBytes = 10;
constexpr int32_t kTypes[] = {2, 4, 8, 16, 32, 64, 128, 256, 12};
constexpr int32_t kRates[] = {8000, 11025, 22050, 44100, 48000, 96000, 500};
constexpr int32_t kFormats[] = {50, 45, 40, 20};

corv::ConversionSettings settingsFrom(const uint8_t* b) {
    corv::ConversionSettings s = corv::defaultConversionSettings();
    s.convertSampleType = b[0] & 1;
    s.targetSampleType = kTypes[(b[0] >> 1) % std::size(kTypes)];
    s.convertSampleRate = (b[1] & 3) == 0;
    s.targetSampleRate = kRates[(b[1] >> 2) % std::size(kRates)];
    s.dither = b[2] & 1;
    s.noiseShaping = (b[2] >> 1) % 5;
    s.pdfType = (b[2] >> 4) % 3;
    s.pdfAmplitude = static_cast<float>(b[3]) / 64.0f;
    s.amplify = b[4] & 1;
    s.amplifyDb = static_cast<int8_t>(b[5]) / 4.0;
    s.normalize = (b[4] >> 1) & 1;
    s.normalizeWithTempFile = (b[4] >> 2) & 1;
    const int scope = (b[4] >> 3) % 3;
    s.normalizeFile = scope == 0;
    s.normalizeList = scope == 1;
    s.normalizeOnClipping = scope == 2;
    s.normalizeTarget = (b[5] | 1) / 200.0;
    s.outputFormat = kFormats[b[6] % std::size(kFormats)];
    s.streamManipulation = (b[6] >> 2) & 1;
    const int mode = (b[6] >> 3) % 3;
    s.monoStreams = mode == 0;
    s.stitchFiles = mode == 1;
    s.mergeFiles = mode == 2;
    s.processDelay = b[7] & 1;
    s.maintainLength = (b[7] >> 1) & 1;
    s.channelMappingEnabled = (b[7] >> 2) & 1;
    s.floatCECompatible = (b[7] >> 3) & 1;
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kSettingBytes || size > 16384) return 0;
    corv::AnalyserSettings all = corv::defaultAnalyserSettings();
    all.conversion = settingsFrom(data);
    const int delayMs = static_cast<int8_t>(data[8]) * 7;

    const std::string dir = corv::fuzz::scratchDirectory();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::vector<std::string> paths = {dir + "a.wav",
                                            dir + "b DELAY " + std::to_string(delayMs) + "ms.wav"};
    for (const auto& path : paths)
        if (!corv::writeRecordFile(path, data + kSettingBytes, size - kSettingBytes)) std::abort();

    std::vector<std::unique_ptr<corv::AudioFileRecord>> records;
    std::vector<corv::AudioFileRecord*> list;
    for (const auto& path : paths) {
        auto record = std::make_unique<corv::AudioFileRecord>();
        if (!corv::initAudioFileRecord(*record, path)) std::abort();
        corv::analyseFile(*record, all.conversion);
        // Wide or very fast files only make the run slow, not different.
        if (record->channels > 32 || record->sampleRate > 200000) return 0;
        list.push_back(record.get());
        records.push_back(std::move(record));
    }

    corv::ChannelMapList maps;
    corv::readMaps(maps, "2->1#mix#active#m\n0.5 0.5 \n1->3#move#active#d\n0 -1 0 \n"
                         "3->2#move#active#x\n2 7 \n4->4#mix#active#short\n1 \n");
    QuietObserver observer;
    std::atomic<bool> stop{(data[9] & 15) == 15};
    corv::ConversionSetup setup{all.conversion, all.encoders, maps, corv::linkedSsrcEntryPoints()};
    if (!corv::prepareConversion(list, setup, observer)) return 0;
    corv::RunOutcome outcome = corv::runConversion(list, setup, observer, stop);

    for (size_t i = 0; i < list.size(); ++i) {
        const auto result = static_cast<int>(list[i]->result);
        if (result < 1 || result > 3) std::abort();
        const auto& outputs = outcome.entries[i].outputs;
        if ((result == 3) != !outputs.empty() && !outcome.stopped) std::abort();
        for (const auto& path : outputs)
            if (!std::filesystem::exists(path)) std::abort();
        if (list[i]->tempFile) std::abort();
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".corvandale.tmp") != std::string::npos) std::abort();
    }
    return 0;
}
