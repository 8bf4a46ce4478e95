// Stock operations cut by a power loss at every step, or by one failing
// write: after the next open either the whole operation or none of it is
// there, and every goods record agrees with its movements.

#include "PartThreadsKit.h"
#include "StoreTestKit.h"

#include "UException.h"
#include "UFaultEnv.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace tv;
using namespace tv::testkit;

namespace {

struct Operation {
    const char* name;
    std::function<void(TStore&)> run;
};

// Goods 2 ("Pear") is current when an operation starts; it has seven
// movements and goods 1 and 3 have movements before and after its own. Its
// first receipts, rounded one by one, hold 0.01 more than price x quantity,
// which the issue of all of it took along; so does a re-pricing.
const std::vector<Operation>& Operations()
{
    static const std::vector<Operation> ops = {
        {"insert", [](TStore& s) { s.InsertGoods("9", "Quince", "2.50", "4.00", "2", "new"); }},
        {"add", [](TStore& s) { s.AddGoods("1.25", "1", "in"); }},
        {"deduct", [](TStore& s) { s.DeductGoods("0.75", "1", "out"); }},
        {"deduct all", [](TStore& s) { s.DeductGoods("3.60", "3", "all"); }},
        {"edit with re-pricing", [](TStore& s) { s.EditGoods("22", "Pear, ripe", "0.99"); }},
        {"edit keeping the price", [](TStore& s) { s.EditGoods("22", "Pear, ripe", "1.10"); }},
        {"delete", [](TStore& s) { s.DeleteGoods(); }},
    };
    return ops;
}

class StoreCrashTest : public ::testing::Test {
protected:
    StoreCrashTest()
    {
        LoadEnglishTexts();
        std::filesystem::create_directory(FFolder.Path() + "Data");
        TStore store;
        store.SetEnv(&FStart);
        store.Open(true, "Data");
        store.InsertGoods("1", "Apple", "2.00", "10.00", "5", "");
        store.InsertGoods("2", "Pear", "1.10", "2.00", "2", "");
        store.AddGoods("1.50", "1", "");
        store.InsertGoods("3", "Plum", "0.30", "7.00", "1", "");
        store.Goods().SetIndex(store.Goods().IndID.get());
        store.Goods().SetRecNo(1);
        store.DeductGoods("0.00", "0", "nothing");
        store.AddGoods("0.05", "0", "");
        store.AddGoods("0.05", "0", "");
        store.DeductGoods("3.60", "3", "sold out");
        store.AddGoods("3.60", "3", "");
        store.Close();
    }

    std::vector<std::string> Names() const
    {
        return {FFolder.Path() + "Data/store.dat", FFolder.Path() + "Data/moves.dat"};
    }

    void LoadStart(TFaultEnv& env) const
    {
        for (const std::string& n : Names())
            env.SetContents(n, FStart.Contents(n));
    }

    // Opens the stock book on env with the goods "Pear" current.
    static void OpenAtPear(TStore& store, TFaultEnv& env)
    {
        store.SetEnv(&env);
        store.Open(false, "Data");
        store.Goods().SetIndex(store.Goods().IndID.get());
        store.Goods().SetRecNo(1);
        ASSERT_EQ(store.Goods().Name.GetText(), "Pear");
    }

    // What the next start sees on env: the snapshot after checking the invariants.
    std::string Reopened(TFaultEnv& env, bool* repaired = nullptr)
    {
        TRecordingMessages messages;
        TStore store;
        store.SetEnv(&env);
        store.Open(false, "Data");
        ExpectInvariants(store);
        for (const TBox& b : messages.Boxes) {
            EXPECT_EQ(b.Text, TextTable[SlotRepairedOnOpen]);
            EXPECT_EQ(b.Caption, TextTable[SlotRepairCaption]);
            EXPECT_EQ(b.Flags, MB_ICONEXCLAMATION);
            EXPECT_EQ(b.First, "OK");
            EXPECT_EQ(b.FirstHint, TextTable[SlotCloseMessageHint]);
        }
        EXPECT_EQ(messages.Boxes.size(), store.RepairedCount() > 0 ? 1u : 0u);
        if (repaired)
            *repaired = store.RepairedCount() > 0;
        return Snapshot(store);
    }

    TProgramFolder FFolder;
    TFaultEnv FStart;
};

TEST_F(StoreCrashTest, StartIsConsistentAndNeedsNoRepair)
{
    TFaultEnv env;
    LoadStart(env);
    bool repaired = true;
    EXPECT_EQ(Reopened(env, &repaired),
              "1:1|Apple|2.00|10.00|5|20.00 [1 +10.00 5p @2.00=20.00 ]\n"
              "2:2|Pear|1.10|3.60|3|3.96 [2 +2.00 2p @1.10=2.20 ] [3 +1.50 1p @1.10=1.65 ]"
              " [5 -0.00 0p @1.10=0.00 nothing] [6 +0.05 0p @1.10=0.06 ] [7 +0.05 0p @1.10=0.06 ]"
              " [8 -3.60 3p @1.10=3.97 sold out] [9 +3.60 3p @1.10=3.96 ]\n"
              "3:3|Plum|0.30|7.00|1|2.10 [4 +7.00 1p @0.30=2.10 ]\n");
    EXPECT_FALSE(repaired);
}

// The bytes of a pending write a power cut keeps when it tears it near its
// middle: the disk writes a sector whole or not at all, so a write inside
// the file tears only at a sector boundary (one inside a single sector is
// lost whole); a write that extends the file may end anywhere.
int64_t TornHalf(const TFaultEnv::TPendingOp& p)
{
    constexpr int64_t Sector = 512;
    if (p.Truncation)
        return 1;
    if (p.PastEnd)
        return p.Size / 2;
    const int64_t boundary = (p.Offset + p.Size / 2) / Sector * Sector;
    return boundary > p.Offset ? boundary - p.Offset : 0;
}

TEST_F(StoreCrashTest, EveryPowerCutLeavesTheOperationWholeOrAbsent)
{
    for (const Operation& op : Operations()) {
        SCOPED_TRACE(op.name);
        std::string before, after;
        int64_t steps = 0;
        {
            TFaultEnv env;
            LoadStart(env);
            before = Reopened(env);
            TStore store;
            OpenAtPear(store, env);
            const int64_t start = env.Steps();
            op.run(store);
            steps = env.Steps() - start;
            store.Close();
            after = Reopened(env);
        }
        ASSERT_NE(before, after);
        bool sawPartial = false;
        for (int64_t cut = 0; cut < steps; ++cut) {
            // The pending writes of the cut step dropped, kept, or torn in half.
            for (int keep : {0, 1, 2}) {
                SCOPED_TRACE("cut after step " + std::to_string(cut) + ", keep " + std::to_string(keep));
                TFaultEnv env;
                LoadStart(env);
                std::vector<int64_t> kept;
                bool returned = false;
                {
                    TStore store;
                    OpenAtPear(store, env);
                    env.CutAfter(cut);
                    try {
                        op.run(store);
                        returned = true;
                    } catch (const Exception&) {
                    }
                    for (const auto& p : env.Pending())
                        kept.push_back(keep == 0 ? 0 : keep == 1 ? (p.Truncation ? 1 : p.Size) : TornHalf(p));
                }
                auto crashed = env.Crash(kept);
                bool repaired = false;
                const std::string seen = Reopened(*crashed, &repaired);
                EXPECT_TRUE(seen == before || seen == after) << seen << "before:\n" << before << "after:\n" << after;
                if (returned) {
                    // Only a deletion returns once its goods record is gone.
                    EXPECT_EQ(std::string(op.name), "delete");
                    EXPECT_EQ(seen, after);
                }
                sawPartial = sawPartial || repaired;
                // A second start finds nothing more to mend.
                bool again = true;
                EXPECT_EQ(Reopened(*crashed, &again), seen);
                EXPECT_FALSE(again);
            }
        }
        if (std::string(op.name) != "edit keeping the price") {
            EXPECT_TRUE(sawPartial) << "some cut falls between two record writes";
        }
    }
}

TEST_F(StoreCrashTest, APowerCutDuringTheRepairIsMendedAtTheNextStart)
{
    int repairsCut = 0;
    for (const Operation& op : Operations()) {
        SCOPED_TRACE(op.name);
        std::string before, after;
        int64_t steps = 0;
        {
            TFaultEnv env;
            LoadStart(env);
            before = Reopened(env);
            TStore store;
            OpenAtPear(store, env);
            const int64_t start = env.Steps();
            op.run(store);
            steps = env.Steps() - start;
            store.Close();
            after = Reopened(env);
        }
        for (int64_t cut = 0; cut < steps; ++cut) {
            TFaultEnv env;
            LoadStart(env);
            {
                TStore store;
                OpenAtPear(store, env);
                env.CutAfter(cut);
                try {
                    op.run(store);
                } catch (const Exception&) {
                }
            }
            const auto cutShort = env.Crash({});
            // The steps the repair of this state takes.
            int64_t repairSteps = 0;
            {
                const auto probe = cutShort->Crash({});
                TRecordingMessages messages;
                TStore store;
                store.SetEnv(probe.get());
                const int64_t start = probe->Steps();
                store.Open(false, "Data");
                repairSteps = probe->Steps() - start;
            }
            for (int64_t repairCut = 0; repairCut < repairSteps; ++repairCut) {
                SCOPED_TRACE("cut after step " + std::to_string(cut) + ", repair cut after " +
                             std::to_string(repairCut));
                const auto disk = cutShort->Crash({});
                {
                    TRecordingMessages messages;
                    TStore store;
                    store.SetEnv(disk.get());
                    disk->CutAfter(repairCut);
                    EXPECT_THROW(store.Open(false, "Data"), Exception);
                }
                ++repairsCut;
                const auto next = disk->Crash({});
                const std::string seen = Reopened(*next);
                EXPECT_TRUE(seen == before || seen == after) << seen;
            }
        }
    }
    EXPECT_GT(repairsCut, 0);
}

TEST_F(StoreCrashTest, AFailedWriteOrSyncLeavesTheDataAsBefore)
{
    for (const Operation& op : Operations()) {
        SCOPED_TRACE(op.name);
        std::string before, after;
        int64_t writes = 0;
        {
            TFaultEnv env;
            LoadStart(env);
            before = Reopened(env);
            TStore store;
            OpenAtPear(store, env);
            const int64_t start = env.Steps();
            op.run(store);
            writes = env.Steps() - start;  // writes and syncs: at least every write
            store.Close();
            after = Reopened(env);
        }
        for (int n = 1; n <= 2 * writes; ++n) {
            // A write fails, or a sync does (its writes stay unsynced).
            const bool sync = n > writes;
            const int k = sync ? n - int(writes) : n;
            SCOPED_TRACE((sync ? "sync " : "write ") + std::to_string(k) + " fails");
            TFaultEnv env;
            LoadStart(env);
            TStore store;
            OpenAtPear(store, env);
            if (sync)
                env.FailSync(k);
            else
                env.FailWrite(k);
            bool raised = false;
            try {
                op.run(store);
            } catch (const Exception&) {
                raised = true;
            }
            env.ClearFaults();
            EXPECT_EQ(store.Goods().GetState(), tsBrowse);
            EXPECT_EQ(store.Moves().GetState(), tsBrowse);
            const std::string now = Snapshot(store);
            store.Close();
            const std::string reopened = Reopened(env);
            if (!raised) {
                EXPECT_EQ(reopened, after);
                continue;
            }
            if (std::string(op.name) == "delete") {
                // The deletion counts once the goods record is gone.
                EXPECT_TRUE(reopened == before || reopened == after) << reopened;
            } else {
                EXPECT_EQ(now, before) << "put back at once";
                EXPECT_EQ(reopened, before);
            }
        }
    }
}

// A write fails, and the power goes while the operation puts things back.
TEST_F(StoreCrashTest, APowerCutWhileAFailedWriteIsUndoneIsMendedAtTheNextStart)
{
    int undoCuts = 0;
    for (const Operation& op : Operations()) {
        SCOPED_TRACE(op.name);
        std::string before, after;
        int64_t writes = 0;
        {
            TFaultEnv env;
            LoadStart(env);
            before = Reopened(env);
            TStore store;
            OpenAtPear(store, env);
            const int64_t start = env.Steps();
            op.run(store);
            writes = env.Steps() - start;
            store.Close();
            after = Reopened(env);
        }
        for (int n = 1; n <= writes; ++n) {
            // The steps of the run with the n-th write failing.
            int64_t steps = 0;
            {
                TFaultEnv env;
                LoadStart(env);
                TStore store;
                OpenAtPear(store, env);
                env.FailWrite(n);
                const int64_t start = env.Steps();
                try {
                    op.run(store);
                } catch (const Exception&) {
                }
                steps = env.Steps() - start;
            }
            for (int64_t cut = n; cut < steps; ++cut) {
                SCOPED_TRACE("write " + std::to_string(n) + " fails, cut after step " +
                             std::to_string(cut));
                TFaultEnv env;
                LoadStart(env);
                {
                    TStore store;
                    OpenAtPear(store, env);
                    env.FailWrite(n);
                    env.CutAfter(cut);
                    try {
                        op.run(store);
                    } catch (const Exception&) {
                    }
                }
                ++undoCuts;
                const auto crashed = env.Crash({});
                const std::string seen = Reopened(*crashed);
                EXPECT_TRUE(seen == before || seen == after) << seen;
                bool again = true;
                EXPECT_EQ(Reopened(*crashed, &again), seen);
                EXPECT_FALSE(again);
            }
        }
    }
    EXPECT_GT(undoCuts, 0);
}

} // namespace

namespace {

class StoreRepairTest : public ::testing::Test {
protected:
    StoreRepairTest()
    {
        LoadEnglishTexts();
        std::filesystem::create_directory(FFolder.Path() + "Data");
        FStore.SetEnv(&FEnv);
        FStore.Open(true, "Data");
    }

    // Closes and opens the book again; true when it mended something. A
    // box tells of the mending, another of files that do not agree.
    bool Reopen()
    {
        FStore.Close();
        TRecordingMessages messages;
        FStore.Open(false, "Data");
        std::vector<std::string> boxes;
        const std::string interrupted = TextTable[SlotImportInterrupted];
        if (FStore.Repair().ImportCut) boxes.push_back(interrupted.substr(0, interrupted.find("%s")));
        if (FStore.RepairedCount() > 0) boxes.push_back(TextTable[SlotRepairedOnOpen]);
        if (FStore.Repair().FilesApart) boxes.push_back(TextTable[SlotFilesApart]);
        EXPECT_EQ(messages.Boxes.size(), boxes.size());
        for (size_t i = 0; i < std::min(boxes.size(), messages.Boxes.size()); ++i)
            EXPECT_EQ(messages.Boxes[i].Text.substr(0, boxes[i].size()), boxes[i]);
        return FStore.RepairedCount() > 0 || FStore.Repair().ImportCut;
    }

    TProgramFolder FFolder;
    TFaultEnv FEnv;
    TStore FStore;
};

TEST_F(StoreRepairTest, WhatNoCutOperationLeavesIsKept)
{
    // A clock set back: the booking made last is dated before an earlier one.
    FStore.InsertGoods("1", "A", "1.00", "1.00", "1", "");
    TTableMoves& m = FStore.Moves();
    m.Edit();
    m.MoveDate.SetValue(m.MoveDate.GetValue() + 1.0);
    m.Post();
    FStore.AddGoods("2.00", "0", "after the clock went back");
    const TDateTime booked = FStore.Goods().LastDate.GetValue();

    // Goods without movements that no cut insert can leave: an older one,
    // and the newest with stock on hand.
    FStore.InsertGoods("2", "B", "1.00", "1.00", "1", "");
    FStore.InsertGoods("3", "C", "1.00", "1.00", "1", "");
    m.SetIndex(m.IndID.get());
    for (int32_t rec : {3, 2}) {
        m.SetRecNo(rec);
        m.Delete();
    }
    const std::string before = Snapshot(FStore);

    EXPECT_FALSE(Reopen());
    EXPECT_TRUE(FStore.Repair().FilesApart);
    EXPECT_EQ(Snapshot(FStore), before);
    FStore.Goods().SetIndex(FStore.Goods().IndID.get());
    FStore.Goods().SetRecNo(0);
    EXPECT_EQ(FStore.Goods().LastDate.GetValue(), booked);
}

TEST_F(StoreRepairTest, AnIssueDatedBeforeItsReceiptDoesNotStopTheRepair)
{
    // The clock went back between a receipt and an issue of goods A, so in
    // date order more leaves than came in; then a booking of B is cut.
    FStore.InsertGoods("1", "A", "1.00", "0.00", "0", "");
    FStore.AddGoods("5.00", "1", "");
    TTableMoves& m = FStore.Moves();
    m.SetIndex(m.IndID.get());
    m.SetRecNo(1);
    m.Edit();
    m.MoveDate.SetValue(m.MoveDate.GetValue() + 1.0);
    m.Post();
    FStore.DeductGoods("5.00", "1", "dated before the receipt");
    FStore.InsertGoods("2", "B", "1.00", "1.00", "1", "");
    const std::string whole = Snapshot(FStore);
    TTableStore& g = FStore.Goods();
    g.Edit();
    g.Weight.SetValue(0);
    g.PCount.SetValue(0);
    g.Sum.SetValue(0);
    g.Post();
    EXPECT_TRUE(Reopen());
    EXPECT_EQ(Snapshot(FStore), whole);
}

// A group of an import the goods file never counted and a booking that
// never reached its goods record: one open mends both, the next nothing.
TEST_F(StoreRepairTest, OneOpenMendsACutImportAndACutBookingTogether)
{
    FStore.InsertGoods("1", "Сир ваговий", "12.34", "1.50", "1", "");
    FStore.AddGoods("0.33", "0", "");
    TTableStore& g = FStore.Goods();
    g.Edit();
    g.Weight.SetValue(150);
    g.Sum.SetValue(1851);
    g.Post();
    FEnv.FailWrite(4);  // the goods group's count
    EXPECT_THROW(FStore.ImportGoods({{"4820001", "Олія соняшникова", "54.90", "3.00", "3"},
                                     {"4820002", "Цукор", "31.15", "0.75", "0"}},
                                    "Import from file list.csv"),
                 Exception);
    // The close cannot write the count either: the disk is as a cut left it.
    FEnv.FailWrite(1);
    EXPECT_TRUE(Reopen());
    EXPECT_TRUE(FStore.Repair().ImportCut);
    EXPECT_GT(FStore.RepairedCount(), 0);
    EXPECT_EQ(FStore.Repair().LastCode, "4820002");
    EXPECT_EQ(FStore.Goods().RecordCount(), 3);
    ExpectInvariants(FStore);
    EXPECT_FALSE(Reopen());
}

TEST_F(StoreRepairTest, FilesThatDisagreeForMoreThanOneGoodsAreLeftAlone)
{
    // As when the two files come from different copies: no single cut
    // operation explains them, so nothing is "mended" away.
    FStore.InsertGoods("1", "A", "1.00", "1.00", "1", "");
    FStore.InsertGoods("2", "B", "1.00", "1.00", "1", "");
    FStore.InsertGoods("3", "C", "1.00", "1.00", "1", "");
    TTableStore& g = FStore.Goods();
    g.SetIndex(g.IndID.get());
    g.SetRecNo(0);
    g.Edit();
    g.Weight.SetValue(500);
    g.Post();
    g.SetRecNo(2);
    FStore.DeleteGoods();
    TTableMoves& m = FStore.Moves();
    m.Insert();
    m.IDStore.SetValue(3);
    m.Weight.SetValue(100);
    m.Post();
    const std::string before = Snapshot(FStore);
    EXPECT_FALSE(Reopen());
    EXPECT_TRUE(FStore.Repair().FilesApart);
    EXPECT_EQ(Snapshot(FStore), before);
}

TEST_F(StoreRepairTest, TotalsThatCannotBeFormedAreLeftAlone)
{
    // A movement whose price no longer fits its quantity, as only a damaged
    // or foreign file holds it.
    FStore.InsertGoods("1", "A", "1.00", "42949671.00", "0", "");
    TTableStore& g = FStore.Goods();
    g.Edit();
    g.Cost.SetValue(200);
    g.Post();
    const std::string before = Snapshot(FStore);
    EXPECT_FALSE(Reopen());
    EXPECT_TRUE(FStore.Repair().FilesApart);
    EXPECT_EQ(Snapshot(FStore), before);
}

// Files booked while an issue took price x quantity, whatever was on hand:
// such values stay as they are, and a cut booking of other goods in those
// files is still mended.
TEST_F(StoreRepairTest, ValuesOfTheOlderRoundingStayAndOthersAreMended)
{
    // 0.50 x 0.03 is 0.02, but the receipts hold 0.03: the older rounding
    // left 0.01 with nothing on hand.
    FStore.InsertGoods("1", "Salt", "0.50", "0.01", "0", "");
    FStore.AddGoods("0.01", "0", "");
    FStore.AddGoods("0.01", "0", "");
    FStore.DeductGoods("0.01", "0", "");
    FStore.DeductGoods("0.02", "0", "");
    TTableMoves& m = FStore.Moves();
    TTableStore& g = FStore.Goods();
    m.Edit();
    m.Sum.SetValue(1);
    m.Post();
    g.Edit();
    g.Sum.SetValue(1);
    g.Post();
    FStore.InsertGoods("2", "Pepper", "3.33", "1.01", "1", "");
    const std::string old = Snapshot(FStore);
    ASSERT_EQ(old, "1:1|Salt|0.50|0.00|0|0.01 [1 +0.01 0p @0.50=0.01 ] [2 +0.01 0p @0.50=0.01 ]"
                   " [3 +0.01 0p @0.50=0.01 ] [4 -0.01 0p @0.50=0.01 ] [5 -0.02 0p @0.50=0.01 ]\n"
                   "2:2|Pepper|3.33|1.01|1|3.36 [6 +1.01 1p @3.33=3.36 ]\n");
    EXPECT_FALSE(Reopen());
    EXPECT_EQ(Snapshot(FStore), old);
    // A new price whose second movement fails to be written puts back the
    // values as they were, not as the new rounding gives them.
    for (const int fails : {2, 5, 6}) {
        SCOPED_TRACE("write " + std::to_string(fails) + " fails");
        FStore.Goods().SetIndex(FStore.Goods().IndID.get());
        FStore.Goods().SetRecNo(0);
        FEnv.FailWrite(fails);
        EXPECT_THROW(FStore.EditGoods("1", "Salt", "0.60"), Exception);
        EXPECT_EQ(Snapshot(FStore), old);
        EXPECT_FALSE(Reopen());
    }

    // A receipt of Pepper whose goods record was never written.
    g.SetIndex(g.IndID.get());
    g.SetRecNo(1);
    FStore.AddGoods("0.50", "0", "");
    g.Edit();
    g.Weight.SetValue(101);
    g.Sum.SetValue(336);
    g.Post();
    EXPECT_TRUE(Reopen());
    EXPECT_EQ(Snapshot(FStore), old.substr(0, old.find("\n2:")) +
                                    "\n2:2|Pepper|3.33|1.51|1|5.03 [6 +1.01 1p @3.33=3.36 ]"
                                    " [7 +0.50 0p @3.33=1.67 ]\n");
    EXPECT_FALSE(Reopen());
}

} // namespace

namespace {

// One goods disagreeing with its movements: mended when one cut operation
// explains the difference, else kept.
TEST_F(StoreRepairTest, OneGoodsIsMendedOnlyWhenACutExplainsIt)
{
    struct Row {
        const char* name;
        void (*change)(TStore&);
        bool mended;
    };
    const std::vector<Row> rows = {
        {"an earlier booking never reached the goods record",
         [](TStore& s) {
             TTableStore& g = s.Goods();
             g.Edit();
             g.Weight.SetValue(g.Weight.GetValue() - 200);
             g.PCount.SetValue(g.PCount.GetValue() - 1);
             g.Sum.SetValue(g.Sum.GetValue() - 200);
             g.Post();
         },
         true},
        {"value of a re-pricing not yet written",
         [](TStore& s) {
             TTableStore& g = s.Goods();
             g.Edit();
             g.Sum.SetValue(g.Sum.GetValue() + 100);
             g.Post();
         },
         true},
        {"quantity off by no movement",
         [](TStore& s) {
             TTableStore& g = s.Goods();
             g.Edit();
             g.Weight.SetValue(g.Weight.GetValue() + 50);
             g.Post();
         },
         false},
        {"a movement's value not that of its price",
         [](TStore& s) {
             TTableMoves& m = s.Moves();
             m.Edit();
             m.Sum.SetValue(m.Sum.GetValue() + 1);
             m.Post();
         },
         false},
        {"movements at two other prices",
         [](TStore& s) {
             TTableMoves& m = s.Moves();
             m.SetIndex(m.IndID.get());
             for (int32_t rec : {0, 1}) {
                 m.SetRecNo(rec);
                 m.Edit();
                 m.Cost.SetValue(200 + rec);
                 m.Sum.SetValue(TMoneyField::MulMoney(200 + rec, m.Weight.GetValue()));
                 m.Post();
             }
         },
         false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TProgramFolder folder;
        TFaultEnv env;
        TStore store;
        store.SetEnv(&env);
        store.Open(true, "Data");
        store.InsertGoods("1", "A", "1.00", "2.00", "1", "");
        store.AddGoods("3.00", "2", "");
        const std::string whole = Snapshot(store);
        r.change(store);
        const std::string changed = Snapshot(store);
        store.Close();
        TRecordingMessages messages;
        store.Open(false, "Data");
        EXPECT_EQ(store.RepairedCount() > 0, r.mended);
        EXPECT_EQ(Snapshot(store), r.mended ? whole : changed);
    }
}

// A book of many goods is checked in parts in parallel (or as one part on
// one thread): a cut operation is found and mended wherever its goods lie,
// and traces in two parts are still seen together.
using StoreRepairAtThreads = tv::testkit::AtPartThreads<StoreRepairTest>;

TEST_P(StoreRepairAtThreads, ABookOfManyGoodsIsMendedOnlyForOneCutGoods)
{
    constexpr int32_t kGoods = 40000;
    {
        std::vector<TStore::TNewGoods> lines;
        for (int32_t i = 1; i <= kGoods; ++i)
            lines.push_back({std::to_string(i), "Goods " + std::to_string(i), "0.37", "1.35", "1"});
        FStore.ImportGoods(lines, "");
        FStore.Close();
    }
    const auto goods = [](TStore& s, int32_t id) {
        s.Goods().SetIndex(s.Goods().IndID.get());
        s.Goods().SetRecNo(id - 1);
    };
    // A booking that never reached its goods record.
    const auto cutBooking = [&](TStore& s, int32_t id) {
        goods(s, id);
        TTableStore& g = s.Goods();
        const uint32_t weight = g.Weight.GetValue(), sum = g.Sum.GetValue();
        const int32_t pcount = g.PCount.GetValue();
        s.AddGoods("2.50", "1", "");
        goods(s, id);
        g.Edit();
        g.Weight.SetValue(weight);
        g.PCount.SetValue(pcount);
        g.Sum.SetValue(sum);
        g.Post();
    };
    // A deletion cut after its goods record: a movement of it stays.
    const auto orphan = [&](TStore& s, int32_t id) {
        TTableMoves& m = s.Moves();
        m.Insert();
        m.IDStore.SetValue(id);
        m.Weight.SetValue(100);
        m.Post();
    };
    const auto booking = [&](int32_t id) {
        return [&, id](TStore& s) {
            goods(s, id);
            s.AddGoods("2.50", "1", "");
        };
    };
    const auto deletion = [&](int32_t id) {
        return [&, id](TStore& s) {
            goods(s, id);
            s.DeleteGoods();
        };
    };
    // Done: the operation not cut, else none when nothing is to be mended.
    struct Row {
        const char* name;
        std::function<void(TStore&)> change, done;
    };
    const std::vector<Row> rows = {
        {"a cut booking of the first goods", [&](TStore& s) { cutBooking(s, 1); }, booking(1)},
        {"a cut booking of goods in the middle", [&](TStore& s) { cutBooking(s, kGoods / 2 + 1); },
         booking(kGoods / 2 + 1)},
        {"a cut booking of the last goods", [&](TStore& s) { cutBooking(s, kGoods); }, booking(kGoods)},
        {"cut bookings of the first and the last goods",
         [&](TStore& s) {
             cutBooking(s, 1);
             cutBooking(s, kGoods);
         },
         nullptr},
        {"cut bookings of goods a quarter apart",
         [&](TStore& s) {
             cutBooking(s, kGoods / 4);
             cutBooking(s, kGoods / 2);
         },
         nullptr},
        {"a movement of deleted goods in the middle",
         [&](TStore& s) {
             deletion(kGoods / 2)(s);
             orphan(s, kGoods / 2);
         },
         deletion(kGoods / 2)},
        {"a movement of deleted goods and a cut booking far apart",
         [&](TStore& s) {
             deletion(2)(s);
             orphan(s, 2);
             cutBooking(s, kGoods - 1);
         },
         nullptr},
        {"a movement of no goods the book gave", [&](TStore& s) { orphan(s, kGoods + 1); }, nullptr},
    };
    const auto open = [&](TFaultEnv& from, TFaultEnv& env, TStore& store) {
        for (const char* n : {"Data/store.dat", "Data/moves.dat"})
            env.SetContents(FFolder.Path() + n, from.Contents(FFolder.Path() + n));
        store.SetEnv(&env);
        store.Open(false, "Data");
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::string whole;
        if (r.done) {
            TFaultEnv env;
            TStore store;
            open(FEnv, env, store);
            r.done(store);
            whole = Snapshot(store);
        }
        TFaultEnv env;
        TStore store;
        open(FEnv, env, store);
        r.change(store);
        const std::string changed = Snapshot(store);
        store.Close();
        TRecordingMessages messages;
        store.Open(false, "Data");
        EXPECT_EQ(store.RepairedCount() > 0, r.done != nullptr);
        // Compared whole, without printing forty thousand goods.
        EXPECT_TRUE(Snapshot(store) == (r.done ? whole : changed));
    }
}

INSTANTIATE_TEST_SUITE_P(, StoreRepairAtThreads, tv::testkit::PartThreadCounts(), tv::testkit::PartThreadsName);

} // namespace

namespace {

// The first goods of a new data folder, cut at every step: its movements
// file has booked nothing yet.
TEST(StoreFirstInsert, APowerCutLeavesItWholeOrAbsent)
{
    LoadEnglishTexts();
    TProgramFolder folder;
    std::filesystem::create_directory(folder.Path() + "Data");
    const auto insert = [](TStore& s) { s.InsertGoods("1", "First", "1.00", "2.00", "1", ""); };
    const auto seen = [](TFaultEnv& env) {
        TRecordingMessages messages;
        TStore store;
        store.SetEnv(&env);
        store.Open(false, "Data");
        ExpectInvariants(store);
        return Snapshot(store);
    };
    TFaultEnv start;
    {
        TStore store;
        store.SetEnv(&start);
        store.Open(true, "Data");
    }
    const std::vector<std::string> names = {folder.Path() + "Data/store.dat",
                                            folder.Path() + "Data/moves.dat"};
    std::string after;
    int64_t steps = 0;
    {
        TFaultEnv env;
        for (const std::string& n : names)
            env.SetContents(n, start.Contents(n));
        TStore store;
        store.SetEnv(&env);
        store.Open(false, "Data");
        const int64_t begin = env.Steps();
        insert(store);
        steps = env.Steps() - begin;
        store.Close();
        after = seen(env);
    }
    ASSERT_NE(after, "");
    for (int64_t cut = 0; cut < steps; ++cut) {
        SCOPED_TRACE("cut after step " + std::to_string(cut));
        TFaultEnv env;
        for (const std::string& n : names)
            env.SetContents(n, start.Contents(n));
        {
            TStore store;
            store.SetEnv(&env);
            store.Open(false, "Data");
            env.CutAfter(cut);
            try {
                insert(store);
            } catch (const Exception&) {
            }
        }
        const auto crashed = env.Crash({});
        const std::string now = seen(*crashed);
        EXPECT_TRUE(now.empty() || now == after) << now;
    }
}

} // namespace
