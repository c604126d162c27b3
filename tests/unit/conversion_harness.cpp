#include "conversion_harness.h"

#include "analyser/engine/linked_entry_points.h"
#include "analyser/engine/sample_types.h"

#include <bit>

namespace corv::test {

bool Conversion::run(const std::vector<std::string>& paths) {
    std::vector<AudioFileRecord*> list;
    for (const auto& path : paths) {
        auto record = std::make_unique<AudioFileRecord>();
        if (!initAudioFileRecord(*record, path)) return false;
        list.push_back(record.get());
        records.push_back(std::move(record));
    }
    ConversionSetup setup{settings.conversion, settings.encoders, maps,
                          ssrc ? *ssrc : linkedSsrcEntryPoints()};
    setup.generalChainOnly = generalChainOnly;
    if (!prepareConversion(list, setup, observer)) return false;
    outcome = runConversion(list, setup, observer, stop);
    return true;
}

std::string writeWave16(const std::string& path, uint16_t channels, uint32_t rate,
                        const std::vector<int16_t>& samples, uint32_t mask) {
    Bytes data;
    for (int16_t s : samples)
        putU16(data, static_cast<uint16_t>(s));
    FormatFields f;
    f.channels = channels;
    f.sampleRate = rate;
    f.channelMask = mask;
    if (mask) f.tag = 0xFFFE;
    writeFile(path, mask ? wave(f, data, 40) : wave(f, data));
    return path;
}

std::string writeWaveFloat(const std::string& path, uint16_t channels, uint32_t rate,
                           const std::vector<float>& samples) {
    Bytes data;
    for (float s : samples)
        putU32(data, std::bit_cast<uint32_t>(s));
    FormatFields f;
    f.tag = 3;
    f.channels = channels;
    f.sampleRate = rate;
    f.bitsPerSample = 32;
    f.containerBytes = 4;
    writeFile(path, wave(f, data));
    return path;
}

ReadWave readWave(const std::string& path) {
    ReadWave out;
    out.record = analysePath(path);
    Bytes bytes = readFile(path);
    const AudioFileRecord& r = out.record;
    const size_t count = static_cast<size_t>(r.frameCount) * r.channels;
    const uint8_t* p = bytes.data() + r.dataStart;
    for (size_t i = 0; i < count; ++i, p += r.bytesPerSample) {
        uint64_t bits = 0; // little-endian, the last byte's top bit the sign
        for (uint32_t k = r.bytesPerSample; k-- > 0;)
            bits = bits << 8 | p[k];
        const int shift = 64 - 8 * static_cast<int>(r.bytesPerSample);
        if (r.sampleType == SampleType::FloatIeee)
            out.samples.push_back(std::bit_cast<float>(static_cast<uint32_t>(bits)));
        else if (r.sampleType == SampleType::Double)
            out.samples.push_back(std::bit_cast<double>(bits));
        else if (r.sampleType == SampleType::Int8)
            out.samples.push_back(p[0]);
        else
            out.samples.push_back(
                static_cast<double>(static_cast<int64_t>(bits << shift) >> shift));
    }
    return out;
}

} // namespace corv::test
