// The file list's own decisions: cell texts, column places, sort order, row
// dragging, which paths become rows, and what a click means during a run.
#include "analyser/ui/list_additions.h"
#include "analyser/ui/list_cells.h"
#include "analyser/ui/list_order.h"
#include "analyser/ui/main_layout.h"
#include "analyser/ui/number_text.h"
#include "analyser/ui/user_actions.h"
#include "platform/path.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <tuple>

namespace corv {
namespace {

TEST(FileListCells, SizesLengthsWhatEachKindOfRowShowsAndWhereColumnsGo) {
    // The list's Size column in KB (halves rounded up) and in bytes, which
    // the properties viewer's size line shares: thousands grouped with dots.
    const std::tuple<int64_t, const char*, const char*> sizes[] = {
        {-1, "-", "UNK"},
        {0, "0 KB", "0 bytes"},
        {1023, "1 KB", "1.023 bytes"},
        {1536, "2 KB", "1.536 bytes"},
        {1024 * 999, "999 KB", "1.022.976 bytes"},
        {1024 * 1000 + 511, "1.000 KB", "1.024.511 bytes"},
        {999999, "977 KB", "999.999 bytes"},
        {1000000, "977 KB", "1.000.000 bytes"},
        {999999999, "976.562 KB", "999.999.999 bytes"},
        {1000000000, "976.563 KB", "1.000.000.000 bytes"},
        {4294967296, "4.194.304 KB", "4.294.967.296 bytes"},
        {12345678901234, "12.056.327.052 KB", "12345.678.901.234 bytes"},
        {int64_t{5} << 40, "5.368.709.120 KB", "5497.558.138.880 bytes"},
    };
    for (auto [bytes, inKB, inBytes] : sizes) {
        EXPECT_EQ(sizeText(bytes, true), inKB) << bytes;
        EXPECT_EQ(sizeText(bytes, false), inBytes) << bytes;
        EXPECT_EQ(fileSizeText(bytes), inBytes) << bytes;
    }
    EXPECT_EQ(lengthText(44100, 44100), "00:01.000");
    EXPECT_EQ(lengthText(int64_t{3 * 3600 * 1000 + 5} * 48, 48000), "03:00:00.005");
    EXPECT_EQ(lengthText(90500 * 8, 8000), "01:30.500");
    EXPECT_EQ(lengthText(44099, 44100), "00:00.999");
    EXPECT_EQ(lengthText(3600 * 44100, 44100), "01:00:00.000");
    AudioFileRecord added;
    setFieldText(added.name, "a.wav");
    setFieldText(added.directory, "C:\\x");
    added.fileSize = 1536;
    added.format = FileFormat::Unanalysed;
    AudioFileRecord unknown = added;
    unknown.format = FileFormat::NotRecognised;
    AudioFileRecord converted = added;
    converted.format = FileFormat::WaveFormatEx;
    converted.channels = 6;
    converted.sampleRate = 48000;
    converted.frameCount = 96000;
    converted.result = ConversionResult::Processed;
    converted.peak = 0.123456;
    AudioFileRecord failed = converted;
    failed.result = ConversionResult::Failed;
    AudioFileRecord silent = converted; // no frames, a peak of exactly 0
    silent.frameCount = 0;
    silent.peak = 0;

    using Row = std::array<const char*, kListColumnCount>; // nullptr: cell left as it is
    const std::pair<const AudioFileRecord*, Row> rows[] = {
        {&added,
         {"a.wav", "C:\\x", "2 KB", nullptr, nullptr, nullptr, "Not analysed", nullptr, nullptr}},
        {&unknown,
         {"a.wav", "C:\\x", "2 KB", nullptr, nullptr, nullptr, "Unknown", nullptr, nullptr}},
        {&converted,
         {"a.wav", "C:\\x", "2 KB", "00:02.000", "6", "48000", "Wav Ext.", "Succes", "0.12346"}},
        {&failed, {"a.wav", "C:\\x", "2 KB", "00:02.000", "6", "48000", "Wav Ext.", "ERR", "-"}},
        {&silent,
         {"a.wav", "C:\\x", "2 KB", nullptr, "6", "48000", "Wav Ext.", "Succes", "0.00000"}},
    };
    for (const auto& [record, expected] : rows)
        for (const ListColumnInfo& info : kListColumns) {
            const char* want = expected[static_cast<size_t>(info.column)];
            EXPECT_EQ(cellText(*record, info.column, true).value_or("<kept>"),
                      want ? want : "<kept>")
                << info.header;
            // A row that took this record from another (a drag) keeps nothing of it.
            EXPECT_EQ(freshCellText(*record, info.column, true), want ? want : "") << info.header;
        }
    ConversionSettings settings = defaultConversionSettings(); // Size hidden
    EXPECT_EQ(columnInsertPosition(settings, ListColumn::Path), 1);
    EXPECT_EQ(columnInsertPosition(settings, ListColumn::Size), 2);
    EXPECT_EQ(columnInsertPosition(settings, ListColumn::PeakConv), 7);
    std::fill(std::begin(settings.showColumn), std::end(settings.showColumn), 0);
    *columnSwitch(settings, ListColumn::Type) = 1;
    EXPECT_EQ(columnInsertPosition(settings, ListColumn::PeakConv), 2);
    EXPECT_EQ(columnInsertPosition(settings, ListColumn::Length), 1);
    EXPECT_EQ(columnOfHeader("Sample Rate"), ListColumn::SampleRate);
    EXPECT_EQ(columnOfHeader("sample rate"), std::nullopt);
}

TEST(FileListOrder, ClicksToggleDirectionComparisonsKeepTheirSignAndDragsStayInside) {
    int key = 0;
    const std::pair<ListColumn, int> clicks[] = {{ListColumn::Size, -20},
                                                 {ListColumn::Size, 20},
                                                 {ListColumn::Size, -20},
                                                 {ListColumn::Type, -40},
                                                 {ListColumn::Size, -20}};
    for (auto [column, expected] : clicks)
        EXPECT_EQ(key = toggledSortKey(key, column), expected);

    AudioFileRecord small, large;
    small.fileSize = 1;
    large.fileSize = 1 + (int64_t{1} << 32); // the same low 32 bits
    small.peak = 0.5;
    large.peak = 0.7;
    small.sampleRate = 0; // no length: before any file with a rate
    large.sampleRate = 44100;
    for (int magnitude : {20, 25, 50}) {
        EXPECT_EQ(compareForSort(small, large, -magnitude), -1) << magnitude;
        EXPECT_EQ(compareForSort(small, large, magnitude), 1) << magnitude;
        EXPECT_EQ(compareForSort(large, large, -magnitude), 0) << magnitude;
    }
    AudioFileRecord tenSeconds, twentySeconds; // the shorter file has more frames
    tenSeconds.sampleRate = 48000;
    tenSeconds.frameCount = 480000;
    twentySeconds.sampleRate = 8000;
    twentySeconds.frameCount = 160000;
    EXPECT_EQ(compareForSort(tenSeconds, twentySeconds, -25), -1);
    setFieldText(small.name, "b.wav");
    setFieldText(large.name, "B.wav");
    EXPECT_EQ(compareForSort(small, large, -10), 1); // byte order: 'B' < 'b'
    struct Case {
        std::vector<int> selected;
        int delta;
        std::vector<int> order; // original row indices after the drag
    } cases[] = {
        {{2, 3}, -5, {2, 3, 0, 1, 4, 5}}, // stops with the first selected row at row 0
        {{2, 3}, -1, {0, 2, 3, 1, 4, 5}},
        {{1, 3}, 9, {0, 5, 2, 1, 4, 3}}, // the last selected row stops at the end
        {{0, 5}, -1, {0, 1, 2, 3, 4, 5}},
        {{4}, 0, {0, 1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        std::vector<int> rows(6);
        std::iota(rows.begin(), rows.end(), 0);
        for (RowExchange e : dragExchanges(c.selected, c.delta, 6))
            std::swap(rows.at(e.row), rows.at(e.with));
        EXPECT_EQ(rows, c.order) << c.delta;
    }
}

TEST(MainWindowRules, OpenAnswersThePathsTheListTakesAndWhatClicksMeanWhileConverting) {
    const std::string sep(1, kPathSeparator);
    using namespace std::string_literals;
    EXPECT_EQ(pathsOfOpenAnswer("C:" + sep + "a.wav\0"s, true),
              std::vector<std::string>{"C:" + sep + "a.wav"});
    EXPECT_EQ(pathsOfOpenAnswer("C:" + sep + "m\0a.wav\0b.wav\0\0"s, false),
              (std::vector<std::string>{"C:" + sep + "m" + sep + "a.wav",
                                        "C:" + sep + "m" + sep + "b.wav"}));
    EXPECT_EQ(pathsOfOpenAnswer("C:" + sep + "\0a.wav\0\0"s, false),
              std::vector<std::string>{"C:" + sep + "a.wav"});
    EXPECT_TRUE(pathsOfOpenAnswer(""s, false).empty());

    test::TempDir temp;
    const std::string file = temp.file("a.wav");
    test::writeFile(file, test::Bytes(10, 0));
    const std::string tooLong = temp.dir() + std::string(kLongestListPath, 'x');
    const std::string longest = tooLong.substr(tooLong.size() - kLongestListPath);
    std::unordered_set<std::string> listed;
    AudioFileRecord record;
    EXPECT_EQ(prepareListEntry(tooLong, listed, record), AddVerdict::TooLong);
    EXPECT_EQ(prepareListEntry(longest, listed, record), AddVerdict::Skip); // fits, not there
    EXPECT_EQ(prepareListEntry(temp.dir(), listed, record), AddVerdict::Skip);
    EXPECT_EQ(prepareListEntry(temp.file("missing.wav"), listed, record), AddVerdict::Skip);
    ASSERT_EQ(prepareListEntry(file, listed, record), AddVerdict::Add);
    EXPECT_EQ(fieldText(record.path), file);
    listed.insert(file);
    EXPECT_EQ(prepareListEntry(file, listed, record), AddVerdict::Skip);
    EXPECT_EQ(tooLongMessage({tooLong, file}),
              "2 file(s) not added: a path may be at most 519 characters long.\n" + tooLong +
                  "\n(and 1 more)");
    EXPECT_EQ(tooLongMessage({file}).find("more"), std::string::npos);
    for (UserAction action :
         {UserAction::Add, UserAction::DropFiles, UserAction::Delete, UserAction::ClearList,
          UserAction::Analyse, UserAction::Sort, UserAction::Properties})
        EXPECT_EQ(decideAction(action, true), Verdict::Refuse);
    EXPECT_EQ(decideAction(UserAction::Convert, true), Verdict::Ignore);
    EXPECT_EQ(decideAction(UserAction::Drag, true), Verdict::Ignore);
    EXPECT_EQ(decideAction(UserAction::Delete, false), Verdict::Go);
    EXPECT_EQ(decideAction(UserAction::SelectAll, true), Verdict::Go);
    EXPECT_EQ(decideProperties(0), PropertiesChoice::Nothing);
    EXPECT_EQ(decideProperties(1), PropertiesChoice::Open);
    EXPECT_EQ(decideProperties(2), PropertiesChoice::SelectOne);
    // A focused edit box keeps the keys that edit its text; the others stay the program's.
    EXPECT_TRUE(keyStaysWithEditBox(ProgramKey::Delete) &&
                keyStaysWithEditBox(ProgramKey::SelectAll));
    EXPECT_FALSE(keyStaysWithEditBox(ProgramKey::Other));

    EXPECT_EQ(atLeastMinimum({120, 500}).width, kMainMinWidth);
    EXPECT_EQ(atLeastMinimum({120, 500}).height, 500);
    EXPECT_EQ(atLeastMinimum({640, 100}).height, kMainMinHeight);
}

} // namespace
} // namespace corv
