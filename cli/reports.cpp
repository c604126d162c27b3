#include "cli/reports.h"

#include "protocol/fixed_text.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <iomanip>

namespace corv::cli {

namespace {

std::string text(std::string_view view) {
    return std::string(view);
}

std::string resultText(ConversionResult result, bool stopped) {
    switch (result) {
    case ConversionResult::Processed:
        return "OK";
    case ConversionResult::Failed:
        return "ERR";
    case ConversionResult::NotConverted:
        break;
    }
    return stopped ? "stopped" : "ERR";
}

const std::vector<std::string>& outputsOf(const RunOutcome& outcome, size_t index) {
    static const std::vector<std::string> none;
    return index < outcome.entries.size() ? outcome.entries[index].outputs : none;
}

} // namespace

std::string jsonText(const nlohmann::ordered_json& value) {
    return value.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string formatName(FileFormat format) {
    switch (format) {
    case FileFormat::WavePcm:
        return "PCM";
    case FileFormat::WaveNonPcm:
        return "non-PCM";
    case FileFormat::WaveFormatEx:
        return "Extensible";
    case FileFormat::RawSamples:
        return "raw";
    case FileFormat::Unanalysed:
        return "unanalysed";
    case FileFormat::NotRecognised:
        return "not recognised";
    }
    return "code " + std::to_string(static_cast<int32_t>(format));
}

std::string lengthText(int64_t frames, uint32_t sampleRate) {
    if (sampleRate == 0 || frames < 0) return "-";
    const int64_t milliseconds =
        frames / sampleRate * 1000 + frames % sampleRate * 1000 / sampleRate;
    const int64_t seconds = milliseconds / 1000;
    char buffer[64];
    if (seconds >= 3600)
        std::snprintf(buffer, sizeof buffer, "%" PRId64 ":%02d:%02d.%03d", seconds / 3600,
                      static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
                      static_cast<int>(milliseconds % 1000));
    else
        std::snprintf(buffer, sizeof buffer, "%d:%02d.%03d", static_cast<int>(seconds / 60),
                      static_cast<int>(seconds % 60), static_cast<int>(milliseconds % 1000));
    return buffer;
}

nlohmann::ordered_json infoJson(const std::vector<AudioFileRecord*>& list) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const AudioFileRecord* r : list) {
        nlohmann::ordered_json container = nullptr;
        if (r->container != WaveContainer::None) container = text(containerName(r->container));
        array.push_back({
            {"path", text(fieldText(r->path))},
            {"name", text(fieldText(r->name))},
            {"directory", text(fieldText(r->directory))},
            {"fileSize", r->fileSize},
            {"channels", r->channels},
            {"sampleRate", r->sampleRate},
            {"format", static_cast<int32_t>(r->format)},
            {"frameCount", r->frameCount},
            {"bytesPerSample", r->bytesPerSample},
            {"sampleType", static_cast<int32_t>(r->sampleType)},
            {"dataStart", r->dataStart},
            {"channelMask", r->channelMask},
            {"container", container},
        });
    }
    return array;
}

void printInfoTable(const std::vector<AudioFileRecord*>& list, std::ostream& out) {
    size_t nameWidth = 4;
    for (const AudioFileRecord* r : list)
        nameWidth = std::max(nameWidth, fieldText(r->name).size());
    auto row = [&](std::string_view name, const std::string& format, const std::string& channels,
                   const std::string& rate, std::string_view type, const std::string& length) {
        out << std::left << std::setw(static_cast<int>(nameWidth)) << name << "  " << std::setw(14)
            << format << std::right << std::setw(4) << channels << std::setw(8) << rate << "  "
            << std::left << std::setw(16) << type << "  " << length << '\n';
    };
    row("Name", "Format", "Ch", "Rate", "Type", "Length");
    for (const AudioFileRecord* r : list) {
        const bool known = r->format == FileFormat::WavePcm ||
                           r->format == FileFormat::WaveNonPcm ||
                           r->format == FileFormat::WaveFormatEx;
        if (!known) {
            row(fieldText(r->name), formatName(r->format), "-", "-", "-", "-");
            continue;
        }
        std::string_view type = sampleTypeName(static_cast<int32_t>(r->sampleType));
        row(fieldText(r->name), formatName(r->format), std::to_string(r->channels),
            std::to_string(r->sampleRate), type.empty() ? "?" : type,
            lengthText(r->frameCount, r->sampleRate));
    }
}

nlohmann::ordered_json convertJson(const std::vector<AudioFileRecord*>& list,
                                   const RunOutcome& outcome) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (size_t i = 0; i < list.size(); ++i) {
        const AudioFileRecord* r = list[i];
        nlohmann::ordered_json peak = nullptr; // JSON has no NaN or infinity
        if (std::isfinite(r->peak)) peak = r->peak;
        array.push_back({
            {"name", text(fieldText(r->name))},
            {"result", static_cast<int32_t>(r->result)},
            {"peak", peak},
            {"outputs", outputsOf(outcome, i)},
        });
    }
    return array;
}

void printConvertLines(const std::vector<AudioFileRecord*>& list, const RunOutcome& outcome,
                       std::ostream& out) {
    for (size_t i = 0; i < list.size(); ++i) {
        const AudioFileRecord* r = list[i];
        char peak[32] = "peak -";
        if (r->peak >= 0.0 || !std::isfinite(r->peak))
            std::snprintf(peak, sizeof peak, "peak %.4f", r->peak);
        out << fieldText(r->name) << "  " << resultText(r->result, outcome.stopped) << "  " << peak;
        const auto& outputs = outputsOf(outcome, i);
        for (size_t k = 0; k < outputs.size(); ++k)
            out << (k == 0 ? "  -> " : ", ") << outputs[k];
        out << '\n';
    }
}

} // namespace corv::cli
