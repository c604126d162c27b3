#include "analyser/engine/list_checks.h"

#include "analyser/engine/batch_validation.h"
#include "platform/text_format.h"

#include <string>

namespace corv {
namespace {

// The map's output count for this many channels, when mapping is on and such a map exists.
std::optional<uint32_t> mappedCount(uint32_t channels, const ConversionSettings& settings,
                                    const MappedChannels& mapped) {
    if (!settings.channelMappingEnabled || !mapped) return std::nullopt;
    return mapped(channels);
}

bool everyEntryAnalysed(const std::vector<AudioFileRecord*>& list, Notifier& notifier) {
    for (const AudioFileRecord* record : list) {
        if (record->format == FileFormat::Unanalysed) {
            notifier.warn(formatText("Error on: \"%s\". This file is unanalysed.", record->name));
            return false;
        }
        if (record->format == FileFormat::NotRecognised) {
            notifier.warn(formatText("Error on: \"%s\". This file is not recognized by corvandale.",
                                     record->name));
            return false;
        }
    }
    return true;
}

// Every later entry against the first one: what stitching and merging need in common.
bool entriesCombine(const std::vector<AudioFileRecord*>& list, RunMode mode,
                    const ConversionSettings& settings, const MappedChannels& mapped,
                    const EntryOutputShape& reference, Notifier& notifier) {
    const bool stitching = mode == RunMode::Stitch;
    for (size_t i = 1; i < list.size(); ++i) {
        const EntryOutputShape shape = effectiveOutput(*list[i], settings, mapped);
        const char* refusal = nullptr;
        if (stitching && shape.channels != reference.channels) {
            refusal = mappedCount(list[i]->channels, settings, mapped)
                          ? "Cant stitch files;Different number of channels detected"
                          : "Cant combine files together; Different number of channels detected";
        } else if (shape.sampleType != reference.sampleType) {
            refusal = "Cant combine files together; Different sampletype detected";
        } else if (shape.sampleRate != reference.sampleRate) {
            refusal = "Cant combine files together; Different samplerates detected";
        }
        if (refusal) {
            notifier.inform(refusal);
            return false;
        }
    }
    return true;
}

bool encoderAccepts(const EntryOutputShape& shape, const ConversionSettings& settings,
                    const EncoderBlocks& encoders, std::string prefix, Notifier& notifier) {
    BatchOutputFormat output;
    output.sampleType = shape.sampleType;
    output.sampleRate = static_cast<int32_t>(shape.sampleRate);
    output.channels = static_cast<int32_t>(shape.channels);
    if (ValidateBatchFormat(output, settings, encoders, prefix)) return true;
    notifier.warn(prefix);
    return false;
}

} // namespace

EntryOutputShape effectiveOutput(const AudioFileRecord& record, const ConversionSettings& settings,
                                 const MappedChannels& mapped) {
    EntryOutputShape shape;
    shape.channels = mappedCount(record.channels, settings, mapped).value_or(record.channels);
    shape.sampleType = settings.convertSampleType ? settings.targetSampleType
                                                  : static_cast<int32_t>(record.sampleType);
    shape.sampleRate = settings.convertSampleRate ? static_cast<uint32_t>(settings.targetSampleRate)
                                                  : record.sampleRate;
    return shape;
}

uint64_t mergedChannelTotal(const std::vector<AudioFileRecord*>& list,
                            const ConversionSettings& settings, const MappedChannels& mapped) {
    uint64_t total = 0;
    for (const AudioFileRecord* record : list)
        total += effectiveOutput(*record, settings, mapped).channels;
    return total;
}

bool checkList(const std::vector<AudioFileRecord*>& list, const ConversionSettings& settings,
               const EncoderBlocks& encoders, const MappedChannels& mapped, Notifier& notifier) {
    if (list.empty()) return true;
    if (!everyEntryAnalysed(list, notifier)) return false;

    const RunMode mode = decideRunMode(settings);
    const bool combining = combinesFiles(mode);
    EntryOutputShape combined = effectiveOutput(*list.front(), settings, mapped);
    if (combining && !entriesCombine(list, mode, settings, mapped, combined, notifier))
        return false;

    if (mode == RunMode::Merge) {
        const uint64_t total = mergedChannelTotal(list, settings, mapped);
        if (total > kMaxMergedChannels) {
            notifier.warn(formatText("The maximum number of channels is %i. There are currenly "
                                     "%llu channels in the list.",
                                     static_cast<int>(kMaxMergedChannels),
                                     static_cast<unsigned long long>(total)));
            return false;
        }
        combined.channels = static_cast<uint32_t>(total);
    }

    if (!settings.sendJobsToBatcher) return true;
    if (combining)
        return encoderAccepts(combined, settings, encoders,
                              "Quillmere error on the merged/stitched output. ", notifier);
    for (const AudioFileRecord* record : list) {
        if (!encoderAccepts(effectiveOutput(*record, settings, mapped), settings, encoders,
                            formatText("Quillmere error on: \"%s\". ", record->name), notifier))
            return false;
    }
    return true;
}

} // namespace corv
