// The print manager on a device of fixed metrics: how the columns share the
// line, how many pages a table takes and where its rows, caption rows, footer
// row and page footers land.

#include "TestEximKit.h"
#include "UException.h"
#include "UPrint.h"
#include "UPrintLayout.h"
#include "UTextConst.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <vector>

using namespace tv;
using tv::testkit::TRecordingDevice;

namespace {

// The share-out as whole rounds of single increments, the way a person would
// do it by hand; only for positive relative widths.
std::vector<int32_t> ShareByHand(const std::vector<int32_t>& rel, int32_t available)
{
    std::vector<int32_t> w(rel.size(), 0);
    size_t last = 0;
    while (available > 0)
        for (size_t i = 0; i < rel.size() && available > 0; ++i) {
            w[i] += rel[i];
            available -= rel[i];
            last = i;
        }
    w[last] += available;
    return w;
}

TEST(ColumnWidths, ShareTheLineExactly)
{
    struct TCase {
        const char* Name;
        std::vector<int32_t> Rel;
        int32_t Available;
        std::vector<int32_t> Expected;
    };
    const TCase cases[] = {
        {"partial round gives the earlier column more", {3, 3}, 10, {6, 4}},
        {"one column wider than the line", {7}, 5, {5}},
        {"zero width column gets nothing", {0, 5}, 12, {0, 12}},
        {"negative width column gets nothing", {-4, 2, 2}, 9, {0, 5, 4}},
        {"no positive width: no loop, all zero", {0, 0}, 10, {0, 0}},
        {"nothing to share", {4, 16}, 0, {0, 0}},
        {"negative line", {4, 16}, -30, {0, 0}},
        {"no columns", {}, 100, {}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ShareColumnWidths(c.Rel, c.Available), c.Expected) << c.Name;
}

TEST(ColumnWidths, AgreeWithRoundsByHand)
{
    std::mt19937 rnd(7);
    for (int n = 0; n < 2000; ++n) {
        std::vector<int32_t> rel(1 + rnd() % 8);
        for (int32_t& r : rel)
            r = 1 + int32_t(rnd() % 20);
        const int32_t available = int32_t(rnd() % 5000);
        const std::vector<int32_t> w = ShareColumnWidths(rel, available);
        ASSERT_EQ(w, ShareByHand(rel, available)) << "case " << n;
        ASSERT_EQ(std::accumulate(w.begin(), w.end(), 0), available);
    }
}

TEST(ColumnWidths, GrowToTheirTextsFromTheWidestOthers)
{
    struct TCase {
        const char* Name;
        std::vector<int32_t> Widths, Needed, Expected;
    };
    const TCase cases[] = {
        {"texts that fit change nothing", {40, 160, 30}, {0, 100, 30}, {40, 160, 30}},
        {"the widest column gives", {40, 160, 50, 30}, {0, 0, 0, 80}, {40, 110, 50, 80}},
        {"never below its own need, then the next widest", {60, 160, 30}, {0, 150, 60}, {40, 150, 60}},
        {"only what the others can spare", {20, 30, 10}, {20, 30, 45}, {20, 30, 10}},
        {"needs of several columns: the name down to its need, then the widest left", {40, 160, 50, 50, 50, 30, 60},
         {0, 120, 0, 0, 80, 70, 90}, {40, 120, 20, 20, 80, 70, 90}},
        {"no columns", {}, {}, {}},
    };
    for (const TCase& c : cases) {
        const std::vector<int32_t> w = FitColumnsToTexts(c.Widths, c.Needed);
        EXPECT_EQ(w, c.Expected) << c.Name;
        EXPECT_EQ(std::accumulate(w.begin(), w.end(), 0), std::accumulate(c.Widths.begin(), c.Widths.end(), 0))
            << c.Name;
    }
}

class PrintManagerTest : public ::testing::Test {
protected:
    PrintManagerTest() { LoadEnglishTexts(); }

    // A report of rows rows of two columns; a row's first cell is "r<n>".
    void PrintRows(TPrintManager& pm, int rows)
    {
        pm.BeginReport("List");
        pm.AddTable({"C1", "C2"}, {1, 1}, {false, true}, rows, {"F1", "F2"});
        for (int i = 1; i <= rows; ++i)
            pm.AddRow({"r" + std::to_string(i), "x"});
        pm.EndReport();
    }

    // Per page, the first cells of the table lines in order: captions "C1",
    // rows "r<n>", footer "F1", and the page footer text.
    std::vector<std::string> Pages() const
    {
        std::vector<std::string> pages(1);
        for (const std::string& line : FDevice.Log) {
            if (line == "page")
                pages.emplace_back();
            else if (line.rfind("text ", 0) == 0) {
                const std::string text = line.substr(line.find(" f") + 6);
                const bool tableText = std::string("CrF(").find(text[0]) != std::string::npos;
                if (tableText && text != "C2" && text != "F2")
                    pages.back() += (pages.back().empty() ? "" : " ") + text;
            }
        }
        return pages;
    }

    TRecordingDevice FDevice;
};

TEST_F(PrintManagerTest, ReadsItsGeometryFromThePrinter)
{
    TPrintManager pm(FDevice);
    EXPECT_EQ(pm.Margin(), 100);
    EXPECT_EQ(pm.RightEdge(), 3150);
    pm.BeginReport("List");
    pm.AddTable({"a", "b", "c", "d", "e", "f", "g"}, {4, 16, 5, 5, 5, 3, 6},
                std::vector<bool>(7, false), 0, std::vector<std::string>(7));
    const std::vector<int32_t>& w = pm.ColumnWidths();
    EXPECT_EQ(std::accumulate(w.begin(), w.end(), 0), 3150 - 100);
    EXPECT_NEAR(double(w[1]) / w[0], 4.0, 0.05);
}

// A text filling its cell ends where the next cell's text may begin no
// sooner than a blank (10 units here) later, at either alignment; the first
// cell starts at the margin.
TEST_F(PrintManagerTest, CellsAfterTheFirstKeepABlankAtTheirLeft)
{
    TPrintManager pm(FDevice);
    pm.BeginReport("List");
    pm.AddTable({"Code", "Name", "Price"}, {4, 16, 5}, {false, false, true}, 1, {"", "", ""});
    const std::vector<int32_t>& w = pm.ColumnWidths();
    FDevice.Log.clear();
    pm.AddRow({"20000001", "Кава мелена 1 кг", "99'999.99"});
    ASSERT_GE(FDevice.Log.size(), 3u);
    const int32_t x1 = 100 + w[0], x2 = x1 + w[1];
    EXPECT_EQ(FDevice.Log[0], "text 100,29-" + std::to_string(x1) + ",41 f2 L 20000001");
    EXPECT_EQ(FDevice.Log[1], "text " + std::to_string(x1 + 10) + ",29-" + std::to_string(x2) + ",41 f2 L Кава мелена 1 кг");
    EXPECT_EQ(FDevice.Log[2], "text " + std::to_string(x2 + 10) + ",29-3150,41 f2 R 99'999.99");
}

// The list's columns on a line of 3050 units, letters of 30: the 8-digit
// total of packs and a blank (270) is wider than the packs column's share
// (207), so are the amounts; they take their room from the name column,
// and every footer is drawn in a box that holds it.
TEST_F(PrintManagerTest, FootersPrintWhole)
{
    FDevice.CharWidth = 30;
    TPrintManager pm(FDevice);
    pm.BeginReport("List");
    const std::vector<std::string> footers = {"", "Names total: 7", "", "", "42'949'671.99", "48969120",
                                              "42'949'672.95"};
    pm.AddTable({"Code", "Name", "Price", "Date", "Qnt", "Pks", "Cost"}, {4, 16, 5, 5, 5, 3, 6},
                std::vector<bool>(7, true), 0, footers);
    const std::vector<int32_t>& w = pm.ColumnWidths();
    EXPECT_EQ(std::accumulate(w.begin(), w.end(), 0), 3050);
    EXPECT_LT(w[1], 3050 * 16 / 44);
    std::vector<std::string> drawn;
    for (const std::string& line : FDevice.Log) {
        const size_t font = line.find(" f1 R ");
        if (line.rfind("text ", 0) != 0 || font == std::string::npos) continue;
        const std::string text = line.substr(font + 6);
        if (std::find(footers.begin(), footers.end(), text) == footers.end()) continue;
        int left = 0, right = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "text %d,%*d-%d", &left, &right), 2) << line;
        EXPECT_GE(right - left, int(text.size()) * 30) << line;
        drawn.push_back(text);
    }
    EXPECT_EQ(drawn, (std::vector<std::string>{"Names total: 7", "42'949'671.99", "48969120", "42'949'672.95"}));
}

// Page height 99: the table starts at 15 below the page header, the caption
// row ends at 29, rows of 12 end on the limit 89 after five rows.
TEST_F(PrintManagerTest, RowsGoOnPagesWithTheFooterKeptByTheLastRow)
{
    struct TCase {
        const char* Name;
        int Rows;
        std::vector<std::string> Pages;
    };
    const TCase cases[] = {
        {"no rows: caption row, footer row, page 1 of 1", 0, {"(page 1 of 1) C1 F1"}},
        {"three rows and the footer fit", 3, {"(page 1 of 1) C1 r1 r2 r3 F1"}},
        {"the footer does not fit after the fourth: the last row moves with it", 4,
         {"(page 1 of 2) C1 r1 r2 r3", "(page 2 of 2) C1 r4 F1"}},
        {"five rows fill page 1 exactly: the last still moves", 5,
         {"(page 1 of 2) C1 r1 r2 r3 r4", "(page 2 of 2) C1 r5 F1"}},
        {"rows that fill page 1 exactly stay; the sixth starts page 2", 6,
         {"(page 1 of 2) C1 r1 r2 r3 r4 r5", "(page 2 of 2) C1 r6 F1"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        FDevice.Log.clear();
        TPrintManager pm(FDevice);
        PrintRows(pm, c.Rows);
        EXPECT_EQ(Pages(), c.Pages);
        EXPECT_FALSE(FDevice.Open);
    }
}

TEST_F(PrintManagerTest, AnnouncedPageCountIsThePrintedOneForAnyLength)
{
    for (int32_t height : {67, 80, 99, 150, 1000})
        for (int rows = 0; rows <= 120; ++rows) {
            FDevice.Height = height;
            FDevice.Log.clear();
            TPrintManager pm(FDevice);
            PrintRows(pm, rows);
            const std::vector<std::string> pages = Pages();
            const std::string count = " of " + std::to_string(pages.size()) + ")";
            for (size_t p = 0; p < pages.size(); ++p) {
                SCOPED_TRACE("height " + std::to_string(height) + ", rows " +
                             std::to_string(rows) + ", page " + std::to_string(p + 1));
                ASSERT_EQ(pages[p].rfind("(page " + std::to_string(p + 1) + count + " C1", 0), 0u)
                    << pages[p];
                ASSERT_NE(pages[p].substr(pages[p].size() - 2), "C1") << "caption row alone";
            }
            ASSERT_NE(pages.back().find(" F1"), std::string::npos);
            if (rows > 0) {
                ASSERT_EQ(pages.back().find(" C1 F1"), std::string::npos) << "footer row alone";
            }
        }
}

TEST_F(PrintManagerTest, RowsAreShadedInTurnAndEachPageBeginsUnshaded)
{
    TPrintManager pm(FDevice);
    PrintRows(pm, 6);
    std::string shades;
    for (const std::string& line : FDevice.Log) {
        if (line.rfind("fill ", 0) == 0)
            shades += "#";
        else if (line.rfind("text ", 0) == 0 && line.find(" r") != std::string::npos)
            shades += line.substr(line.rfind(' ') + 1) + " ";
        else if (line == "page")
            shades += "| ";
    }
    // The fill comes before its row's texts; caption and footer rows are never filled.
    EXPECT_EQ(shades, "r1 #r2 r3 #r4 r5 | r6 ");
    EXPECT_NE(std::find(FDevice.Log.begin(), FDevice.Log.end(), "fill 100,41-3150,53 16250871"),
              FDevice.Log.end());
}

TEST_F(PrintManagerTest, TitleAndDateShareThePageHeaderAtTheMiddle)
{
    FDevice.CharWidth = 100;
    TPrintManager pm(FDevice);
    const std::string title(400, 'T');
    pm.BeginReport(title);
    pm.EndReport();
    ASSERT_GE(FDevice.Log.size(), 3u);
    EXPECT_EQ(FDevice.Log[1].substr(0, 24), "text 100,0-1575,10 f0 L ");
    const std::string& date = FDevice.Log[2];
    EXPECT_EQ(date.substr(0, 10), "text 1575,") << date;
    EXPECT_NE(date.find("-3150,10 f0 R  "), std::string::npos) << date;
    // The seconds are left out: " dd Month yyyy, hh:nn ".
    EXPECT_EQ(date[date.size() - 4], ':') << date;
    EXPECT_EQ(date.back(), ' ');
    // A report without a table still has its page footer.
    EXPECT_EQ(FDevice.Log[3], "text 100,89-3150,99 f0 R (page 1 of 1)");
}

TEST_F(PrintManagerTest, WrongUseFailsWithItsAssertion)
{
    TPrintManager pm(FDevice);
    auto message = [](auto&& call) {
        try {
            call();
        } catch (const EAssertionFailed& e) {
            return e.Text();
        }
        return std::string("no assertion");
    };
    EXPECT_EQ(message([&] { pm.AddTable({"a"}, {1}, {false}, 1, {""}); }), "Report must be started");
    pm.BeginReport("x");
    EXPECT_EQ(message([&] { pm.AddRow({"a"}); }), "Table not added");
    pm.AddTable({"a"}, {1}, {false}, 1, {""});
    EXPECT_EQ(message([&] { pm.AddTable({"a"}, {1}, {false}, 1, {""}); }), "Table already added");
    EXPECT_EQ(message([&] { pm.AddRow({"a", "b"}); }), "Invalid values count");
}

TEST_F(PrintManagerTest, APageTooSmallForOneRowIsAnErrorNotALoop)
{
    // Header 15 + caption 14 + row 12 + footer row 14 = 55 must end on the
    // limit: height 64 is one unit short.
    for (int32_t height : {64, 20, 0, -5}) {
        FDevice.Height = height;
        TPrintManager pm(FDevice);
        pm.BeginReport("x");
        try {
            pm.AddTable({"a"}, {1}, {false}, 3, {""});
            ADD_FAILURE() << "height " << height << " accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Printer initializing error");
        }
        pm.AbortReport();
        EXPECT_TRUE(FDevice.Aborted);
        EXPECT_FALSE(FDevice.Open);
    }
    FDevice.Height = 65;
    TPrintManager pm(FDevice);
    PrintRows(pm, 3);
    EXPECT_EQ(Pages(), (std::vector<std::string>{"(page 1 of 2) C1 r1 r2", "(page 2 of 2) C1 r3 F1"}));
}

TEST_F(PrintManagerTest, NoPrinterRaisesThePrinterError)
{
    FDevice.Printers = false;
    TPrintManager pm(FDevice);
    try {
        pm.BeginReport("x");
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Printer initializing error");
    }
    EXPECT_FALSE(pm.Started());
}

} // namespace
