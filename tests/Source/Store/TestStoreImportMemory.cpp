// An import that runs out of memory at any allocation: memory and disk
// still hold the same whole groups, each goods with its movement.

#include "FailingAllocation.h"
#include "StoreTestKit.h"

#include "UFaultEnv.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tv;
using namespace tv::testkit;

namespace {

std::vector<TStore::TNewGoods> Lines(int first)
{
    std::vector<TStore::TNewGoods> lines;
    for (int i = first; i < first + 5; ++i)
        lines.push_back({"482000" + std::to_string(i), i % 2 ? "Сир ваговий " + std::to_string(i) : "Apple " + std::to_string(i),
                         "12.34", "0.75", std::to_string(i % 3)});
    return lines;
}

// Two calls, the first leaving its count for the second group to carry: the
// failure may fall in either group's preparation, writes or counts.
TEST(StoreImportMemory, AGroupThatRunsOutOfMemoryLeavesMemoryAndDiskAlike)
{
    LoadEnglishTexts();
    TProgramFolder folder;
    std::filesystem::create_directory(folder.Path() + "Data");
    TFaultEnv start;
    {
        TStore store;
        store.SetEnv(&start);
        store.Open(true, "Data");
        store.InsertGoods("1", "Zucchini", "2.00", "10.00", "5", "");
        store.InsertGoods("2", "Banana", "1.10", "2.00", "2", "");
    }
    const auto book = [&](int groups) {
        TFaultEnv env;
        for (const char* n : {"Data/store.dat", "Data/moves.dat"})
            env.SetContents(folder.Path() + n, start.Contents(folder.Path() + n));
        TStore store;
        store.SetEnv(&env);
        store.Open(false, "Data");
        for (int k = 0; k < groups; ++k)
            store.ImportGoods(Lines(10 * k), "Import", k == 0);
        return Snapshot(store);
    };
    const std::vector<std::string> outcomes = {book(0), book(1), book(2)};
    int failed = 0;
    for (int failing = 1;; ++failing) {
        SCOPED_TRACE("allocation " + std::to_string(failing) + " fails");
        TFaultEnv env;
        for (const char* n : {"Data/store.dat", "Data/moves.dat"})
            env.SetContents(folder.Path() + n, start.Contents(folder.Path() + n));
        std::string inMemory;
        bool threw = false, reached = false;
        {
            TRecordingMessages messages;
            TStore store;
            store.SetEnv(&env);
            store.Open(false, "Data");
            // New names fall between the old ones: each group is merged.
            store.Goods().SetIndex(store.Goods().IndName.get());
            FailAllocationIn = failing;
            try {
                store.ImportGoods(Lines(0), "Import", true);
                store.ImportGoods(Lines(10), "Import");
            } catch (const std::exception&) {
                threw = true;
            }
            // Past the import's last allocation the count is still running.
            reached = FailAllocationIn.exchange(0) == 0;
            ExpectInvariants(store);
            inMemory = Snapshot(store);
            EXPECT_NE(std::find(outcomes.begin(), outcomes.end(), inMemory), outcomes.end()) << inMemory;
        }
        TRecordingMessages messages;
        TStore store;
        store.SetEnv(&env);
        store.Open(false, "Data");
        EXPECT_EQ(Snapshot(store), inMemory);
        EXPECT_FALSE(store.Repair().FilesApart);
        if (!reached || HasFailure())
            break;
        failed += threw;
    }
    EXPECT_GT(failed, 40) << "the failures reached the groups";
}

} // namespace
