#include "analyser/engine/output_writer.h"

#include "analyser/analysis/wave_format.h"
#include "analyser/analysis/wave_reader.h"
#include "protocol/little_endian.h"

#include <cstring>

namespace corv {
namespace {

constexpr uint64_t kSizeFieldLimit = uint64_t{1} << 32;
// A chunk begins with its id and then its 32-bit size; the RIFF chunk is the
// first, so its size field stands at byte 4 and counts all but its 8 header bytes.
constexpr int64_t kSizeFieldOffset = 4;
constexpr int64_t kChunkHeaderBytes = 8;

// Fills the header block front to back, little-endian.
class HeaderCursor {
  public:
    explicit HeaderCursor(uint8_t* out) : out_(out) {}
    void text(const char (&id)[5]) { bytes(id, 4); }
    void u16(uint32_t v) {
        writeU16le(out_ + at_, v);
        at_ += 2;
    }
    void u32(uint32_t v) {
        writeU32le(out_ + at_, v);
        at_ += 4;
    }
    void zeros(size_t n) {
        std::memset(out_ + at_, 0, n);
        at_ += n;
    }
    void bytes(const void* src, size_t n) {
        std::memcpy(out_ + at_, src, n);
        at_ += n;
    }
    size_t size() const { return at_; }

  private:
    uint8_t* out_;
    size_t at_ = 0;
};

bool isFloatOutput(SampleType type) {
    return type == SampleType::FloatIeee || type == SampleType::Double;
}

bool patchU32(FileStream& file, int64_t position, uint64_t value) {
    uint8_t field[4];
    writeU32le(field, static_cast<uint32_t>(value));
    return file.seek(position) && file.write(field, sizeof field) == sizeof field;
}

uint64_t sizeField(uint64_t size) {
    return size < kSizeFieldLimit ? size : 0;
}

// The reserved "JUNK" chunk becomes "ds64" and the header says "RF64" with
// sizes of kSizeInDs64; "WAVE" between them stays.
bool writeRf64Header(FileStream& file, uint64_t riffSize, uint64_t dataBytes, uint64_t frames) {
    uint8_t header[12 + kReservedDs64Bytes];
    HeaderCursor out(header);
    out.text("RF64");
    out.u32(kSizeInDs64);
    out.text("WAVE");
    out.text("ds64");
    out.u32(kDs64FixedSize);
    encodeDs64(header + out.size(), riffSize, dataBytes, frames);
    return file.seek(0) && file.write(header, sizeof header) == sizeof header;
}

// Steps 2 to 4 of finishing: pad, measure, patch. False on any failed call.
bool padAndPatch(OutputStream& stream, uint64_t samples) {
    const uint64_t dataBytes = samples * stream.description.bytesPerSample;
    FileStream& file = stream.file;
    // Padding goes at the end even when the last write was in place (merging).
    if (!file.seekToEnd()) return false;
    if (dataBytes % 2 != 0) {
        const uint8_t zero = 0;
        if (file.write(&zero, 1) != 1 || !file.flush()) return false;
    }
    if (!file.seekToEnd()) return false;
    int64_t length = file.tell();
    if (length < 0) return false;
    if (stream.format == FileFormat::RawSamples) return true;
    if (length < kChunkHeaderBytes) return false;

    const uint64_t riffSize = static_cast<uint64_t>(length - kChunkHeaderBytes);
    // The walk reads, so the written bytes must leave the buffer first.
    if (!file.flush() || !findDataChunk("data", file)) return false;
    const int64_t dataSizeAt = file.tell() + kSizeFieldOffset;
    if (dataSizeAt < kSizeFieldOffset) return false;
    if (stream.largeSizes == LargeSizes::Rf64 && riffSize >= kSizeFieldLimit) {
        const uint32_t channels = stream.description.channels;
        return patchU32(file, dataSizeAt, kSizeInDs64) &&
               writeRf64Header(file, riffSize, dataBytes, channels ? samples / channels : 0) &&
               file.flush();
    }
    return patchU32(file, kSizeFieldOffset, sizeField(riffSize)) &&
           patchU32(file, dataSizeAt, sizeField(dataBytes)) && file.flush();
}

} // namespace

StreamDescription describeStream(const OutputType& out, uint32_t channels, uint32_t channelMask) {
    return StreamDescription{channels, out.sampleRate, out.sampleType, out.bytesPerSample,
                             channelMask};
}

bool buildHeader(FileFormat format, const StreamDescription& d, HeaderBytes& header,
                 LargeSizes largeSizes) {
    uint32_t fmtSize = 0;
    switch (format) {
    case FileFormat::WavePcm:
        fmtSize = kFormatSizePcm;
        break;
    case FileFormat::WaveNonPcm:
        fmtSize = kFormatSizeNonPcm;
        break;
    case FileFormat::WaveFormatEx:
        fmtSize = kFormatSizeExtensible;
        break;
    case FileFormat::RawSamples:
        header.size = 0;
        return true;
    default:
        return false;
    }
    const uint64_t blockAlign = uint64_t{d.channels} * d.bytesPerSample;
    const uint64_t byteRate = blockAlign * d.sampleRate;
    const uint64_t bits =
        d.sampleType == SampleType::FloatPcm ? 24 : uint64_t{d.bytesPerSample} * 8;
    if (d.channels == 0 || d.channels > 0xFFFF || blockAlign > 0xFFFF || bits > 0xFFFF ||
        byteRate >= kSizeFieldLimit)
        return false;

    uint16_t tag = isFloatOutput(d.sampleType) ? kWaveTagFloat : kWaveTagPcm;
    if (format == FileFormat::WaveFormatEx) tag = kWaveTagExtensible;

    HeaderCursor out(header.bytes);
    out.text("RIFF");
    out.u32(0); // patched when the stream is finished
    out.text("WAVE");
    if (largeSizes == LargeSizes::Rf64) {
        out.text("JUNK");
        out.u32(kDs64FixedSize);
        out.zeros(kDs64FixedSize);
    }
    out.text("fmt ");
    out.u32(fmtSize);
    out.u16(tag);
    out.u16(d.channels);
    out.u32(d.sampleRate);
    out.u32(static_cast<uint32_t>(byteRate));
    out.u16(static_cast<uint32_t>(blockAlign));
    out.u16(static_cast<uint32_t>(bits));
    if (fmtSize >= kFormatSizeNonPcm)
        out.u16(fmtSize == kFormatSizeExtensible ? kExtensibleExtensionSize : 0);
    if (fmtSize == kFormatSizeExtensible) {
        out.u16(static_cast<uint32_t>(bits));
        out.u32(d.channelMask);
        out.u32(isFloatOutput(d.sampleType) ? kWaveTagFloat : kWaveTagPcm);
        out.bytes(kSubFormatGuidTail, sizeof kSubFormatGuidTail);
    }
    out.text("data");
    out.u32(0);
    header.size = out.size();
    return true;
}

bool openOutputStream(OutputStream& stream, const std::string& path, FileFormat format,
                      LargeSizes largeSizes) {
    stream.path = path;
    stream.format = format;
    stream.largeSizes = largeSizes;
    stream.dataStart = 0;
    stream.created = false;
    stream.failed = false;
    if (!stream.file.open(path, FileStream::Mode::CreateReadWrite)) return false;
    stream.created = true;
    return true;
}

bool writeHeader(OutputStream& stream, const StreamDescription& description) {
    stream.description = description;
    HeaderBytes header;
    bool ok = !stream.failed && stream.file.isOpen() &&
              buildHeader(stream.format, description, header, stream.largeSizes);
    if (ok && header.size > 0)
        ok = stream.file.write(header.bytes, header.size) == header.size && stream.file.flush();
    if (!ok) {
        stream.failed = true;
        return false;
    }
    stream.dataStart = static_cast<int64_t>(header.size);
    return true;
}

bool appendSamples(OutputStream& stream, const void* data, size_t bytes) {
    if (stream.failed || stream.file.write(data, bytes) != bytes || !stream.file.flush()) {
        stream.failed = true;
        return false;
    }
    return true;
}

bool finishStream(OutputStream& stream, uint64_t samples, bool deleteFile) {
    bool ok = !stream.failed && stream.file.isOpen() && padAndPatch(stream, samples);
    if (!stream.file.close()) ok = false;
    if (!ok) stream.failed = true;
    if ((!ok || deleteFile) && stream.created) {
        if (removeFile(stream.path))
            stream.created = false;
        else
            ok = false;
    }
    return ok;
}

bool finishStreams(std::vector<OutputStream>& streams, uint64_t samplesPerStream,
                   bool deleteFiles) {
    bool allOk = true;
    for (auto& stream : streams)
        if (!finishStream(stream, samplesPerStream, deleteFiles)) allOk = false;
    if (allOk) return true;
    for (auto& stream : streams)
        if (stream.created && removeFile(stream.path)) stream.created = false;
    return false;
}

} // namespace corv
