// The stock book: the two files, every stock operation with its pre-check
// at the capacity limits, re-pricing, deletion, totals and searches.

#include "StoreTestKit.h"

#include "UDateTime.h"
#include "UDatFile.h"
#include "UException.h"
#include "UFaultEnv.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

using namespace tv;
using namespace tv::testkit;

namespace {

// A stock book opened on in-memory files in the folder Data.
class StoreTest : public ::testing::Test {
protected:
    StoreTest()
    {
        LoadEnglishTexts();
        std::filesystem::create_directory(FFolder.Path() + "Data");
        FStore.SetEnv(&FEnv);
        FStore.Open(true, "Data");
    }

    std::string File(const char* name) const { return FFolder.Path() + "Data/" + name; }

    TProgramFolder FFolder;
    TRecordingMessages FMessages;
    TFaultEnv FEnv;
    TStore FStore;
};

TEST_F(StoreTest, FilesHoldTheFieldsInOrder)
{
    // Name, type id and width of each field; the primary key marked by its
    // next key value.
    auto layout = [](TDatFile& f) {
        std::string t;
        for (const TFieldDesc& d : f.GetDescs())
            t += std::string(reinterpret_cast<const char*>(d.Name) + 1, d.Name[0]) + ":" +
                 std::to_string(d.TypeId) + ":" + std::to_string(d.DataSize) +
                 (d.NextKeyValue > 0 ? ":key " : " ");
        return t;
    };
    TDatHeader h;
    FStore.Goods().GetHeader(h);
    EXPECT_EQ(h.RecordSize, 8 + 76);
    EXPECT_EQ(layout(FStore.Goods()), "ID:1:4:key Code:2:8 Name:2:40 PCount:1:4 Weight:5:4 "
                                      "Cost:5:4 Sum:5:4 LastDate:4:8 ");
    FStore.Moves().GetHeader(h);
    EXPECT_EQ(h.RecordSize, 8 + 76);
    EXPECT_EQ(layout(FStore.Moves()), "ID:1:4:key IDStore:1:4 MoveDate:4:8 Direction:3:4 "
                                      "PCount:1:4 Weight:5:4 Cost:5:4 Sum:5:4 Note:2:40 ");
    EXPECT_EQ(FStore.Goods().GetIndexName(), "IndDate");
    EXPECT_EQ(FStore.Moves().GetIndexName(), "IndSD");
    for (const char* name : {"IndID", "IndCode", "IndName", "IndPock", "IndWeight", "IndCost",
                             "IndSum", "IndDate"})
        EXPECT_NO_THROW(FStore.Goods().SetIndexName(name)) << name;
    EXPECT_EQ(FStore.GetMode(), smBrowse);
    FStore.SetMode(smDeduct);
    EXPECT_EQ(FStore.GetMode(), smDeduct);
    EXPECT_TRUE(FMessages.Boxes.empty());
}

TEST_F(StoreTest, InsertStartsWithOneReceivedMovementAlsoOfNothing)
{
    FStore.InsertGoods("0001", "Nails", "1.50", "0.00", "0", "first");
    FStore.InsertGoods("0002", "Screws", "0.10", "12.00", "3", "");
    TTableStore& g = FStore.Goods();
    TTableMoves& m = FStore.Moves();
    EXPECT_EQ(g.RecordCount(), 2);
    EXPECT_EQ(m.RecordCount(), 2);
    EXPECT_EQ(g.ID.GetValue(), 2) << "the new goods is current";
    EXPECT_EQ(Snapshot(FStore),
              "1:0001|Nails|1.50|0.00|0|0.00 [1 +0.00 0p @1.50=0.00 first]\n"
              "2:0002|Screws|0.10|12.00|3|1.20 [2 +12.00 3p @0.10=1.20 ]\n");
    ExpectInvariants(FStore);
}

TEST_F(StoreTest, AddAndDeductKeepTheTotals)
{
    FStore.InsertGoods("7", "Flour", "0.33", "10.00", "2", "");
    ASSERT_TRUE(FStore.CanAdd("5.05", "1"));
    FStore.AddGoods("5.05", "1", "more");
    ASSERT_TRUE(FStore.CanDeduct("3.01", "2"));
    FStore.DeductGoods("3.01", "2", "sold");
    EXPECT_EQ(Snapshot(FStore), "1:7|Flour|0.33|12.04|1|3.98 [1 +10.00 2p @0.33=3.30 ]"
                                " [2 +5.05 1p @0.33=1.67 more] [3 -3.01 2p @0.33=0.99 sold]\n");
    ExpectInvariants(FStore);
}

// Each row starts goods with an insert, then asks whether one more movement fits.
TEST_F(StoreTest, PreChecksAtTheCapacityLimits)
{
    struct Row {
        const char* name;
        const char* price;
        const char* quantity;
        const char* packages;
        bool add;  // else deduct
        const char* moreQuantity;
        const char* morePackages;
        bool expected;
        const char* total;  // the field that reaches its limit when the move is made
    };
    const std::vector<Row> rows = {
        {"value up to 4294967295", "3.00", "14316557.00", "0", true, "0.65", "0", true, "Sum"},
        {"value one hundredth over", "3.00", "14316557.00", "0", true, "0.66", "0", false, ""},
        {"quantity up to 4294967295", "0.00", "42949671.00", "0", true, "1.95", "0", true, "Weight"},
        {"quantity one hundredth over", "0.00", "42949671.00", "0", true, "1.96", "0", false, ""},
        {"value and quantity at once", "1.00", "42949671.00", "0", true, "1.95", "0", true, "Sum"},
        {"packages up to 2147483647", "1.00", "1.00", "2147483000", true, "0.00", "647", true, "PCount"},
        {"one package over", "1.00", "1.00", "2147483000", true, "0.00", "648", false, ""},
        {"negative packages", "1.00", "1.00", "5", true, "1.00", "-1", false, ""},
        {"empty packages to add", "1.00", "1.00", "5", true, "1.00", "", false, ""},
        {"empty quantity to add", "1.00", "1.00", "5", true, "", "1", false, ""},
        {"quantity out of shape", "1.00", "1.00", "5", true, "1.0", "1", false, ""},
        {"value of one move too big", "42949671.00", "0.00", "0", true, "2.00", "0", false, ""},
        {"deduct the whole stock", "1.50", "10.00", "4", false, "10.00", "4", true, "Weight"},
        {"deduct 0.01 more", "1.50", "10.00", "4", false, "10.01", "4", false, ""},
        {"deduct one package more", "1.50", "10.00", "4", false, "10.00", "5", false, ""},
        {"rounded value deducted back to zero", "0.50", "0.01", "0", false, "0.01", "0", true, "Sum"},
        {"empty packages to deduct", "1.50", "10.00", "4", false, "1.00", "", false, ""},
        {"negative packages to deduct", "1.50", "10.00", "4", false, "1.00", "-1", false, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TFaultEnv env;
        TStore store;
        store.SetEnv(&env);
        store.Open(true, "Data");
        ASSERT_TRUE(store.CanInsert(r.price, r.quantity, r.packages));
        store.InsertGoods("1", "Goods", r.price, r.quantity, r.packages, "");
        const bool can = r.add ? store.CanAdd(r.moreQuantity, r.morePackages)
                               : store.CanDeduct(r.moreQuantity, r.morePackages);
        EXPECT_EQ(can, r.expected);
        if (!can)
            continue;
        if (r.add)
            store.AddGoods(r.moreQuantity, r.morePackages, "");
        else
            store.DeductGoods(r.moreQuantity, r.morePackages, "");
        ExpectInvariants(store);
        const std::string total = r.total;
        TTableStore& g = store.Goods();
        if (total == "Sum") {
            EXPECT_EQ(g.Sum.GetValue(), r.add ? 4294967295u : 0u);
        } else if (total == "Weight") {
            EXPECT_EQ(g.Weight.GetValue(), r.add ? 4294967295u : 0u);
        } else if (total == "PCount") {
            EXPECT_EQ(g.PCount.GetValue(), 2147483647);
        }
        if (!r.add) {
            EXPECT_EQ(g.Sum.GetValue() + g.Weight.GetValue() + uint32_t(g.PCount.GetValue()), 0u);
        }
    }
}

TEST_F(StoreTest, InsertCheckRefusesBadTexts)
{
    struct Row {
        const char* name;
        const char* price;
        const char* quantity;
        const char* packages;
        bool expected;
    };
    const std::vector<Row> rows = {
        {"plain", "1.00", "2.00", "3", true},
        {"nothing at all", "0.00", "0.00", "0", true},
        {"value at the limit", "3.00", "14316557.65", "0", true},
        {"value over the limit", "3.00", "14316557.66", "0", false},
        {"empty packages", "1.00", "2.00", "", false},
        {"negative packages", "1.00", "2.00", "-1", false},
        {"packages not a number", "1.00", "2.00", "3x", false},
        {"packages over int32", "1.00", "2.00", "2147483648", false},
        {"empty price", "", "2.00", "3", false},
        {"price out of shape", "1,00", "2.00", "3", false},
        {"quantity too big", "1.00", "42949672.00", "3", false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(FStore.CanInsert(r.price, r.quantity, r.packages), r.expected) << r.name;
}

TEST_F(StoreTest, OperationsRefusedBeforeWritingLeaveTheFiles)
{
    const std::string emptyStore = FEnv.Contents(File("store.dat"));
    EXPECT_FALSE(FStore.CanAdd("1.00", "1"));
    EXPECT_FALSE(FStore.CanDeduct("0.00", "0"));
    EXPECT_FALSE(FStore.CanSetCost("1.00"));
    EXPECT_THROW(FStore.AddGoods("1.00", "1", ""), Exception);
    EXPECT_THROW(FStore.EditGoods("1", "x", "1.00"), Exception);
    EXPECT_THROW(FStore.DeleteGoods(), Exception);
    EXPECT_THROW(FStore.InsertGoods("1", "x", "1.00", "1.00", "", ""), EConvertError);
    EXPECT_THROW(FStore.InsertGoods("1", "x", "42949671.00", "2.00", "0", ""), EIntOverflow);
    EXPECT_EQ(FEnv.Contents(File("store.dat")), emptyStore);
    EXPECT_EQ(FStore.Goods().RecordCount(), 0);

    FStore.InsertGoods("1", "x", "1.00", "1.00", "1", "");
    const std::string store = FEnv.Contents(File("store.dat"));
    const std::string moves = FEnv.Contents(File("moves.dat"));
    EXPECT_THROW(FStore.DeductGoods("1.01", "0", ""), EIntOverflow);
    EXPECT_THROW(FStore.AddGoods("1.00", "", ""), EConvertError);
    EXPECT_THROW(FStore.AddGoods("0.00", "2147483647", ""), EIntOverflow);
    EXPECT_THROW(FStore.EditGoods("2", "y", "1.0"), Exception);
    EXPECT_EQ(FEnv.Contents(File("store.dat")), store);
    EXPECT_EQ(FEnv.Contents(File("moves.dat")), moves);
    EXPECT_EQ(FStore.Goods().GetState(), tsBrowse);
    EXPECT_EQ(FStore.Moves().GetState(), tsBrowse);
}

TEST_F(StoreTest, RepricingRoundsEachMovement)
{
    // 0.01 at 0.50 is 0.005, rounded up to 0.01 per movement: the value on
    // hand is 0.01 + 0.01 - 0.01, not 0.50 x 0.01 of the net quantity.
    FStore.InsertGoods("1", "Salt", "1.00", "0.01", "0", "");
    FStore.AddGoods("0.01", "0", "");
    FStore.DeductGoods("0.01", "0", "");
    ASSERT_TRUE(FStore.CanSetCost("0.50"));
    FStore.EditGoods("1", "Salt", "0.50");
    EXPECT_EQ(Snapshot(FStore), "1:1|Salt|0.50|0.01|0|0.01 [1 +0.01 0p @0.50=0.01 ]"
                                " [2 +0.01 0p @0.50=0.01 ] [3 -0.01 0p @0.50=0.01 ]\n");
    ExpectInvariants(FStore);
}

// Goods sold by weight: receipts rounded one by one hold less or more than
// price x the whole quantity. Every row books the receipts, then the issues,
// each allowed; the issues' values and what is left on hand are checked.
TEST_F(StoreTest, WeighedGoodsAreSoldToTheLastHundredth)
{
    struct Row {
        const char* name;
        const char* price;
        std::vector<const char*> receipts;
        std::vector<const char*> issues;
        const char* values;  // of the issues, as stored
        const char* left;    // quantity and value on hand
    };
    const std::vector<Row> rows = {
        {"three times 4.07 are 12.21, less than 12.22", "12.34", {"0.33", "0.33", "0.33"},
         {"0.99"}, "12.21", "0.00 0.00"},
        {"the last part takes what is left", "12.34", {"0.33", "0.33", "0.33"},
         {"0.50", "0.49"}, "6.17 6.04", "0.00 0.00"},
        {"receipts rounded up hold more", "0.50", {"0.01", "0.01", "0.01"}, {"0.03"}, "0.03",
         "0.00 0.00"},
        {"a part never takes more than is on hand", "0.14", {"0.03", "0.03", "0.03"},
         {"0.08", "0.01"}, "0.00 0.00", "0.00 0.00"},
        {"a part of a whole piece", "1.99", {"1.00"}, {"0.50", "0.25"}, "1.00 0.50", "0.25 0.49"},
        {"nothing of something", "12.34", {"0.33"}, {"0.00"}, "0.00", "0.33 4.07"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TFaultEnv env;
        TStore store;
        store.SetEnv(&env);
        store.Open(true, "Data");
        store.InsertGoods("1", "Сир твердий", r.price, r.receipts[0], "0", "");
        for (size_t i = 1; i < r.receipts.size(); ++i)
            store.AddGoods(r.receipts[i], "0", "");
        std::string values;
        for (const char* issue : r.issues) {
            ASSERT_TRUE(store.CanDeduct(issue, "0")) << issue;
            store.DeductGoods(issue, "0", "");
            values += (values.empty() ? "" : " ") + store.Moves().Sum.GetText();
        }
        EXPECT_EQ(values, r.values);
        TTableStore& g = store.Goods();
        EXPECT_EQ(g.Weight.GetText() + " " + g.Sum.GetText(), r.left);
        EXPECT_FALSE(store.CanDeduct("0.01", "0") && g.Weight.GetValue() == 0);
        ExpectInvariants(store);
        ExpectReopenedUnmended(store);
    }
}

// A new price values the movements again in the order they were booked, an
// issue of everything on hand taking all of it, also when the clock had
// dated the issue before its receipts.
TEST_F(StoreTest, RepricingValuesTheMovementsInTheOrderBooked)
{
    FStore.InsertGoods("1", "Ковбаса", "12.34", "0.33", "0", "");
    FStore.AddGoods("0.33", "0", "");
    FStore.AddGoods("0.33", "0", "");
    FStore.DeductGoods("0.50", "0", "");
    FStore.EditGoods("1", "Ковбаса", "10.00");
    EXPECT_EQ(Snapshot(FStore), "1:1|Ковбаса|10.00|0.49|0|4.90 [1 +0.33 0p @10.00=3.30 ]"
                                " [2 +0.33 0p @10.00=3.30 ] [3 +0.33 0p @10.00=3.30 ]"
                                " [4 -0.50 0p @10.00=5.00 ]\n");
    FStore.DeductGoods("0.49", "0", "all");
    // The clock was set back before the last issue.
    TTableMoves& m = FStore.Moves();
    m.SetIndex(m.IndID.get());
    m.SetRecNo(4);
    m.Edit();
    m.MoveDate.SetValue(EncodeDate(2001, 1, 1));
    m.Post();
    FStore.Goods().Edit();
    FStore.Goods().LastDate.SetValue(m.MoveDate.GetValue());
    FStore.Goods().Post();
    ASSERT_TRUE(FStore.CanSetCost("12.35"));
    FStore.EditGoods("1", "Ковбаса", "12.35");
    EXPECT_EQ(Snapshot(FStore), "1:1|Ковбаса|12.35|0.00|0|0.00 [5 -0.49 0p @12.35=6.06 all]"
                                " [1 +0.33 0p @12.35=4.08 ] [2 +0.33 0p @12.35=4.08 ]"
                                " [3 +0.33 0p @12.35=4.08 ] [4 -0.50 0p @12.35=6.18 ]\n");
    ExpectInvariants(FStore);
    ExpectReopenedUnmended(FStore);
}

TEST_F(StoreTest, EditKeepingThePriceRewritesOnlyTheGoods)
{
    FStore.InsertGoods("1", "Salt", "1.00", "2.00", "0", "");
    FStore.InsertGoods("2", "Sugar", "2.00", "2.00", "0", "");
    const std::string moves = FEnv.Contents(File("moves.dat"));
    FStore.Goods().SetIndex(FStore.Goods().IndName.get());
    FStore.Goods().SetRecNo(1);
    FStore.EditGoods("22", "Anise", "2.00");
    EXPECT_EQ(FEnv.Contents(File("moves.dat")), moves);
    EXPECT_EQ(FStore.Goods().Name.GetText(), "Anise") << "the edited record stays current";
    EXPECT_EQ(FStore.Goods().GetRecNo(), 0) << "at its new place in the name order";
    ExpectInvariants(FStore);
}

TEST_F(StoreTest, RepricingThatWouldOverflowChangesNothing)
{
    // Each movement fits at 2.00 and so does the net quantity, but the
    // running total of the two receipts (48'000'000.00) does not.
    FStore.InsertGoods("1", "Oil", "1.00", "12000000.00", "0", "");
    FStore.AddGoods("12000000.00", "0", "");
    FStore.DeductGoods("11000000.00", "0", "");
    const std::string store = FEnv.Contents(File("store.dat"));
    const std::string moves = FEnv.Contents(File("moves.dat"));
    EXPECT_FALSE(FStore.CanSetCost("2.00"));
    EXPECT_THROW(FStore.EditGoods("9", "Oil", "2.00"), EIntOverflow);
    EXPECT_EQ(FEnv.Contents(File("store.dat")), store);
    EXPECT_EQ(FEnv.Contents(File("moves.dat")), moves);
    EXPECT_EQ(FStore.Goods().Code.GetText(), "1");
    EXPECT_EQ(FStore.Goods().GetState(), tsBrowse);
    EXPECT_TRUE(FStore.CanSetCost("1.50"));
    FStore.EditGoods("9", "Oil", "1.50");
    ExpectInvariants(FStore);
}

TEST_F(StoreTest, DeleteRemovesTheGoodsAndOnlyItsMovements)
{
    FStore.InsertGoods("1", "A", "1.00", "1.00", "1", "");
    FStore.InsertGoods("2", "B", "1.00", "2.00", "2", "");
    FStore.AddGoods("1.00", "1", "");
    FStore.Goods().SetIndex(FStore.Goods().IndID.get());
    FStore.Goods().SetRecNo(0);
    FStore.AddGoods("3.00", "0", "A again, last in the file");
    // B's movements come last in IndSD order.
    FStore.Goods().SetRecNo(1);
    FStore.DeleteGoods();
    EXPECT_EQ(Snapshot(FStore),
              "1:1|A|1.00|4.00|1|4.00 [1 +1.00 1p @1.00=1.00 ] [4 +3.00 0p @1.00=3.00 A again, last in the file]\n");
    FStore.DeleteGoods();
    EXPECT_EQ(FStore.Goods().RecordCount(), 0);
    EXPECT_EQ(FStore.Moves().RecordCount(), 0);
    FStore.InsertGoods("3", "C", "1.00", "1.00", "1", "");
    EXPECT_EQ(FStore.Goods().ID.GetValue(), 3) << "numbers are not given again";

    // Goods without movements go alone.
    FStore.InsertGoods("4", "D", "1.00", "1.00", "1", "");
    FStore.Moves().SetIndex(FStore.Moves().IndID.get());
    FStore.Moves().SetRecNo(1);
    FStore.Moves().Delete();
    FStore.DeleteGoods();
    EXPECT_EQ(Snapshot(FStore), "3:3|C|1.00|1.00|1|1.00 [5 +1.00 1p @1.00=1.00 ]\n");
}

TEST_F(StoreTest, TotalsKeepThePosition)
{
    std::string p, q, v, c;
    FStore.GetTotals(p, q, v, c);
    EXPECT_EQ(p + " " + q + " " + v + " " + c, "0 0.00 0.00 0");
    EXPECT_EQ(FStore.Goods().GetRecNo(), 0);

    FStore.InsertGoods("1", "A", "2.00", "1'000.00", "7", "");
    FStore.InsertGoods("2", "B", "0.50", "0.03", "2147483647", "");
    FStore.Goods().SetRecNo(1);
    FStore.GetTotals(p, q, v, c);
    EXPECT_EQ(p + " " + q + " " + v + " " + c, "2147483654 1'000.03 2'000.02 2");
    EXPECT_EQ(FStore.Goods().GetRecNo(), 1);

    FStore.InsertGoods("3", "C", "1.00", "42949671.00", "0", "");
    FStore.Goods().SetRecNo(1);
    EXPECT_THROW(FStore.GetTotals(p, q, v, c), EIntOverflow);
    EXPECT_EQ(FStore.Goods().GetRecNo(), 1);
}

TEST_F(StoreTest, FindsByNameIgnoringCaseAndByCode)
{
    FStore.InsertGoods("300", "Груша", "1.00", "1.00", "1", "");
    FStore.InsertGoods("100", "яблоко", "1.00", "1.00", "1", "");
    FStore.InsertGoods("200", "apple", "1.00", "1.00", "1", "");
    FStore.FindByName("ЯБЛ");
    EXPECT_EQ(FStore.Goods().GetIndexName(), "IndName");
    EXPECT_EQ(FStore.Goods().Name.GetText(), "яблоко");
    FStore.FindByName("Ap");
    EXPECT_EQ(FStore.Goods().Name.GetText(), "apple");
    FStore.FindByCode("2");
    EXPECT_EQ(FStore.Goods().GetIndexName(), "IndCode");
    EXPECT_EQ(FStore.Goods().Code.GetText(), "200");
}

// The Data folder removed or replaced, or one of its files replaced, under a
// running stock book: every change is refused with the engine's message
// before its first write, nothing of it reaches any file, and the book in
// memory is as before.
TEST(StoreDataFolderGone, ChangesAreRefusedAndNoFileIsTouched)
{
    namespace fs = std::filesystem;
    const char* const refused = "Файл данных удален или заменен, изменение не записано";
    struct TCase {
        const char* Name;
        bool Replace;         // else removed
        const char* OneFile;  // the file replaced, else the whole folder
    };
    for (const TCase& c : {TCase{"removed", false, nullptr}, TCase{"replaced", true, nullptr},
                           TCase{"store.dat replaced", true, "store.dat"},
                           TCase{"moves.dat replaced", true, "moves.dat"}}) {
        SCOPED_TRACE(c.Name);
        TProgramFolder folder;
        TRecordingMessages messages;
        const fs::path data = folder.Path() + "Data", old = folder.Path() + "Data.old";
        TStore store;
        store.Open(true, "Data");
        store.InsertGoods("1", "Чай", "2.00", "3.00", "1", "");
        const std::string before = Snapshot(store);
        if (c.OneFile) {
            // A copy put in its place, as a restore by hand does.
            fs::copy_file(data / c.OneFile, data / "copy");
            fs::rename(data / "copy", data / c.OneFile);
        } else if (c.Replace) {
            fs::rename(data, old);
            fs::create_directory(data);
            for (const char* name : {"store.dat", "moves.dat"})
                fs::copy_file(old / name, data / name);
        } else {
            fs::remove_all(data);
        }
        const fs::path kept = c.Replace ? data : old;
        std::map<std::string, std::string> files;
        if (c.Replace)
            for (const char* name : {"store.dat", "moves.dat"})
                files[name] = ReadFile((kept / name).string());
        const std::vector<std::pair<const char*, std::function<void()>>> changes = {
            {"insert", [&] { store.InsertGoods("2", "Кава", "1.00", "1.00", "1", ""); }},
            {"receive", [&] { store.AddGoods("1.00", "1", ""); }},
            {"deduct", [&] { store.DeductGoods("1.00", "0", ""); }},
            {"edit", [&] { store.EditGoods("1", "Чай зелений", "2.50"); }},
            {"delete", [&] { store.DeleteGoods(); }},
        };
        for (const auto& [name, change] : changes) {
            std::string message;
            try {
                change();
            } catch (const Exception& e) {
                message = e.Message();
            }
            EXPECT_EQ(message.substr(0, message.find("\r\n")), refused) << name;
            EXPECT_NE(message.find("/Data/"), std::string::npos) << name << ": " << message;
            EXPECT_EQ(Snapshot(store), before) << name;
            EXPECT_EQ(store.Goods().GetState(), tsBrowse) << name;
        }
        EXPECT_EQ(fs::exists(data), c.Replace);
        for (const auto& [name, bytes] : files)
            EXPECT_EQ(ReadFile((kept / name).string()), bytes) << name;
        store.Close();
    }
}

} // namespace
