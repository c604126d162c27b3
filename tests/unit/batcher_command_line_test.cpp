// Console command lines, the job-list texts of every job type, and Sonic's texts.
#include "batcher/encoders/command_line.h"
#include "batcher/encoders/job_description.h"
#include "batcher/encoders/sonic_text.h"
#include "batcher_test_support.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace corv {
namespace {

using enum JobType;

using test::buildCommand;
using test::makeJob;
using test::settingsWithPrograms;

// A job's settings, its job-list texts and, for a console encoder, its preview
// arguments (IN for "C:\somefile.wav", OUT for C:\someoutput) and progress hints.
struct JobTextCase {
    JobType type;
    EncoderSettings settings;
    const char* program;
    const char* description;
    const char* arguments = nullptr;
    const char* marker = "";
    char separator = 0;
    uint8_t firstOccurrence = 0;
};

TEST(BuildCommandLine, PreviewArgumentsProgressHintsAndDescriptionOfEveryJobType) {
    static const JobTextCase cases[] = {
        {TwoLame,
         EncoderSettings{.twoLame = {.mpegVersion = 1, .bitrate = 224, .channelMode = 's'}},
         "TwoLAME", "\tMPEG1   \r\n\tBitrate:224k  \r\n\tChannel mode:'s'\r\n",
         R"( -b 224 -m s IN "OUT.mp2" )", "Ancillary bits", '[', 0},
        {TwoLame, EncoderSettings{.twoLame = {.channelMode = 0x7F}}, "TwoLAME",
         "\tMPEG0   \r\n\tBitrate:0k  \r\n\tChannel mode:127\r\n"},
        {Ape, EncoderSettings{.ape = {.compressionLevel = 4000}}, "Ape (Monkey's audio)",
         "\tCompression:4000\r\n", R"( IN "OUT.ape" -c4000)", "Progress", ':', 0},
        {Flac, EncoderSettings{.flac = {.compressionLevel = 5, .storeReplayGain = 1}}, "FLAC",
         "\tCompression:5 \r\n\tStore replaygain:Yes \r\n\tUse Ogg container:No\r\n",
         R"( -5 --replay-gain  IN -o "OUT.flac")", "somefile", ':', 0},
        {Flac, EncoderSettings{.flac = {.compressionLevel = 8, .oggContainer = 5}}, "FLAC",
         "\tCompression:8 \r\n\tStore replaygain:No \r\n\tUse Ogg container:Yes\r\n",
         R"( -8  --ogg IN -o "OUT.flac")"},
        {WavPack,
         EncoderSettings{.wavPack = {.jointStereo = 1,
                                     .selfExtracting = 1,
                                     .hybridBitrate = 600,
                                     .highQuality = 1}},
         "WavPack",
         "\tFormat:Hybrid \r\n\tJoint Stereo:Yes \r\n\tCopy timestamp:No \r\n\tStore MD5:No \r\n"
         "\tSelfextr.:Yes\r\n\tBitratre:600 \r\n\tHQ:Yes \r\n\tCorr. file:No\r\n",
         R"(  -j1 -e -b600 -h IN "OUT.exe")", "somefile", ',', 0},
        {WavPack, EncoderSettings{.wavPack = {.lossless = 1, .copyTimestamp = 1}}, "WavPack",
         "\tFormat:Lossless \r\n\tJoint Stereo:No \r\n\tCopy timestamp:Yes \r\n\tStore MD5:No \r\n"
         "\tSelfextr.:No\r\n\tCompression:Fast\r\n",
         R"(  -j0 -t -f IN "OUT.wv")"},
        {WavPack,
         EncoderSettings{.wavPack = {.lossless = 1, .storeMd5 = 1, .losslessCompression = 1}},
         "WavPack",
         "\tFormat:Lossless \r\n\tJoint Stereo:No \r\n\tCopy timestamp:No \r\n\tStore MD5:Yes \r\n"
         "\tSelfextr.:No\r\n\tCompression:Normal\r\n",
         R"(  -j0 -m IN "OUT.wv")"},
        {WavPack,
         EncoderSettings{
             .wavPack = {.lossless = 2, .losslessCompression = -3, .correctionFile = 1}},
         "WavPack",
         "\tFormat:Lossless \r\n\tJoint Stereo:No \r\n\tCopy timestamp:No \r\n\tStore MD5:No \r\n"
         "\tSelfextr.:No\r\n\tCompression:High\r\n",
         R"(  -j0 -h IN "OUT.wv")"},
        {NeroAac,
         EncoderSettings{.neroAac = {.vbr = 1,
                                     .vbrPreset = 6,
                                     .heProfile = 1,
                                     .highQuality = 1,
                                     .pns = 1,
                                     .keepAllFrequencies = 1,
                                     .isoAacOutput = 1}},
         "Nero Fends",
         "\tVBR-Audiophile\r\n\tHE\r\n\tQuality:High \r\n\tPNS:Yes \r\n\tKeep freqs:Yes \r\n"
         "\tMP4:Yes\r\n",
         R"(  -vbr audiophile -profile HE -quality high -pns -k -aac IN "OUT.aac")", "Frame", '(',
         0},
        {NeroAac, EncoderSettings{.neroAac = {.constantBitrate = 128, .vbrPreset = 99}},
         "Nero Fends",
         "\tCBR, 128 kbps\r\n\tLC\r\n\tQuality:Fast \r\n\tPNS:No \r\n\tKeep freqs:No "
         "\r\n\tMP4:No\r\n",
         R"(  -cbr 128 -profile LC -quality fast IN "OUT.aac")"},
        {NeroAac, EncoderSettings{.neroAac = {.vbr = 1, .vbrPreset = 8}}, "Nero Fends",
         "\tVBR-8\r\n\tLC\r\n\tQuality:Fast \r\n\tPNS:No \r\n\tKeep freqs:No \r\n\tMP4:No\r\n",
         R"(  -vbr 8 -profile LC -quality fast IN "OUT.aac")"},
        {Mpc, EncoderSettings{.mpc = {.qualityPreset = 3}}, "MPC", "\tQuality: Xtreme\r\n",
         R"( --xtreme IN  "OUT.mpc")", "ETA", ' ', 1},
        {Mpc, EncoderSettings{}, "MPC", "\tQuality: Thumb\r\n", R"( --thumb IN  "OUT.mpc")"},
        {Mpc, EncoderSettings{.mpc = {.qualityPreset = -1}}, "MPC", "\tQuality: -1\r\n", ""},
        {Lame, EncoderSettings{.lame = {.mpegVersion = 1, .preset = 3, .algorithmQuality = 2}},
         "LAME (mp3)", "\tMPEG1\r\n\tpreset Insane\r\n\tquality:q2\r\n",
         R"(  --preset insane -q 2 IN "OUT.mp3")", "ETA", '(', 1},
        {Lame, EncoderSettings{.lame = {.mpegVersion = 2, .preset = 4, .algorithmQuality = 9}},
         "LAME (mp3)", "\tMPEG2\r\n\tpreset 4\r\n\tquality:q9\r\n", R"(  -q 9 IN "OUT.mp3")"},
        {Lame, EncoderSettings{.lame = {.bitrateMode = 1, .vbrQuality = 4}}, "LAME (mp3)",
         "\tMPEG0\r\n\tvbr quality:4\r\n\tquality:q0\r\n", R"(  -V 4 -q 0 IN "OUT.mp3")"},
        {Lame, EncoderSettings{.lame = {.bitrateMode = 2, .abrBitrate = 192}}, "LAME (mp3)",
         "\tMPEG0\r\n\tABR 192k\r\n\tquality:q0\r\n", R"(  --alt-preset 192 -q 0 IN "OUT.mp3")"},
        {Lame, EncoderSettings{.lame = {.bitrateMode = 3, .constantBitrate = 320}}, "LAME (mp3)",
         "\tMPEG0\r\n\tCBR 320k\r\n\tquality:q0\r\n",
         R"(  --alt-preset cbr 320 -q 0 IN "OUT.mp3")"},
        {Lame, EncoderSettings{.lame = {.bitrateMode = 4}}, "LAME (mp3)",
         "\tMPEG0\r\n\tquality:q0\r\n", R"(  -q 0 IN "OUT.mp3")"},
        {OggVorbis, EncoderSettings{.oggVorbis = {.qualityMode = 1, .quality = 5.0f}}, "Ogg Vorbis",
         "\tQuality:5.0\r\n", R"( -q 5.000000 IN -o "OUT.ogg")", "quality", '[', 1},
        {OggVorbis, EncoderSettings{.oggVorbis = {.bitrate = 160}}, "Ogg Vorbis",
         "\tBitrate:160\r\n", R"( -b 160 IN -o "OUT.ogg")", "reader", '[', 1},
        {SurcodeCdPro, EncoderSettings{}, "Surcode CD Pro DTS", "\tnone\r\n"},
        {SurcodeDvd, EncoderSettings{.surcode = {.dataRate = 1234, .attenuateRear = 1}},
         "Surcode DVD DTS", "\tAtt. rear:Yes   \r\n\tData rate:1234\r\n"},
        {Ac3Library,
         EncoderSettings{
             .ac3Library = {.dataRate = 448, .sampleRate = 48000, .codingMode = 7, .lfe = 1}},
         "Ac3 Encoder Dll",
         "\tdatarate:448\r\n\tsampelrate:48000\r\n\tmode:7\r\n\tinc. LFE:Yes\r\n"},
    };
    for (const JobTextCase& c : cases) {
        SCOPED_TRACE(c.description);
        auto job = makeJob(c.type);
        job->settings = c.settings;
        test::RecordingNotifier notifier;
        const JobDescription description = DescribeJob(*job, notifier);
        EXPECT_TRUE(description.known);
        EXPECT_EQ(description.programName, c.program);
        EXPECT_EQ(description.text, c.description);
        EXPECT_EQ(description.oneLine, oneLineOf(c.description));
        EXPECT_EQ(description.oneLine.find_first_of("\t\r\n"), std::string::npos);
        EXPECT_TRUE(notifier.messages.empty());
        if (!c.arguments) continue;
        auto built = buildCommand(*job, settingsWithPrograms(), true);
        ASSERT_TRUE(built->outcome.ok);
        const CommandLineRecord& record = *built->record;
        const std::string in = test::replaced(c.arguments, "IN", R"("C:\somefile.wav")");
        EXPECT_EQ(built->arguments(), test::replaced(in, "OUT", R"(C:\someoutput)"));
        EXPECT_EQ(fieldText(record.inputDirectory), "C:\\");
        if (*c.marker) { // the hints are the type's: given once for each
            EXPECT_EQ(fieldText(record.progressMarker), c.marker);
            EXPECT_EQ(record.progressSeparator, c.separator);
            EXPECT_EQ(record.firstOccurrence, c.firstOccurrence);
        }
        EXPECT_TRUE(built->notifier.messages.empty());
    }
}

TEST(BuildCommandLine, OtherJobTypesAndBadTwoLameModesLeaveTheRecordEmpty) {
    const CommandLineRecord empty{};
    for (int32_t type : {-1000, 0, 999, 1000, 1001, 1010, 1011, 1012}) {
        SCOPED_TRACE(type);
        auto built = std::make_unique<test::BuiltCommand>();
        std::memset(built->record.get(), 'x', sizeof empty);
        EXPECT_FALSE(BuildCommandLine(*makeJob(type), settingsWithPrograms(), true, *built->record,
                                      built->notifier)
                         .ok);
        EXPECT_EQ(std::memcmp(built->record.get(), &empty, sizeof empty), 0);
        ASSERT_EQ(built->notifier.messages.size(), 1u);
        EXPECT_EQ(
            built->notifier.messages[0],
            std::make_pair(std::string("Internal error: unknow format"), std::string("Quillmere")));
        // The job list knows the window encoders; any other type warns and has empty texts.
        if (type >= 1000 && type <= 1011) continue;
        test::RecordingNotifier notifier;
        const JobDescription description = DescribeJob(*makeJob(type), notifier);
        EXPECT_FALSE(description.known);
        EXPECT_EQ(description.programName + description.oneLine, "");
        ASSERT_EQ(notifier.messages.size(), 1u);
        EXPECT_EQ(notifier.messages[0],
                  std::make_pair(std::string(kUnknownJobFormatMessage), std::string("Quillmere")));
    }
    for (char mode : {'\0', '"', ' ', 'x'}) {
        auto job = makeJob(JobType::TwoLame);
        job->settings.twoLame.channelMode = mode;
        auto built = buildCommand(*job, settingsWithPrograms(), true);
        EXPECT_FALSE(built->outcome.ok);
        EXPECT_FALSE(built->outcome.error.empty());
        EXPECT_EQ(built->arguments(), "");
    }
}

std::unique_ptr<JobRecord> sonicJob(int32_t mode, uint8_t lfe) {
    auto job = makeJob(JobType::SonicFoundry);
    SonicFoundrySettings& s = job->settings.sonicFoundry;
    s.codingMode = mode;
    s.useLfe = lfe;
    const char* files[] = {"l.wav", "r.wav", "c.wav", "lfe.wav", "ls.wav", "rs.wav"};
    for (int slot = 0; slot < kChannelSlots; ++slot)
        setFieldText(s.channelFiles[slot], files[slot]);
    return job;
}

TEST(SonicTexts, PreviewMaskRealCommandAndTheParameterFileAndDescription) {
    const std::string head = "\"C:\\sf\\SFTENCDD.EXE\"  -A -P C:\\settings.ini -o C:\\out.ac3";
    struct {
        int32_t mode;
        uint8_t lfe;
        std::string tail;
    } cases[] = {
        {2, 0, " -L C:\\L.wav -R C:\\R.wav"},
        {1, 0, " -C C:\\C.wav"},
        {2, 1, " -L C:\\L.wav -R C:\\R.wav -e C:\\LFE.wav"},
        {7, 1,
         " -L C:\\L.wav -R C:\\R.wav -C C:\\C.wav -e C:\\LFE.wav -l C:\\SL.wav -r C:\\SR.wav"},
        {3, 0, " -L C:\\L.wav -R C:\\R.wav -C C:\\C.wav"},
        {4, 0, " -L C:\\L.wav -R C:\\R.wav -l C:\\SL.wav"},
        {5, 0, " -L C:\\L.wav -R C:\\R.wav -C C:\\C.wav -l C:\\SL.wav"},
        {6, 0, " -L C:\\L.wav -R C:\\R.wav -l C:\\SL.wav -r C:\\SR.wav"},
        {9, 1, " -e C:\\LFE.wav"},
        {0, 0, ""},
    };
    std::string command;
    for (const auto& c : cases) {
        ASSERT_TRUE(BuildSonicCommandLine(*sonicJob(c.mode, c.lfe), settingsWithPrograms(),
                                          "ignored.ini", true, command)
                        .ok);
        EXPECT_EQ(command, head + c.tail) << c.mode;
    }

    // The real command names the free output and the job's files.
    test::TempDir dir;
    auto job = sonicJob(3, 0);
    setFieldText(job->outputDirectory, dir.dir());
    setFieldText(job->baseName, "song");
    std::ofstream(dir.file("song.ac3")) << "x";
    ASSERT_TRUE(BuildSonicCommandLine(*job, settingsWithPrograms(), "P.ini", false, command).ok);
    EXPECT_EQ(command, "\"C:\\sf\\SFTENCDD.EXE\"  -A -P P.ini -o " + dir.file("song(1).ac3") +
                           " -L l.wav -R r.wav -C c.wav");
    setFieldText(job->settings.sonicFoundry.channelFiles[1], "C:\\Jane Doe\\a -o C:\\x.ac3.wav");
    ASSERT_TRUE(
        BuildSonicCommandLine(*job, settingsWithPrograms(), "C:\\Q Q\\P.ini", false, command).ok);
    EXPECT_EQ(command, "\"C:\\sf\\SFTENCDD.EXE\"  -A -P \"C:\\Q Q\\P.ini\" -o " +
                           dir.file("song(1).ac3") +
                           " -L l.wav -R \"C:\\Jane Doe\\a -o C:\\x.ac3.wav\" -C c.wav");
    job->jobType = static_cast<int32_t>(JobType::Lame);
    EXPECT_FALSE(BuildSonicCommandLine(*job, settingsWithPrograms(), "P.ini", false, command).ok);

    // Sonic's settings file, and its lines indented as the job list's description.
    job = makeJob(JobType::SonicFoundry);
    SonicFoundrySettings& s = job->settings.sonicFoundry;
    s.dataRate = 448, s.sampleRateIndex = 1, s.codingMode = 7, s.useLfe = 1,
    s.dialogNormalisation = 27;
    s.compressionType = 3, s.rfProtection = 0, s.centreMixLevel = 2, s.surroundMixLevel = 1,
    s.dolbySurround = 2;
    s.deemphasis = 0, s.dcFilter = 1, s.bandwidthFilter = 1, s.lfeFilter = 0, s.phase90 = 2,
    s.cut3dB = 0;
    s.intelByteOrder = 1, s.timeStamp = 1;
    const std::string plain =
        "[Parameters]\r\nDataRate=448\r\nSampleRate=1\r\nCodeMode=7\r\nUseLFE=On\r\n"
        "DlgNorm=27\r\nCompressionType=3\r\nRFCmpInUse=Off\r\nCMix=2\r\n"
        "SurMix=1\r\nDolbySurround=2\r\nDeemphasis=Off\r\nDCFilter=On\r\n"
        "BandWidthFilter=On\r\nLFEFilter=Off\r\nPhase90=On\r\n"
        "Cut3dB=Off\r\nTimeStamp=On\r\n";
    std::string indented = "\t" + test::replaced(plain, "\n", "\n\t");
    indented.pop_back(); // no tab after the last line
    EXPECT_EQ(BuildSonicIni(s, false), plain);
    EXPECT_EQ(BuildSonicIni(s, true), indented);
    test::RecordingNotifier notifier;
    const JobDescription description = DescribeJob(*job, notifier);
    EXPECT_EQ(description.programName, "Sonic Soft Encode");
    EXPECT_EQ(description.text, indented);
}

} // namespace
} // namespace corv
