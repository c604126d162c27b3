#include "analyser/ui/list_cells.h"

#include "analyser/ui/number_text.h"
#include "platform/text_format.h"

namespace corv {
namespace {

bool knownType(const AudioFileRecord& record) {
    return record.format != FileFormat::Unanalysed && record.format != FileFormat::NotRecognised;
}

std::optional<std::string> typeLabel(FileFormat format) {
    switch (format) {
    case FileFormat::WaveFormatEx:
        return "Wav Ext.";
    case FileFormat::WaveNonPcm:
        return "Wave Non-PCM";
    case FileFormat::WavePcm:
        return "Wave PCM";
    case FileFormat::Unanalysed:
        return "Not analysed";
    case FileFormat::NotRecognised:
        return "Unknown";
    default:
        return std::nullopt;
    }
}

std::optional<std::string> resultText(ConversionResult result) {
    switch (result) {
    case ConversionResult::NotConverted:
        return "-";
    case ConversionResult::Failed:
        return "ERR";
    case ConversionResult::Processed:
        return "Succes";
    }
    return std::nullopt;
}

} // namespace

std::string sizeText(int64_t bytes, bool inKB) {
    if (!inKB) return fileSizeText(bytes); // as the properties viewer shows it
    if (bytes < 0) return "-";
    return groupThousands(static_cast<uint64_t>(bytes / 1024 + ((bytes >> 9) & 1))) + " KB";
}

std::string lengthText(int64_t frameCount, uint32_t sampleRate) {
    const long long ms = frameCount * 1000 / static_cast<int64_t>(sampleRate);
    const long long h = ms / 3600000, m = ms % 3600000 / 60000, s = ms % 60000 / 1000,
                    f = ms % 1000;
    if (h >= 1) return formatText("%02lld:%02lld:%02lld.%03lld", h, m, s, f);
    return formatText("%02lld:%02lld.%03lld", m, s, f);
}

std::optional<std::string> cellText(const AudioFileRecord& record, ListColumn column,
                                    bool sizeInKB) {
    const bool known = knownType(record);
    switch (column) {
    case ListColumn::Filename:
        return std::string(fieldText(record.name));
    case ListColumn::Path:
        return std::string(fieldText(record.directory));
    case ListColumn::Size:
        return sizeText(record.fileSize, sizeInKB);
    case ListColumn::Length:
        if (!known || record.sampleRate < 1 || record.frameCount <= 0) return std::nullopt;
        return lengthText(record.frameCount, record.sampleRate);
    case ListColumn::Channels:
        if (!known || record.channels == 0) return std::nullopt;
        return formatText("%u", record.channels);
    case ListColumn::SampleRate:
        if (!known || record.sampleRate == 0) return std::nullopt;
        return formatText("%u", record.sampleRate);
    case ListColumn::Type:
        return typeLabel(record.format);
    case ListColumn::Result:
        if (!known) return std::nullopt;
        return resultText(record.result);
    case ListColumn::PeakConv:
        if (!known) return std::nullopt;
        if (record.result == ConversionResult::Processed && record.peak >= 0)
            return formatText("%.5f", record.peak);
        return "-";
    }
    return std::nullopt;
}

std::string freshCellText(const AudioFileRecord& record, ListColumn column, bool sizeInKB) {
    return cellText(record, column, sizeInKB).value_or(std::string());
}

} // namespace corv
