#include "batcher/encoders/job_description.h"

#include "batcher/encoders/build_outcome.h"
#include "batcher/encoders/sonic_text.h"
#include "batcher/encoders/text_format.h"
#include "protocol/job_types.h"

namespace corv {
namespace {

// A named choice, or the number itself when it is outside the table.
template <size_t N> std::string nameOr(const char* const (&names)[N], int32_t value) {
    if (value >= 0 && static_cast<size_t>(value) < N) return names[value];
    return formatText("%i", value);
}

constexpr const char* kNeroPresets[] = {"Tape",   "Radio",   "Internet",   "Streaming",
                                        "Normal", "Extreme", "Audiophile", "Transcoding"};
constexpr const char* kMpcPresets[] = {"Thumb", "Radio", "Standard", "Xtreme"};
constexpr const char* kLamePresets[] = {"Medium", "Standard", "Extreme", "Insane"};

std::string twoLameText(const TwoLameSettings& s) {
    unsigned char mode = static_cast<unsigned char>(s.channelMode);
    std::string text = formatText("\tMPEG%i   \r\n\tBitrate:%ik  \r\n", s.mpegVersion, s.bitrate);
    // A byte that is no printable letter shows as its number.
    if (mode >= 0x20 && mode < 0x7f)
        appendPrintf(text, "\tChannel mode:'%c'\r\n", mode);
    else
        appendPrintf(text, "\tChannel mode:%i\r\n", static_cast<int>(mode));
    return text;
}

std::string wavPackText(const WavPackSettings& s) {
    std::string text =
        formatText("\tFormat:%s \r\n\tJoint Stereo:%s \r\n\tCopy timestamp:%s \r\n\tStore MD5:%s "
                   "\r\n\tSelfextr.:%s\r\n",
                   s.lossless ? "Lossless" : "Hybrid", yesNo(s.jointStereo), yesNo(s.copyTimestamp),
                   yesNo(s.storeMd5), yesNo(s.selfExtracting));
    if (s.lossless) {
        if (s.losslessCompression == 0)
            text += "\tCompression:Fast\r\n";
        else if (s.losslessCompression == 1)
            text += "\tCompression:Normal\r\n";
        else
            text += "\tCompression:High\r\n";
    } else {
        appendPrintf(text, "\tBitratre:%i \r\n\tHQ:%s \r\n\tCorr. file:%s\r\n", s.hybridBitrate,
                     yesNo(s.highQuality), yesNo(s.correctionFile));
    }
    return text;
}

std::string neroText(const NeroAacSettings& s) {
    std::string text = s.vbr ? formatText("\tVBR-%s\r\n", nameOr(kNeroPresets, s.vbrPreset).c_str())
                             : formatText("\tCBR, %i kbps\r\n", s.constantBitrate);
    text += s.heProfile ? "\tHE\r\n" : "\tLC\r\n";
    appendPrintf(text, "\tQuality:%s \r\n\tPNS:%s \r\n\tKeep freqs:%s \r\n\tMP4:%s\r\n",
                 s.highQuality ? "High" : "Fast", yesNo(s.pns), yesNo(s.keepAllFrequencies),
                 yesNo(s.isoAacOutput));
    return text;
}

std::string lameText(const LameSettings& s) {
    std::string text = formatText("\tMPEG%i\r\n", s.mpegVersion);
    switch (s.bitrateMode) {
    case 0:
        appendPrintf(text, "\tpreset %s\r\n", nameOr(kLamePresets, s.preset).c_str());
        break;
    case 1:
        appendPrintf(text, "\tvbr quality:%i\r\n", s.vbrQuality);
        break;
    case 2:
        appendPrintf(text, "\tABR %ik\r\n", s.abrBitrate);
        break;
    case 3:
        appendPrintf(text, "\tCBR %ik\r\n", s.constantBitrate);
        break;
    default:
        break; // as the command line: nothing for an unknown mode
    }
    appendPrintf(text, "\tquality:q%i\r\n", s.algorithmQuality);
    return text;
}

std::string descriptionText(const JobRecord& job) {
    const EncoderSettings& s = job.settings;
    switch (static_cast<JobType>(job.jobType)) {
    case JobType::SurcodeCdPro:
        return "\tnone\r\n";
    case JobType::SurcodeDvd:
        return formatText("\tAtt. rear:%s   \r\n\tData rate:%i\r\n", yesNo(s.surcode.attenuateRear),
                          s.surcode.dataRate);
    case JobType::TwoLame:
        return twoLameText(s.twoLame);
    case JobType::Ape:
        return formatText("\tCompression:%i\r\n", s.ape.compressionLevel);
    case JobType::Flac:
        return formatText(
            "\tCompression:%i \r\n\tStore replaygain:%s \r\n\tUse Ogg container:%s\r\n",
            s.flac.compressionLevel, yesNo(s.flac.storeReplayGain), yesNo(s.flac.oggContainer));
    case JobType::WavPack:
        return wavPackText(s.wavPack);
    case JobType::NeroAac:
        return neroText(s.neroAac);
    case JobType::Mpc:
        return formatText("\tQuality: %s\r\n", nameOr(kMpcPresets, s.mpc.qualityPreset).c_str());
    case JobType::Lame:
        return lameText(s.lame);
    case JobType::OggVorbis:
        if (s.oggVorbis.qualityMode)
            return formatText("\tQuality:%.1f\r\n", static_cast<double>(s.oggVorbis.quality));
        return formatText("\tBitrate:%i\r\n", s.oggVorbis.bitrate);
    case JobType::SonicFoundry:
        return BuildSonicIni(s.sonicFoundry, true);
    case JobType::Ac3Library:
        return formatText("\tdatarate:%i\r\n\tsampelrate:%i\r\n\tmode:%i\r\n\tinc. LFE:%s\r\n",
                          s.ac3Library.dataRate, s.ac3Library.sampleRate, s.ac3Library.codingMode,
                          yesNo(s.ac3Library.lfe));
    }
    return std::string();
}

} // namespace

std::string oneLineOf(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return text;
}

JobDescription DescribeJob(const JobRecord& job, Notifier& notifier) {
    JobDescription description;
    std::optional<JobTypeInfo> info = jobTypeInfo(job.jobType);
    if (!info) {
        notifier.warn(kUnknownJobFormatMessage, kQuillmereTitle);
        return description;
    }
    description.known = true;
    description.programName = std::string(info->programName);
    description.text = descriptionText(job);
    description.oneLine = oneLineOf(description.text);
    return description;
}

} // namespace corv
