#include "analyser/batcher_client/job_builder.h"

#include "analyser/engine/output_naming.h"
#include "platform/path.h"
#include "protocol/fixed_text.h"
#include "protocol/job_types.h"

#include <cstring>
#include <string>
#include <vector>

namespace corv {
namespace {

constexpr uint32_t kDvdFullRateSampleRate = 48000;
constexpr int32_t kDvdHighDataRate = 1536, kDvdLowDataRate = 768, kDvdOtherDataRate = 1234;

// The settings area of one job: which output streams its paths name (none in
// the preview form) and whether every path fitted.
class SettingsFill {
  public:
    SettingsFill(const EncoderBlocks& blocks, const std::vector<std::string>& outputs,
                 uint32_t sampleRate)
        : blocks_(blocks), outputs_(outputs), sampleRate_(sampleRate) {}

    // False for a job type outside 1000..1011 (the area stays empty).
    bool fill(int32_t jobType, EncoderSettings& out);
    bool fits() const { return fits_; }

  private:
    void path(char (&field)[kPathFieldSize], const std::string& text) {
        fits_ = setFieldText(field, text) && fits_;
    }
    // Single-file encoders read the first stream.
    template <typename Layout> void input(Layout& layout) {
        if (!outputs_.empty()) path(layout.inputPath, outputs_.front());
    }
    // A slot names the stream its index holds; an index out of range leaves it empty.
    void slot(char (&field)[kPathFieldSize], int32_t streamIndex) {
        if (streamIndex >= 0 && static_cast<size_t>(streamIndex) < outputs_.size())
            path(field, outputs_[static_cast<size_t>(streamIndex)]);
    }
    void surcode(SurcodeSettings& out, const int32_t (&streams)[kChannelSlots]) {
        for (int i = 0; i < kChannelSlots; ++i)
            slot(out.channelFiles[i], streams[i]);
    }
    void sonicFoundry(SonicFoundrySettings& out);

    const EncoderBlocks& blocks_;
    const std::vector<std::string>& outputs_;
    const uint32_t sampleRate_;
    bool fits_ = true;
};

// The LFE channel exists only from three front channels on.
uint8_t lfeFlag(int32_t codingMode, uint8_t lfe) {
    return codingMode >= 3 && lfe ? 1 : 0;
}

void SettingsFill::sonicFoundry(SonicFoundrySettings& out) {
    const SonicFoundryBlock& b = blocks_.sonicFoundry;
    out.dataRate = b.dataRate;
    out.sampleRateIndex = b.sampleRateIndex;
    out.codingMode = b.codingMode;
    out.useLfe = lfeFlag(b.codingMode, b.lfe);
    out.dialogNormalisation = b.dialogNormIndex;
    out.compressionType = b.compressionType;
    out.rfProtection = b.rfProtection;
    out.centreMixLevel = b.centreMixLevel;
    out.surroundMixLevel = b.surroundMixLevel;
    out.dolbySurround = b.dolbySurroundMode;
    out.deemphasis = b.deemphasis;
    out.dcFilter = b.dcFilter;
    out.bandwidthFilter = b.bandwidthFilter;
    out.lfeFilter = b.lfeFilter;
    out.phase90 = b.phase90;
    out.cut3dB = b.cut3dB;
    out.intelByteOrder = b.intelByteOrder;
    out.timeStamp = b.timeStamp;
    const uint32_t mask = sonicChannelMask(out.codingMode, out.useLfe != 0);
    for (int i = 0; i < kChannelSlots; ++i)
        if (mask & kSlotBit[i]) slot(out.channelFiles[i], b.slotStream[i]);
}

bool SettingsFill::fill(int32_t jobType, EncoderSettings& out) {
    const EncoderBlocks& b = blocks_;
    switch (jobType) {
    case static_cast<int32_t>(JobType::SurcodeCdPro):
        surcode(out.surcode, b.surcodeCdPro.monoStreamIndex);
        return true;
    case static_cast<int32_t>(JobType::SurcodeDvd):
        surcode(out.surcode, b.surcodeDvd.monoStreamIndex);
        out.surcode.dvdVariant = 1;
        out.surcode.attenuateRear = b.surcodeDvd.attenuateRear;
        out.surcode.dataRate = sampleRate_ != kDvdFullRateSampleRate       ? kDvdOtherDataRate
                               : b.surcodeDvd.dataRate == kDvdHighDataRate ? kDvdHighDataRate
                                                                           : kDvdLowDataRate;
        return true;
    case static_cast<int32_t>(JobType::TwoLame):
        input(out.twoLame);
        out.twoLame.mpegVersion = b.twoLame.mpegVersion;
        out.twoLame.bitrate = b.twoLame.bitrate;
        out.twoLame.channelMode = kTwoLameModes[twoLameModePosition(b.twoLame.channelMode)];
        return true;
    case static_cast<int32_t>(JobType::Ape):
        input(out.ape);
        out.ape.compressionLevel = b.ape.compressionLevel;
        return true;
    case static_cast<int32_t>(JobType::Flac):
        input(out.flac);
        out.flac.compressionLevel = b.flac.compressionLevel;
        out.flac.storeReplayGain = b.flac.storeReplayGain;
        out.flac.oggContainer = b.flac.oggContainer;
        return true;
    case static_cast<int32_t>(JobType::WavPack): {
        WavPackSettings& w = out.wavPack;
        input(w);
        w.lossless = b.wavPack.lossless;
        w.jointStereo = b.wavPack.jointStereo;
        w.copyTimestamp = b.wavPack.copyTimestamp;
        w.storeMd5 = b.wavPack.storeMd5;
        w.selfExtracting = b.wavPack.selfExtracting;
        // Only the chosen mode's fields travel.
        if (w.lossless) {
            w.losslessCompression = b.wavPack.losslessCompression;
        } else {
            w.hybridBitrate = b.wavPack.hybridBitrate;
            w.highQuality = b.wavPack.highQuality;
            w.correctionFile = b.wavPack.correctionFile;
        }
        return true;
    }
    case static_cast<int32_t>(JobType::NeroAac): {
        NeroAacSettings& n = out.neroAac;
        input(n);
        n.vbr = b.neroAac.vbr;
        n.constantBitrate = b.neroAac.constantBitrate;
        n.vbrPreset = b.neroAac.vbrPreset;
        n.heProfile = b.neroAac.heProfile;
        n.highQuality = b.neroAac.highQuality;
        n.pns = b.neroAac.pns;
        n.keepAllFrequencies = b.neroAac.keepAllFrequencies;
        n.isoAacOutput = b.neroAac.isoAacOutput;
        return true;
    }
    case static_cast<int32_t>(JobType::Mpc):
        input(out.mpc);
        out.mpc.qualityPreset = b.mpc.qualityPreset;
        return true;
    case static_cast<int32_t>(JobType::Lame): {
        LameSettings& l = out.lame;
        input(l);
        l.mpegVersion = b.lame.mpegVersion;
        l.bitrateMode = b.lame.bitrateMode;
        l.preset = b.lame.preset;
        l.vbrQuality = b.lame.vbrQuality;
        l.abrBitrate = b.lame.abrBitrate;
        l.constantBitrate = b.lame.constantBitrate;
        l.algorithmQuality = b.lame.algorithmQuality;
        return true;
    }
    case static_cast<int32_t>(JobType::OggVorbis):
        input(out.oggVorbis);
        out.oggVorbis.qualityMode = b.oggVorbis.qualityMode;
        out.oggVorbis.quality = b.oggVorbis.quality;
        out.oggVorbis.bitrate = b.oggVorbis.bitrate;
        return true;
    case static_cast<int32_t>(JobType::SonicFoundry):
        sonicFoundry(out.sonicFoundry);
        return true;
    case static_cast<int32_t>(JobType::Ac3Library): {
        Ac3LibrarySettings& a = out.ac3Library;
        input(a);
        a.dataRate = b.ac3Library.dataRate;
        a.sampleRate = b.ac3Library.sampleRate;
        a.codingMode = b.ac3Library.codingMode;
        a.lfe = lfeFlag(b.ac3Library.codingMode, b.ac3Library.lfe);
        return true;
    }
    default:
        return false;
    }
}

void fillSettingsArea(int32_t jobType, SettingsFill& fill, JobRecord& record, Notifier& notifier) {
    record.jobType = jobType;
    if (!fill.fill(jobType, record.settings)) {
        std::memset(&record.settings, 0, sizeof record.settings);
        notifier.warn(kNewFormatMessage);
    }
}

} // namespace

bool buildJobRecord(const FinishedJob& job, const ConversionSettings& settings,
                    const EncoderBlocks& encoders, JobRecord& record, Notifier& notifier) {
    std::memset(&record, 0, sizeof record);
    record.sampleRate = job.sampleRate;
    record.sampleType = static_cast<uint32_t>(job.sampleType);
    record.channelCount = static_cast<int32_t>(job.channels);
    record.frameCount = job.frames;
    record.peakLevel = job.peak;
    const std::string_view name = afterLastSeparator(fieldText(job.record->name));
    bool fits = setFieldText(record.jobName, name) &&
                setFieldText(record.outputDirectory, outputDirectoryFor(*job.record, settings)) &&
                setFieldText(record.baseName, withoutExtension(name));
    SettingsFill fill(encoders, job.outputPaths, job.sampleRate);
    fillSettingsArea(job.batcherOutputType, fill, record, notifier);
    return fits && fill.fits();
}

void buildPreviewRecord(int32_t jobType, const EncoderBlocks& encoders, JobRecord& record,
                        Notifier& notifier) {
    std::memset(&record, 0, sizeof record);
    const std::vector<std::string> noOutputs;
    SettingsFill fill(encoders, noOutputs, 0);
    fillSettingsArea(jobType, fill, record, notifier);
}

} // namespace corv
