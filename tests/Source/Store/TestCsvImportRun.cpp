// The CSV import's work without a dialog on a stock book in a fault
// environment: the answers to bad lines, the step between groups, a group
// that fails, the counts, the names' white space in UTF-8 and 1251 files,
// and the file read through the environment with its bound.

#include "StoreTestKit.h"

#include "UCodePage.h"
#include "UCsvImportRun.h"
#include "UDatFile.h"
#include "UFaultEnv.h"
#include "UFileEnv.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <ostream>
#include <stdexcept>

using namespace tv;
using namespace tv::testkit;

namespace {

constexpr int32_t Group = TDatFile::MaxGroupRecords;

// A line of a Russian export: an 8-digit code as a text cell, a name,
// goods by weight.
std::string Line(int i, const std::string& name = {})
{
    return "=\"" + std::to_string(48200000 + i) + "\";" + (name.empty() ? "Сир ваговий " + std::to_string(i) : name) +
           ";12,35;;0,46;1;5,68;\r\n";
}

std::string Lines(int from, int to)
{
    std::string text;
    for (int i = from; i < to; ++i)
        text += Line(i);
    return text;
}

class CsvImportRun : public ::testing::Test {
protected:
    CsvImportRun()
    {
        LoadEnglishTexts();
        std::filesystem::create_directory(FFolder.Path() + "Data");
        FStore.SetEnv(&FEnv);
        FStore.Open(true, "Data");
    }
    ~CsvImportRun() override
    {
        FEnv.ClearFaults();
        FStore.Close();
    }

    // Runs the import of the text under Russian separators; each question
    // is answered from answers in turn (skip when they are out) and noted
    // with the goods then in stock, each step between groups with the lines
    // it was given and the goods then in stock.
    TCsvImportRun::TSummary Import(const std::string& text, std::vector<bool> answers = {})
    {
        TCsvImportRun run(
            FStore, {';', ','}, "Import from file list.csv",
            [this, answers](const std::string& line) {
                Asked.push_back(line);
                AskedWithStock.push_back(FStore.Goods().RecordCount());
                AskedOnDisk.push_back(GoodsOnDisk());
                const size_t i = Asked.size() - 1;
                return i < answers.size() ? bool(answers[i]) : true;
            },
            [this](uint32_t received) {
                Between.push_back(int32_t(received));
                BetweenStock.push_back(FStore.Goods().RecordCount());
            });
        return run.Run(text);
    }

    // The goods the disk holds now, as a start after a power cut finds them.
    int32_t GoodsOnDisk() const
    {
        const std::unique_ptr<TFaultEnv> disk = FEnv.Crash({});
        TRecordingMessages messages;
        TStore store;
        store.SetEnv(disk.get());
        store.Open(false, "Data");
        return store.Repair().ImportCut ? -1 : store.Goods().RecordCount();
    }

    // The goods' codes and names in the order they came.
    std::string Goods()
    {
        std::string out;
        TTableStore& g = FStore.Goods();
        g.SetIndex(g.IndID.get());
        for (g.First(); !g.Eof(); g.Next())
            out += g.Code.GetText() + "|" + g.Name.GetText() + "\n";
        return out;
    }

    TProgramFolder FFolder;
    TFaultEnv FEnv;
    TStore FStore;
    std::vector<std::string> Asked;
    std::vector<int32_t> AskedWithStock, AskedOnDisk, Between, BetweenStock;
};

// The answers to bad lines: every line before a question is in stock when
// it is asked; skip goes on and counts the line, stop ends the import there
// with the lines before it.
struct TBadLineCase {
    const char* Name;
    std::vector<bool> Answers;
    std::vector<int32_t> AskedWithStock;
    uint32_t Received, Skipped;
    bool Aborted;
    std::vector<int32_t> Between;
};

void PrintTo(const TBadLineCase& c, std::ostream* out) { *out << c.Name; }

class CsvImportBadLines : public CsvImportRun, public ::testing::WithParamInterface<TBadLineCase> {};

TEST_P(CsvImportBadLines, StoresBeforeAskingAndFollowsTheAnswer)
{
    const TBadLineCase& c = GetParam();
    // Three good lines, a line of five fields, two good lines, a negative
    // package count, a line more than a group long, a good line.
    const std::string text = "Код;Наименование;Цена;Дата;К-во;Упк;Стоимость;\r\n" + Lines(0, 3) +
                             "=\"1\";A;1,00;;1,00\r\n" + Lines(3, 5) + "=\"2\";B;1,00;;1,00;-1;1,00;\r\n" +
                             Lines(5, 5 + Group + 10) + Line(9999);
    const TCsvImportRun::TSummary s = Import(text, c.Answers);
    EXPECT_FALSE(s.Failure);
    EXPECT_EQ(Asked.size(), c.AskedWithStock.size());
    EXPECT_EQ(AskedWithStock, c.AskedWithStock);
    EXPECT_EQ(AskedOnDisk, c.AskedWithStock) << "on the disk when asked";
    if (!Asked.empty()) {
        EXPECT_EQ(Asked[0], "=\"1\";A;1,00;;1,00");
    }
    EXPECT_EQ(s.Received, c.Received);
    EXPECT_EQ(s.Skipped, c.Skipped);
    EXPECT_EQ(s.Aborted, c.Aborted);
    EXPECT_EQ(FStore.Goods().RecordCount(), int32_t(c.Received));
    EXPECT_EQ(FStore.Moves().RecordCount(), int32_t(c.Received));
    EXPECT_EQ(Between, c.Between);
    EXPECT_EQ(BetweenStock, c.Between);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CsvImportBadLines,
    ::testing::Values(
        TBadLineCase{"SkipBoth", {true, true}, {3, 5}, 5 + Group + 11, 2, false, {3, 5, 5 + Group, 5 + Group + 11}},
        TBadLineCase{"SkipThenStop", {true, false}, {3, 5}, 5, 1, true, {3, 5}},
        TBadLineCase{"StopAtTheFirst", {false}, {3}, 3, 0, true, {3}}),
    [](const auto& info) { return std::string(info.param.Name); });

// A group is stored at a time: the step between groups comes once for each,
// with every line so far in stock, the last group's too.
TEST_F(CsvImportRun, StepsBetweenGroupsOncePerStoredGroup)
{
    const TCsvImportRun::TSummary s = Import(Lines(0, 2500));
    EXPECT_FALSE(s.Failure);
    EXPECT_EQ(s.Received, 2500u);
    EXPECT_EQ(s.Skipped, 0u);
    const std::vector<int32_t> groups = {Group, 2 * Group, 2500};
    EXPECT_EQ(Between, groups);
    EXPECT_EQ(BetweenStock, groups);
    EXPECT_TRUE(Asked.empty());
    EXPECT_EQ(FStore.Moves().RecordCount(), 2500);
    EXPECT_EQ(GoodsOnDisk(), 2500) << "on the disk when the run returns";
}

// A group that cannot be written stops the import; the groups before it
// stay and are counted, and so is every group once both files' records
// were written, when only a count after them fails.
struct TFailedGroupCase {
    const char* Name;
    // A group writes the movements' header of the group before and its
    // movements, then the same of the goods; the last group's headers follow.
    int FailingWrite;
    uint32_t Received;
    std::vector<int32_t> Between;
};

void PrintTo(const TFailedGroupCase& c, std::ostream* out) { *out << c.Name; }

class CsvImportFailedGroup : public CsvImportRun, public ::testing::WithParamInterface<TFailedGroupCase> {};

TEST_P(CsvImportFailedGroup, StopsWithTheGroupsStored)
{
    const TFailedGroupCase& c = GetParam();
    FEnv.FailWrite(c.FailingWrite);
    const TCsvImportRun::TSummary s = Import(Lines(0, 2 * Group + 100));
    FEnv.ClearFaults();
    ASSERT_TRUE(s.Failure);
    EXPECT_THROW(std::rethrow_exception(s.Failure), std::exception);
    EXPECT_EQ(s.Received, c.Received);
    EXPECT_FALSE(s.Aborted);
    EXPECT_EQ(FStore.Goods().RecordCount(), int32_t(c.Received));
    EXPECT_EQ(FStore.Moves().RecordCount(), int32_t(c.Received));
    EXPECT_EQ(Between, c.Between);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, CsvImportFailedGroup,
    ::testing::Values(TFailedGroupCase{"FirstGroupsGoods", 2, 0, {}},
                      TFailedGroupCase{"FirstGroupsMovementsCount", 3, uint32_t(Group), {Group}},
                      TFailedGroupCase{"SecondGroupsMovements", 4, uint32_t(Group), {Group}},
                      TFailedGroupCase{"FirstGroupsGoodsCount", 5, uint32_t(Group), {Group}},
                      TFailedGroupCase{"LastGroupsMovementsCount", 11, uint32_t(2 * Group + 100), {Group, 2 * Group}},
                      TFailedGroupCase{"LastGroupsGoodsCount", 12, uint32_t(2 * Group + 100), {Group, 2 * Group}}),
    [](const auto& info) { return std::string(info.param.Name); });

// A callback that raises stops the import like a failed group; what was
// stored stays counted.
TEST_F(CsvImportRun, ACallbackFailureStopsTheImport)
{
    TCsvImportRun run(
        FStore, {';', ','}, "", [](const std::string&) -> bool { throw std::runtime_error("box"); },
        [](uint32_t) {});
    const TCsvImportRun::TSummary s = run.Run(Lines(0, 2) + "bad\r\n" + Lines(2, 4));
    ASSERT_TRUE(s.Failure);
    EXPECT_EQ(s.Received, 2u);
    EXPECT_EQ(FStore.Goods().RecordCount(), 2);
}

// The white space around a name goes before its length counts, in UTF-8
// and in 1251 files: blanks, tabs, no-break spaces; inside it stays.
TEST_F(CsvImportRun, NamesLoseTheWhiteSpaceAroundThem)
{
    const std::string name40 = "Олія соняшникова рафінована Щедрий лан 1";
    const std::string text = Line(1, " \t " + name40 + "  ") + Line(2, "\"\xC2\xA0Чай  зелений\xC2\xA0\"") +
                             Line(3, "\t\xC2\xA0 \t") + Line(4, name40 + " л");
    for (const bool cp1251 : {false, true}) {
        SCOPED_TRACE(cp1251 ? "1251" : "UTF-8");
        Asked.clear();
        const TCsvImportRun::TSummary s = Import(cp1251 ? Utf8ToCp1251(text) : text);
        EXPECT_EQ(s.Received, 3u);
        ASSERT_EQ(Asked.size(), 1u);
        EXPECT_EQ(Asked[0], Line(4, name40 + " л").substr(0, Line(4, name40 + " л").size() - 2));
    }
    const std::string once = "48200001|" + name40 + "\n48200002|Чай  зелений\n48200003|\n";
    EXPECT_EQ(Goods(), once + once);
}

TEST(CsvTrimWhiteSpace, TakesWhatTheNameEditTakes)
{
    const struct {
        std::string Text, Trimmed;
    } cases[] = {
        {"", ""},
        {" \t\r\n\v\f", ""},
        {"  Чай \t", "Чай"},
        {"\xC2\xA0\xC2\x85Tea\xE3\x80\x80", "Tea"},          // no-break space, U+0085, ideographic space
        {"\xE2\x80\xA8\xE2\x80\x89" "a b\xE2\x80\xAF", "a b"}, // line separator, thin and narrow spaces
        {"\xE2\x80\x8BTea\xE2\x80\x8B", "\xE2\x80\x8BTea\xE2\x80\x8B"},  // a zero-width space is none
        {"\xC2 Tea \xA0", "\xC2 Tea \xA0"},                      // bytes that start no character
        {"\xC0\xA0Tea", "\xC0\xA0Tea"},                          // a blank's overlong encoding
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrimWhiteSpace(c.Text), c.Trimmed) << c.Text;
}

// The file goes through the file environment: its bytes, the system's
// reason for a missing file or a folder, and a file over the bound refused
// with nothing read.
TEST(CsvImportFile, ReadsThroughTheEnvironment)
{
    TFaultEnv env;
    std::string bytes = "left";
    EXPECT_EQ(ReadCsvImportFile(env, "/in/missing.csv", bytes), ENOENT);
    env.SetContents("/in/list.csv", "=\"1\";A;1,00;;1,00;1;1,00;\r\n");
    EXPECT_EQ(ReadCsvImportFile(env, "/in/list.csv", bytes), 0);
    EXPECT_EQ(bytes, "=\"1\";A;1,00;;1,00;1;1,00;\r\n");
    // A file one byte over the bound, holes after a good line: it takes no
    // room on the disk.
    TTempFolder folder("tv-csv-");
    const std::string over = folder.Path() + "/over.csv";
    WriteFile(over, "=\"1\";A;1,00;;1,00;1;1,00;\r\n");
    std::filesystem::resize_file(over, MaxCsvImportBytes + 1);
    bytes.clear();
    EXPECT_EQ(ReadCsvImportFile(*TFileEnv::Default(), over, bytes), CsvFileTooLarge);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(ReadCsvImportFile(*TFileEnv::Default(), folder.Path(), bytes), EISDIR);
    EXPECT_EQ(ReadCsvImportFile(*TFileEnv::Default(), folder.Path() + "/missing.csv", bytes), ENOENT);
}

} // namespace
