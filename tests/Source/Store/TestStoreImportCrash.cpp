// A grouped import cut by a power loss at every write and flush: after the
// next open the goods are those of whole groups of the file's first lines,
// each with its one movement, and every goods record agrees with its
// movements.

#include "StoreTestKit.h"

#include "UDatFile.h"
#include "UException.h"
#include "UFaultEnv.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace tv;
using namespace tv::testkit;

namespace {

// Three groups, the last one short: codes with leading zeros, names in
// Cyrillic up to the field's width, goods by weight, values that round.
std::vector<TStore::TNewGoods> Lines()
{
    std::vector<TStore::TNewGoods> lines;
    const int count = 2 * TDatFile::MaxGroupRecords + 300;
    for (int i = 0; i < count; ++i) {
        std::string name = i % 3 == 0 ? "\xD0\xA1\xD1\x8B\xD1\x80 \xD0\xB2\xD0\xB5\xD1\x81\xD0\xBE\xD0\xB2\xD0\xBE\xD0\xB9 "
                                       : "Nails 4x40, box ";
        name += std::to_string(i);
        if (i % 97 == 0) name = std::string(40, 'W');
        lines.push_back({std::string(i % 5 == 0 ? "000" : "") + std::to_string(i), name,
                         i % 2 == 0 ? "0.33" : "12.99", i % 2 == 0 ? "1.50" : std::to_string(i % 40) + ".25",
                         std::to_string(i % 4)});
    }
    return lines;
}

class StoreImportCrashTest : public ::testing::Test {
protected:
    StoreImportCrashTest()
    {
        LoadEnglishTexts();
        std::filesystem::create_directory(FFolder.Path() + "Data");
        TStore store;
        store.SetEnv(&FStart);
        store.Open(true, "Data");
        store.InsertGoods("1", "Zucchini", "2.00", "10.00", "5", "");
        store.InsertGoods("2", "Apple", "1.10", "2.00", "2", "");
        store.Close();
    }

    void LoadStart(TFaultEnv& env) const
    {
        for (const char* n : {"Data/store.dat", "Data/moves.dat"})
            env.SetContents(FFolder.Path() + n, FStart.Contents(FFolder.Path() + n));
    }

    // The stock book as the user leaves it: sorted by name, so that the new
    // goods are merged among the old ones.
    static void OpenByName(TStore& store, TFaultEnv& env)
    {
        store.SetEnv(&env);
        store.Open(false, "Data");
        store.Goods().SetIndex(store.Goods().IndName.get());
    }

    std::string Reopened(TFaultEnv& env, bool* repaired = nullptr)
    {
        TRecordingMessages messages;
        TStore store;
        store.SetEnv(&env);
        store.Open(false, "Data");
        ExpectInvariants(store);
        if (repaired)
            *repaired = store.RepairedCount() > 0;
        return Snapshot(store);
    }

    // The book after importing the first n lines.
    std::string AfterLines(size_t n)
    {
        TFaultEnv env;
        LoadStart(env);
        {
            TStore store;
            OpenByName(store, env);
            const auto lines = Lines();
            if (n > 0)
                store.ImportGoods({lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(n)}, "Import from file a.csv");
        }
        return Reopened(env);
    }

    TProgramFolder FFolder;
    TFaultEnv FStart;
};

TEST_F(StoreImportCrashTest, FlushesOncePerGroupAndKeepsTheBookInOrder)
{
    TFaultEnv env;
    LoadStart(env);
    TStore store;
    OpenByName(store, env);
    const auto lines = Lines();
    const int64_t syncs = env.Syncs();
    store.ImportGoods(lines, "Import from file a.csv");
    // Per group: the two files' records, then their headers.
    EXPECT_EQ(env.Syncs() - syncs, 3 * 4);
    TTableStore& g = store.Goods();
    ASSERT_EQ(g.RecordCount(), int32_t(lines.size()) + 2);
    for (int32_t i = 0; i + 1 < g.RecordCount(); ++i)
        ASSERT_LE(g.IndName->CompareRecords(g.GetElemData(i, 0), g.GetElemData(i + 1, 0)), 0) << "at " << i;
    // The last new goods is current.
    EXPECT_EQ(g.Code.GetText(), lines.back().Code);
    store.Close();
    EXPECT_EQ(Reopened(env), AfterLines(lines.size()));
}

TEST_F(StoreImportCrashTest, EveryPowerCutLeavesWholeGroupsOfTheFirstLines)
{
    const auto lines = Lines();
    std::vector<std::string> prefixes;
    for (size_t n = 0; n < lines.size(); n += TDatFile::MaxGroupRecords)
        prefixes.push_back(AfterLines(n));
    prefixes.push_back(AfterLines(lines.size()));
    int64_t steps = 0;
    {
        TFaultEnv env;
        LoadStart(env);
        TStore store;
        OpenByName(store, env);
        const int64_t start = env.Steps();
        store.ImportGoods(lines, "Import from file a.csv");
        steps = env.Steps() - start;
    }
    bool sawRepair = false;
    for (int64_t cut = 0; cut < steps; ++cut) {
        // The pending writes of the cut step dropped, kept, or torn in half.
        for (int keep : {0, 1, 2}) {
            SCOPED_TRACE("cut after step " + std::to_string(cut) + ", keep " + std::to_string(keep));
            TFaultEnv env;
            LoadStart(env);
            std::vector<int64_t> kept;
            {
                TStore store;
                OpenByName(store, env);
                env.CutAfter(cut);
                EXPECT_THROW(store.ImportGoods(lines, "Import from file a.csv"), Exception);
                for (const auto& p : env.Pending())
                    kept.push_back(keep == 0 ? 0 : keep == 1 ? (p.Truncation ? 1 : p.Size)
                                                             : (p.Truncation ? 1 : p.Size / 2));
            }
            auto crashed = env.Crash(kept);
            bool repaired = false;
            const std::string seen = Reopened(*crashed, &repaired);
            EXPECT_NE(std::find(prefixes.begin(), prefixes.end(), seen), prefixes.end()) << seen.substr(0, 2000);
            sawRepair = sawRepair || repaired;
            bool again = true;
            EXPECT_EQ(Reopened(*crashed, &again), seen);
            EXPECT_FALSE(again);
        }
    }
    EXPECT_TRUE(sawRepair) << "some cut falls between the two files' headers";
}

TEST_F(StoreImportCrashTest, AFailedWriteTakesBackItsGroupAndKeepsTheOnesBefore)
{
    const auto lines = Lines();
    const std::string oneGroup = AfterLines(TDatFile::MaxGroupRecords);
    // The writes of the second group: records, records, header, header.
    for (int write = 1; write <= 4; ++write) {
        SCOPED_TRACE("write " + std::to_string(write) + " of the second group fails");
        TFaultEnv env;
        LoadStart(env);
        {
            TStore store;
            OpenByName(store, env);
            store.ImportGoods({lines.begin(), lines.begin() + TDatFile::MaxGroupRecords}, "Import from file a.csv");
            env.FailWrite(write);
            EXPECT_THROW(store.ImportGoods({lines.begin() + TDatFile::MaxGroupRecords, lines.end()},
                                           "Import from file a.csv"),
                         Exception);
            EXPECT_EQ(store.Goods().RecordCount(), TDatFile::MaxGroupRecords + 2);
            EXPECT_EQ(store.Moves().RecordCount(), TDatFile::MaxGroupRecords + 2);
            EXPECT_EQ(Snapshot(store), oneGroup);
        }
        EXPECT_EQ(Reopened(env), oneGroup);
    }
}

} // namespace
