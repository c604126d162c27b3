// Console command lines and the Sonic Foundry command and parameter texts.
#include "batcher/encoders/command_line.h"
#include "batcher/encoders/job_description.h"
#include "batcher/encoders/sonic_text.h"
#include "batcher_test_support.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>

namespace corv {
namespace {

using enum JobType;

using test::buildCommand;
using test::makeJob;

BatcherSettings settingsWithPrograms() {
    BatcherSettings settings = defaultBatcherSettings();
    setFieldText(settings.programPath[8], "C:\\tools\\lame.exe");
    setFieldText(settings.programPath[10], "C:\\sf\\SFTENCDD.EXE");
    return settings;
}

struct PreviewCase {
    const char* what;
    JobType type;
    std::function<void(EncoderSettings&)> fill;
    std::string arguments;
    std::string marker;
    char separator;
    uint8_t firstOccurrence;
};

const std::string kIn = "\"C:\\somefile.wav\"";
std::string out(const char* extension) {
    return std::string("\"C:\\someoutput") + extension + "\"";
}

TEST(BuildCommandLine, PreviewArgumentsAndProgressHintsOfEveryConsoleEncoder) {
    const PreviewCase cases[] = {
        {"TwoLAME", TwoLame,
         [](EncoderSettings& s) { s.twoLame.bitrate = 192, s.twoLame.channelMode = 'j'; },
         " -b 192 -m j " + kIn + " " + out(".mp2") + " ", "Ancillary bits", '[', 0},
        {"Ape", Ape, [](EncoderSettings& s) { s.ape.compressionLevel = 4000; },
         " " + kIn + " " + out(".ape") + " -c4000", "Progress", ':', 0},
        {"FLAC", Flac,
         [](EncoderSettings& s) { s.flac.compressionLevel = 5, s.flac.storeReplayGain = 1; },
         " -5 --replay-gain  " + kIn + " -o " + out(".flac"), "somefile", ':', 0},
        {"FLAC in Ogg", Flac,
         [](EncoderSettings& s) { s.flac.compressionLevel = 8, s.flac.oggContainer = 1; },
         " -8  --ogg " + kIn + " -o " + out(".flac"), "somefile", ':', 0},
        {"WavPack hybrid", WavPack,
         [](EncoderSettings& s) {
             s.wavPack.jointStereo = 1, s.wavPack.hybridBitrate = 600, s.wavPack.highQuality = 1;
         },
         "  -j1 -b600 -h " + kIn + " " + out(".wv"), "somefile", ',', 0},
        {"WavPack self-extracting", WavPack,
         [](EncoderSettings& s) {
             s.wavPack.jointStereo = 1, s.wavPack.hybridBitrate = 600, s.wavPack.highQuality = 1;
             s.wavPack.selfExtracting = 1;
         },
         "  -j1 -e -b600 -h " + kIn + " " + out(".exe"), "somefile", ',', 0},
        {"WavPack lossless fast", WavPack,
         [](EncoderSettings& s) {
             s.wavPack.lossless = 1, s.wavPack.copyTimestamp = 1, s.wavPack.storeMd5 = 1;
         },
         "  -j0 -t -m -f " + kIn + " " + out(".wv"), "somefile", ',', 0},
        {"WavPack lossless high, correction file ignored", WavPack,
         [](EncoderSettings& s) {
             s.wavPack.lossless = 2, s.wavPack.losslessCompression = 7,
             s.wavPack.correctionFile = 1;
         },
         "  -j0 -h " + kIn + " " + out(".wv"), "somefile", ',', 0},
        {"Nero VBR", NeroAac,
         [](EncoderSettings& s) {
             s.neroAac.vbr = 1, s.neroAac.vbrPreset = 6, s.neroAac.heProfile = 1,
             s.neroAac.highQuality = 1;
             s.neroAac.pns = 1, s.neroAac.keepAllFrequencies = 1, s.neroAac.isoAacOutput = 1;
         },
         "  -vbr audiophile -profile HE -quality high -pns -k -aac " + kIn + " " + out(".aac"),
         "Frame", '(', 0},
        {"Nero CBR", NeroAac,
         [](EncoderSettings& s) { s.neroAac.constantBitrate = 128, s.neroAac.vbrPreset = 99; },
         "  -cbr 128 -profile LC -quality fast " + kIn + " " + out(".aac"), "Frame", '(', 0},
        {"Nero VBR preset out of range", NeroAac,
         [](EncoderSettings& s) { s.neroAac.vbr = 1, s.neroAac.vbrPreset = 8; },
         "  -vbr 8 -profile LC -quality fast " + kIn + " " + out(".aac"), "Frame", '(', 0},
        {"MPC", Mpc, [](EncoderSettings& s) { s.mpc.qualityPreset = 3; },
         " --xtreme " + kIn + "  " + out(".mpc"), "ETA", ' ', 1},
        {"MPC preset out of range", Mpc, [](EncoderSettings& s) { s.mpc.qualityPreset = -1; }, "",
         "ETA", ' ', 1},
        {"LAME preset", Lame,
         [](EncoderSettings& s) { s.lame.preset = 1, s.lame.algorithmQuality = 2; },
         "  --preset standard -q 2 " + kIn + " " + out(".mp3"), "ETA", '(', 1},
        {"LAME VBR", Lame,
         [](EncoderSettings& s) { s.lame.bitrateMode = 1, s.lame.vbrQuality = 4; },
         "  -V 4 -q 0 " + kIn + " " + out(".mp3"), "ETA", '(', 1},
        {"LAME ABR", Lame,
         [](EncoderSettings& s) { s.lame.bitrateMode = 2, s.lame.abrBitrate = 192; },
         "  --alt-preset 192 -q 0 " + kIn + " " + out(".mp3"), "ETA", '(', 1},
        {"LAME CBR", Lame,
         [](EncoderSettings& s) { s.lame.bitrateMode = 3, s.lame.constantBitrate = 320; },
         "  --alt-preset cbr 320 -q 0 " + kIn + " " + out(".mp3"), "ETA", '(', 1},
        {"LAME preset out of range", Lame,
         [](EncoderSettings& s) { s.lame.preset = 4, s.lame.algorithmQuality = 9; },
         "  -q 9 " + kIn + " " + out(".mp3"), "ETA", '(', 1},
        {"LAME mode out of range", Lame, [](EncoderSettings& s) { s.lame.bitrateMode = 4; },
         "  -q 0 " + kIn + " " + out(".mp3"), "ETA", '(', 1},
        {"Ogg quality", OggVorbis,
         [](EncoderSettings& s) { s.oggVorbis.qualityMode = 1, s.oggVorbis.quality = 5.0f; },
         " -q 5.000000 " + kIn + " -o " + out(".ogg"), "quality", '[', 1},
        {"Ogg bitrate", OggVorbis, [](EncoderSettings& s) { s.oggVorbis.bitrate = 160; },
         " -b 160 " + kIn + " -o " + out(".ogg"), "reader", '[', 1},
    };
    for (const PreviewCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto job = makeJob(c.type);
        c.fill(job->settings);
        auto built = buildCommand(*job, settingsWithPrograms(), true);
        ASSERT_TRUE(built->outcome.ok);
        const CommandLineRecord& record = *built->record;
        EXPECT_EQ(built->arguments(), c.arguments);
        EXPECT_EQ(fieldText(record.inputDirectory), "C:\\");
        EXPECT_EQ(fieldText(record.progressMarker), c.marker);
        EXPECT_EQ(record.progressSeparator, c.separator);
        EXPECT_EQ(record.firstOccurrence, c.firstOccurrence);
        EXPECT_TRUE(built->notifier.messages.empty());
    }
}

TEST(BuildCommandLine, OtherJobTypesAndBadTwoLameModesLeaveTheRecordEmpty) {
    const CommandLineRecord empty{};
    for (int32_t type : {0, 1000, 1001, 1010, 1011, 1012}) {
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

TEST(BuildSonicCommandLine, PreviewChannelOptionsFollowTheChannelMask) {
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
    for (const auto& c : cases) {
        std::string command;
        ASSERT_TRUE(BuildSonicCommandLine(*sonicJob(c.mode, c.lfe), settingsWithPrograms(),
                                          "ignored.ini", true, command)
                        .ok);
        EXPECT_EQ(command, head + c.tail) << c.mode;
    }
}

TEST(BuildSonicCommandLine, RealCommandNamesTheFreeOutputAndTheJobFiles) {
    test::TempDir dir;
    auto job = sonicJob(3, 0);
    setFieldText(job->outputDirectory, dir.dir());
    setFieldText(job->baseName, "song");
    std::ofstream(dir.file("song.ac3")) << "x";
    std::string command;
    ASSERT_TRUE(BuildSonicCommandLine(*job, settingsWithPrograms(), "P.ini", false, command).ok);
    EXPECT_EQ(command, "\"C:\\sf\\SFTENCDD.EXE\"  -A -P P.ini -o " + dir.file("song(1).ac3") +
                           " -L l.wav -R r.wav -C c.wav");
    job->jobType = static_cast<int32_t>(JobType::Lame);
    EXPECT_FALSE(BuildSonicCommandLine(*job, settingsWithPrograms(), "P.ini", false, command).ok);
}

// The settings file of a Sonic Foundry job, and the same lines indented as
// the job list's description.
TEST(BuildSonicIni, PlainAndIndentedParameterTexts) {
    auto job = makeJob(JobType::SonicFoundry);
    SonicFoundrySettings& s = job->settings.sonicFoundry;
    s.dataRate = 448, s.sampleRateIndex = 1, s.codingMode = 7, s.useLfe = 1,
    s.dialogNormalisation = 27;
    s.compressionType = 3, s.rfProtection = 0, s.centreMixLevel = 2, s.surroundMixLevel = 1,
    s.dolbySurround = 2;
    s.deemphasis = 0, s.dcFilter = 1, s.bandwidthFilter = 1, s.lfeFilter = 0, s.phase90 = 2,
    s.cut3dB = 0;
    s.intelByteOrder = 1, s.timeStamp = 1;
    const char* lines[] = {"DataRate=448",       "SampleRate=1",   "CodeMode=7",
                           "UseLFE=On",          "DlgNorm=27",     "CompressionType=3",
                           "RFCmpInUse=Off",     "CMix=2",         "SurMix=1",
                           "DolbySurround=2",    "Deemphasis=Off", "DCFilter=On",
                           "BandWidthFilter=On", "LFEFilter=Off",  "Phase90=On",
                           "Cut3dB=Off",         "TimeStamp=On"};
    std::string plain = "[Parameters]\r\n", indented = "\t[Parameters]\r\n";
    for (const char* line : lines) {
        plain += std::string(line) + "\r\n";
        indented += "\t" + std::string(line) + "\r\n";
    }
    EXPECT_EQ(BuildSonicIni(s, false), plain);
    EXPECT_EQ(BuildSonicIni(s, true), indented);
    test::RecordingNotifier notifier;
    const JobDescription description = DescribeJob(*job, notifier);
    EXPECT_EQ(description.programName, "Sonic Soft Encode");
    EXPECT_EQ(description.text, indented);
}

} // namespace
} // namespace corv
