#include "conversion_harness.h"

#include "analyser/engine/linked_entry_points.h"
#include "analyser/engine/sample_types.h"

#include <bit>
#include <cstring>

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
        switch (r.sampleType) {
        case SampleType::Int8:
            out.samples.push_back(p[0]);
            break;
        case SampleType::Int16:
            out.samples.push_back(static_cast<int16_t>(p[0] | p[1] << 8));
            break;
        case SampleType::Int24:
            out.samples.push_back(static_cast<int32_t>(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 |
                                                       uint32_t(p[2]) << 24) >>
                                  8);
            break;
        case SampleType::FloatIeee: {
            uint32_t bits;
            std::memcpy(&bits, p, 4);
            out.samples.push_back(std::bit_cast<float>(bits));
            break;
        }
        default:
            break;
        }
    }
    return out;
}

} // namespace corv::test
