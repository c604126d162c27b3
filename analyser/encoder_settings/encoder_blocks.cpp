#include "analyser/encoder_settings/encoder_blocks.h"

#include <string_view>

namespace corv {
namespace {

template <size_t N> void slotsInOrder(int32_t (&slots)[N]) {
    for (size_t i = 0; i < N; ++i)
        slots[i] = static_cast<int32_t>(i);
}

} // namespace

EncoderBlocks defaultEncoderBlocks() {
    EncoderBlocks b{};
    b.surcodeCdPro.dataRate = 1234;
    b.surcodeCdPro.sampleRate = 44100;
    b.surcodeCdPro.monoStreamCount = 6;
    slotsInOrder(b.surcodeCdPro.monoStreamIndex);

    b.surcodeDvd.dataRate = 768;
    b.surcodeDvd.sampleRate = 48000;
    b.surcodeDvd.monoStreamCount = 6;
    slotsInOrder(b.surcodeDvd.monoStreamIndex);

    b.twoLame = {.mpegVersion = 1, .channelMode = 's', .padding = {}, .bitrate = 192};
    b.ape.compressionLevel = 3000;
    b.flac.compressionLevel = 5;

    b.wavPack.lossless = 1;
    b.wavPack.jointStereo = 1;
    b.wavPack.losslessCompression = 2;
    b.wavPack.hybridBitrate = 800;
    b.wavPack.highQuality = 1;

    b.neroAac.vbr = 1;
    b.neroAac.constantBitrate = 160;
    b.neroAac.vbrPreset = 4;
    b.neroAac.heProfile = 1;
    b.neroAac.highQuality = 1;

    b.mpc.qualityPreset = 3;
    b.lame = {.mpegVersion = 1,
              .bitrateMode = 0,
              .preset = 1,
              .vbrQuality = 5,
              .abrBitrate = 192,
              .constantBitrate = 192,
              .algorithmQuality = 2};
    b.oggVorbis = {.qualityMode = 1, .padding = {}, .quality = 8.0f, .bitrate = 256};

    SonicFoundryBlock& sf = b.sonicFoundry;
    sf.dataRate = 448;
    sf.codingMode = 7;
    sf.lfe = 1;
    sf.dialogNormIndex = 26;
    sf.channelCount = 6;
    slotsInOrder(sf.slotStream);
    sf.lfeFilter = 1;
    sf.intelByteOrder = 1;

    Ac3LibraryBlock& ac3 = b.ac3Library;
    ac3.dataRate = 448;
    ac3.sampleRate = 48000;
    ac3.codingMode = 7;
    ac3.lfe = 1;
    ac3.channelCount = 6;
    slotsInOrder(ac3.slotSelection);
    return b;
}

int twoLameModePosition(char storedMode) {
    const size_t position = std::string_view(kTwoLameModes).find(storedMode);
    return position == std::string_view::npos ? 0 : static_cast<int>(position);
}

} // namespace corv
