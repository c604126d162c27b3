// Creating list records: which paths are taken, how they are split, the
// initial values, and refusal of what does not fit.
#include "analyser/analysis/audio_file_record.h"
#include "platform/path.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

namespace corv {
namespace {

const std::string sep(1, kPathSeparator);

TEST(DirectoryOfPath, DropsTheLastSeparatorUnlessItIsTheFirst) {
    EXPECT_EQ(directoryOfPath("C:" + sep + "a.wav"), "C:" + sep);
    EXPECT_EQ(directoryOfPath(sep + "a.wav"), sep);
    EXPECT_EQ(directoryOfPath("C:" + sep + "music" + sep + "a.wav"), "C:" + sep + "music");
    EXPECT_EQ(directoryOfPath(sep + sep + "server" + sep + "share" + sep + "a.wav"),
              sep + sep + "server" + sep + "share");
    EXPECT_EQ(directoryOfPath("C:" + sep + "music" + sep), "C:" + sep + "music");
    EXPECT_EQ(directoryOfPath("a.wav"), "");
    EXPECT_EQ(directoryOfPath(""), "");
}

TEST(AudioFileRecord, AnAddedFileGetsAFreshRecordAndRefusedPathsNone) {
    test::TempDir temp;
    const std::string path = temp.file("take one.wav");
    test::writeFile(path, test::Bytes(1234, 7));
    AudioFileRecord record; // whatever was there before is replaced
    record.channels = 9, record.peak = 0.5, record.frameCount = 7;
    record.format = FileFormat::WavePcm, record.result = ConversionResult::Failed;
    ASSERT_TRUE(initAudioFileRecord(record, path));
    EXPECT_EQ(fieldText(record.path), path);
    EXPECT_EQ(fieldText(record.name), "take one.wav");
    EXPECT_EQ(std::string(fieldText(record.directory)) + kPathSeparator, temp.dir());
    EXPECT_EQ(record.fileSize, 1234);
    EXPECT_EQ(
        std::tuple(record.channels, record.peak, record.frameCount, record.format, record.result),
        std::tuple(0u, -1.0, int64_t{0}, FileFormat::Unanalysed, ConversionResult::NotConverted));
    EXPECT_EQ(measureFileSize(temp.file("none")), -1);

    // Refused paths leave the record as it was.
    EXPECT_FALSE(initAudioFileRecord(record, ""));
    EXPECT_FALSE(initAudioFileRecord(record, temp.file("missing.wav")));
    EXPECT_FALSE(initAudioFileRecord(record, temp.dir()));
    std::string folder = temp.dir();
    folder.pop_back();
    EXPECT_FALSE(initAudioFileRecord(record, folder));

    // A name that opens but has no separator in it.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(temp.path());
    const bool plainAccepted = initAudioFileRecord(record, "take one.wav");
    std::filesystem::current_path(previous);
    EXPECT_FALSE(plainAccepted);

    EXPECT_EQ(fieldText(record.path), path);
    EXPECT_EQ(record.fileSize, 1234);
}

// A real file whose full path has exactly `length` bytes, or "" when the
// file system will not hold it.
std::string fileWithPathLength(const test::TempDir& temp, size_t length) {
    std::string dir = temp.dir();
    // Folders of at most 200 characters keep every name within common limits.
    while (length > dir.size() + 200 + 1 + 10) {
        dir += std::string(200, 'd') + sep;
        std::error_code error;
        std::filesystem::create_directory(dir, error);
        if (error) return "";
    }
    if (length <= dir.size() + 4) return "";
    std::string path = dir + std::string(length - dir.size() - 4, 'n') + ".wav";
    try {
        test::writeFile(path, {1});
    } catch (const std::exception&) {
        return "";
    }
    return std::filesystem::exists(path) ? path : "";
}

TEST(AudioFileRecord, PathsMustFitTheTextFields) {
    test::TempDir temp;
    const std::string longest = fileWithPathLength(temp, kPathFieldSize - 1);
    const std::string tooLong = fileWithPathLength(temp, kPathFieldSize);
    if (longest.empty() || tooLong.empty()) GTEST_SKIP() << "paths this long cannot be made here";
    ASSERT_EQ(longest.size(), 519u);
    AudioFileRecord record;
    ASSERT_TRUE(initAudioFileRecord(record, longest));
    EXPECT_EQ(fieldText(record.path), longest);
    EXPECT_EQ(fieldText(record.name), afterLastSeparator(longest));
    // Never shortened into the name of some other file.
    ASSERT_EQ(tooLong.size(), 520u);
    EXPECT_FALSE(initAudioFileRecord(record, tooLong));
    EXPECT_EQ(fieldText(record.path), longest);
}

} // namespace
} // namespace corv
