// The "Program" and "Settings" texts of a job-list row for every job type.
#include "batcher/encoders/job_description.h"
#include "batcher_test_support.h"

#include <gtest/gtest.h>

#include <functional>

namespace corv {
namespace {

using enum JobType;

using test::makeJob;
using test::RecordingNotifier;

struct DescriptionCase {
    const char* what;
    JobType type;
    std::function<void(EncoderSettings&)> fill;
    std::string program;
    std::string text;
};

TEST(DescribeJob, ProgramNameAndDescriptionOfEveryJobType) {
    const DescriptionCase cases[] = {
        {"Surcode CD", SurcodeCdPro, [](EncoderSettings&) {}, "Surcode CD Pro DTS", "\tnone\r\n"},
        {"Surcode DVD", SurcodeDvd,
         [](EncoderSettings& s) { s.surcode.attenuateRear = 1, s.surcode.dataRate = 1234; },
         "Surcode DVD DTS", "\tAtt. rear:Yes   \r\n\tData rate:1234\r\n"},
        {"TwoLAME", TwoLame,
         [](EncoderSettings& s) {
             s.twoLame.mpegVersion = 1, s.twoLame.bitrate = 224, s.twoLame.channelMode = 's';
         },
         "TwoLAME", "\tMPEG1   \r\n\tBitrate:224k  \r\n\tChannel mode:'s'\r\n"},
        {"TwoLAME unprintable mode", TwoLame, [](EncoderSettings& s) { s.twoLame.channelMode = 7; },
         "TwoLAME", "\tMPEG0   \r\n\tBitrate:0k  \r\n\tChannel mode:7\r\n"},
        {"Ape", Ape, [](EncoderSettings& s) { s.ape.compressionLevel = 3000; },
         "Ape (Monkey's audio)", "\tCompression:3000\r\n"},
        {"FLAC", Flac,
         [](EncoderSettings& s) { s.flac.compressionLevel = 6, s.flac.oggContainer = 5; }, "FLAC",
         "\tCompression:6 \r\n\tStore replaygain:No \r\n\tUse Ogg container:Yes\r\n"},
        {"WavPack lossless", WavPack,
         [](EncoderSettings& s) {
             s.wavPack.lossless = 1, s.wavPack.losslessCompression = 1, s.wavPack.storeMd5 = 1;
         },
         "WavPack",
         "\tFormat:Lossless \r\n\tJoint Stereo:No \r\n\tCopy timestamp:No \r\n\tStore MD5:Yes \r\n"
         "\tSelfextr.:No\r\n\tCompression:Normal\r\n"},
        {"WavPack lossless other", WavPack,
         [](EncoderSettings& s) { s.wavPack.lossless = 1, s.wavPack.losslessCompression = -3; },
         "WavPack",
         "\tFormat:Lossless \r\n\tJoint Stereo:No \r\n\tCopy timestamp:No \r\n\tStore MD5:No \r\n"
         "\tSelfextr.:No\r\n\tCompression:High\r\n"},
        {"WavPack hybrid", WavPack,
         [](EncoderSettings& s) {
             s.wavPack.jointStereo = 1, s.wavPack.selfExtracting = 1, s.wavPack.hybridBitrate = 600;
             s.wavPack.highQuality = 1;
         },
         "WavPack",
         "\tFormat:Hybrid \r\n\tJoint Stereo:Yes \r\n\tCopy timestamp:No \r\n\tStore MD5:No \r\n"
         "\tSelfextr.:Yes\r\n\tBitratre:600 \r\n\tHQ:Yes \r\n\tCorr. file:No\r\n"},
        {"Nero VBR", NeroAac,
         [](EncoderSettings& s) {
             s.neroAac.vbr = 1, s.neroAac.vbrPreset = 7, s.neroAac.isoAacOutput = 1;
         },
         "Nero Fends",
         "\tVBR-Transcoding\r\n\tLC\r\n\tQuality:Fast \r\n\tPNS:No \r\n\tKeep freqs:No "
         "\r\n\tMP4:Yes\r\n"},
        {"Nero VBR out of range", NeroAac,
         [](EncoderSettings& s) { s.neroAac.vbr = 1, s.neroAac.vbrPreset = -2; }, "Nero Fends",
         "\tVBR--2\r\n\tLC\r\n\tQuality:Fast \r\n\tPNS:No \r\n\tKeep freqs:No \r\n\tMP4:No\r\n"},
        {"Nero CBR", NeroAac,
         [](EncoderSettings& s) {
             s.neroAac.constantBitrate = 96, s.neroAac.heProfile = 1, s.neroAac.highQuality = 1;
             s.neroAac.pns = 1, s.neroAac.keepAllFrequencies = 1;
         },
         "Nero Fends",
         "\tCBR, 96 kbps\r\n\tHE\r\n\tQuality:High \r\n\tPNS:Yes \r\n\tKeep freqs:Yes "
         "\r\n\tMP4:No\r\n"},
        {"MPC", Mpc, [](EncoderSettings& s) { s.mpc.qualityPreset = 0; }, "MPC",
         "\tQuality: Thumb\r\n"},
        {"MPC out of range", Mpc, [](EncoderSettings& s) { s.mpc.qualityPreset = 4; }, "MPC",
         "\tQuality: 4\r\n"},
        {"LAME preset", Lame,
         [](EncoderSettings& s) {
             s.lame.mpegVersion = 1, s.lame.preset = 3, s.lame.algorithmQuality = 2;
         },
         "LAME (mp3)", "\tMPEG1\r\n\tpreset Insane\r\n\tquality:q2\r\n"},
        {"LAME preset out of range", Lame,
         [](EncoderSettings& s) { s.lame.mpegVersion = 2, s.lame.preset = 12; }, "LAME (mp3)",
         "\tMPEG2\r\n\tpreset 12\r\n\tquality:q0\r\n"},
        {"LAME VBR", Lame,
         [](EncoderSettings& s) { s.lame.bitrateMode = 1, s.lame.vbrQuality = 4; }, "LAME (mp3)",
         "\tMPEG0\r\n\tvbr quality:4\r\n\tquality:q0\r\n"},
        {"LAME ABR", Lame,
         [](EncoderSettings& s) { s.lame.bitrateMode = 2, s.lame.abrBitrate = 192; }, "LAME (mp3)",
         "\tMPEG0\r\n\tABR 192k\r\n\tquality:q0\r\n"},
        {"LAME CBR", Lame,
         [](EncoderSettings& s) { s.lame.bitrateMode = 3, s.lame.constantBitrate = 320; },
         "LAME (mp3)", "\tMPEG0\r\n\tCBR 320k\r\n\tquality:q0\r\n"},
        {"LAME mode out of range", Lame, [](EncoderSettings& s) { s.lame.bitrateMode = -1; },
         "LAME (mp3)", "\tMPEG0\r\n\tquality:q0\r\n"},
        {"Ogg quality", OggVorbis,
         [](EncoderSettings& s) { s.oggVorbis.qualityMode = 1, s.oggVorbis.quality = 5.0f; },
         "Ogg Vorbis", "\tQuality:5.0\r\n"},
        {"Ogg bitrate", OggVorbis, [](EncoderSettings& s) { s.oggVorbis.bitrate = 128; },
         "Ogg Vorbis", "\tBitrate:128\r\n"},
        {"AC3 library", Ac3Library,
         [](EncoderSettings& s) {
             s.ac3Library.dataRate = 448, s.ac3Library.sampleRate = 48000,
             s.ac3Library.codingMode = 7;
             s.ac3Library.lfe = 1;
         },
         "Ac3 Encoder Dll",
         "\tdatarate:448\r\n\tsampelrate:48000\r\n\tmode:7\r\n\tinc. LFE:Yes\r\n"},
    };
    for (const DescriptionCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto job = makeJob(c.type);
        c.fill(job->settings);
        RecordingNotifier notifier;
        JobDescription description = DescribeJob(*job, notifier);
        EXPECT_TRUE(description.known);
        EXPECT_EQ(description.programName, c.program);
        EXPECT_EQ(description.text, c.text);
        EXPECT_EQ(description.oneLine, oneLineOf(c.text));
        EXPECT_EQ(description.oneLine.find_first_of("\t\r\n"), std::string::npos);
        EXPECT_TRUE(notifier.messages.empty());
    }
}

TEST(DescribeJob, AnUnknownJobTypeWarnsAndGivesEmptyTexts) {
    for (int32_t type : {0, 999, 1012, -1000}) {
        RecordingNotifier notifier;
        JobDescription description = DescribeJob(*makeJob(type), notifier);
        EXPECT_FALSE(description.known);
        EXPECT_EQ(description.programName, "");
        EXPECT_EQ(description.oneLine, "");
        ASSERT_EQ(notifier.messages.size(), 1u);
        EXPECT_EQ(notifier.messages[0].first, "ohoh... new format is not configured");
        EXPECT_EQ(notifier.messages[0].second, "Quillmere");
    }
}

} // namespace
} // namespace corv
