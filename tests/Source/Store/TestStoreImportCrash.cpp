// A grouped import cut by a power loss or a failure at every write and
// flush: after the next open the goods are those of whole groups of the
// file's first lines, each with its one movement, and every goods record
// agrees with its movements. The open's own mending survives a cut, and
// finished books that only look like a cut import are left as they are.

#include "StoreTestKit.h"

#include "UDatFile.h"
#include "UException.h"
#include "UFaultEnv.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

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

    // The book opened again; mended: whether the open mended anything. An
    // import cut in a group is told once, naming the newest goods.
    std::string Reopened(TFaultEnv& env, bool* mended = nullptr)
    {
        TRecordingMessages messages;
        TStore store;
        store.SetEnv(&env);
        store.Open(false, "Data");
        ExpectInvariants(store);
        const TRepairReport& r = store.Repair();
        EXPECT_FALSE(r.FilesApart);
        std::vector<std::string> boxes;
        if (r.ImportCut) boxes.push_back(InterruptedText(store));
        if (r.Rewritten > 0) boxes.push_back(TextTable[SlotRepairedOnOpen]);
        EXPECT_EQ(messages.Boxes.size(), boxes.size());
        for (size_t i = 0; i < std::min(boxes.size(), messages.Boxes.size()); ++i)
            EXPECT_EQ(messages.Boxes[i].Text, boxes[i]);
        if (mended)
            *mended = r.ImportCut || r.Rewritten > 0;
        return Snapshot(store);
    }

    // The box of a cut import, with the code and name of the goods of the
    // highest number.
    static std::string InterruptedText(TStore& store)
    {
        TTableStore& g = store.Goods();
        g.SetIndex(g.IndID.get());
        std::string last = "-";
        if (g.RecordCount() > 0) {
            g.SetRecNo(g.RecordCount() - 1);
            last = g.Code.GetText() + " " + g.Name.GetText();
        }
        std::string text = TextTable[SlotImportInterrupted];
        return text.replace(text.find("%s"), 2, last);
    }

    // A goods inserted after the open carries only its own movement.
    static void ExpectNewGoodsStandAlone(TFaultEnv& env)
    {
        TRecordingMessages messages;
        TStore store;
        store.SetEnv(&env);
        store.Open(false, "Data");
        store.InsertGoods("99999999", "Inserted afterwards", "1.00", "3.00", "1", "");
        const int32_t id = store.Goods().ID.GetValue();
        ExpectInvariants(store);
        const std::string book = Snapshot(store);
        const size_t at = book.find("\n" + std::to_string(id) + ":99999999|");
        ASSERT_NE(at, std::string::npos) << book.substr(0, 2000);
        const std::string line = book.substr(at + 1, book.find('\n', at + 1) - at - 1);
        EXPECT_EQ(std::count(line.begin(), line.end(), '['), 1) << line;
        EXPECT_EQ(book.find("orphans"), std::string::npos);
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

    // The steps an open of the book takes (its mending), on a copy.
    static int64_t OpenSteps(const TFaultEnv& env)
    {
        auto copy = env.Crash({});
        TRecordingMessages messages;
        TStore store;
        store.SetEnv(copy.get());
        const int64_t start = copy->Steps();
        store.Open(false, "Data");
        return copy->Steps() - start;
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
    // Per group: each file's records with the header of the group before;
    // then the last group's headers.
    EXPECT_EQ(env.Syncs() - syncs, 3 * 2 + 2);
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
    bool sawImportCut = false, sawOpenCut = false;
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
            // The open's own mending cut at each of its steps, every loss
            // choice: the next open still ends on a whole prefix.
            const int64_t openSteps = OpenSteps(*crashed);
            for (int64_t openCut = 0; openCut < openSteps; ++openCut)
                for (int openKeep : {0, 1, 2}) {
                    SCOPED_TRACE("open cut after step " + std::to_string(openCut) + ", keep " +
                                 std::to_string(openKeep));
                    auto opening = crashed->Crash({});
                    std::vector<int64_t> openKept;
                    {
                        TRecordingMessages messages;
                        TStore store;
                        store.SetEnv(opening.get());
                        opening->CutAfter(openCut);
                        EXPECT_THROW(store.Open(false, "Data"), Exception);
                        for (const auto& p : opening->Pending())
                            openKept.push_back(openKeep == 0 ? 0 : openKeep == 1 ? (p.Truncation ? 1 : p.Size)
                                                                                 : (p.Truncation ? 1 : p.Size / 2));
                    }
                    auto recut = opening->Crash(openKept);
                    const std::string seen = Reopened(*recut);
                    EXPECT_NE(std::find(prefixes.begin(), prefixes.end(), seen), prefixes.end())
                        << seen.substr(0, 2000);
                    sawOpenCut = true;
                }
            bool mended = false;
            const std::string seen = Reopened(*crashed, &mended);
            EXPECT_NE(std::find(prefixes.begin(), prefixes.end(), seen), prefixes.end()) << seen.substr(0, 2000);
            sawImportCut = sawImportCut || mended;
            bool again = true;
            EXPECT_EQ(Reopened(*crashed, &again), seen);
            EXPECT_FALSE(again);
            if (keep == 1 && cut % 3 == 0)
                ExpectNewGoodsStandAlone(*crashed);
        }
    }
    EXPECT_TRUE(sawImportCut) << "some cut falls inside a group";
    EXPECT_TRUE(sawOpenCut) << "some open mends what a cut left";
}

// A program stopped between two groups (killed while it reads the next
// lines) leaves the last group's records without its count: the next start
// drops them and says that the import was interrupted.
TEST_F(StoreImportCrashTest, AStopBetweenGroupsIsToldAtTheNextStart)
{
    const auto lines = Lines();
    const auto group = [&](size_t g) {
        const auto from = lines.begin() + static_cast<std::ptrdiff_t>(g * TDatFile::MaxGroupRecords);
        return std::vector<TStore::TNewGoods>(from, from + TDatFile::MaxGroupRecords);
    };
    for (size_t groups : {1, 2}) {
        SCOPED_TRACE(std::to_string(groups) + " groups stored");
        TFaultEnv env;
        LoadStart(env);
        std::unique_ptr<TFaultEnv> stopped;
        {
            TStore store;
            OpenByName(store, env);
            for (size_t g = 0; g < groups; ++g)
                store.ImportGoods(group(g), "Import from file a.csv", true);
            stopped = env.Crash({});
        }
        bool mended = false;
        EXPECT_EQ(Reopened(*stopped, &mended), AfterLines((groups - 1) * TDatFile::MaxGroupRecords));
        EXPECT_TRUE(mended);
        EXPECT_EQ(Reopened(env), AfterLines(groups * TDatFile::MaxGroupRecords)) << "a close settles the count";
    }
}

// Once both files' records are on the disk the group is in memory: a
// failed count after them keeps it there, and it reaches the disk before
// the next change. Before, the group is gone. The store goes on: a goods
// inserted afterwards takes a number of its own.
TEST_F(StoreImportCrashTest, AFailedWriteKeepsTheGroupsTheMovementsCount)
{
    const auto lines = Lines();
    const std::string oneGroup = AfterLines(TDatFile::MaxGroupRecords);
    const std::string twoGroups = AfterLines(2 * TDatFile::MaxGroupRecords);
    // The second group's records in both files, then the movements' header
    // that counts it, written before the third group's movements.
    for (int write = 1; write <= 4; ++write) {
        SCOPED_TRACE("write " + std::to_string(write) + " of the second group fails");
        const bool counted = write >= 3;
        TFaultEnv env;
        LoadStart(env);
        std::string afterwards;
        {
            TStore store;
            OpenByName(store, env);
            store.ImportGoods({lines.begin(), lines.begin() + TDatFile::MaxGroupRecords}, "Import from file a.csv");
            env.FailWrite(write);
            EXPECT_THROW(store.ImportGoods({lines.begin() + TDatFile::MaxGroupRecords, lines.end()},
                                           "Import from file a.csv"),
                         Exception);
            const int32_t goods = (counted ? 2 : 1) * TDatFile::MaxGroupRecords + 2;
            EXPECT_EQ(store.Goods().RecordCount(), goods);
            EXPECT_EQ(store.Moves().RecordCount(), goods);
            EXPECT_EQ(Snapshot(store), counted ? twoGroups : oneGroup);
            store.InsertGoods("99999999", "Inserted afterwards", "1.00", "3.00", "1", "");
            ExpectInvariants(store);
            afterwards = Snapshot(store);
            EXPECT_EQ(afterwards.find("orphans"), std::string::npos);
        }
        EXPECT_EQ(Reopened(env), afterwards);
    }
}

// A failed step of the import leaves records past the counted ones; the
// re-pricing after it (of a movement that spans a sector, so rewritten
// through a copy past the records), cut at each of its steps, leaves files
// that open.
TEST_F(StoreImportCrashTest, ARepricingCutAfterAFailedImportLeavesFilesThatOpen)
{
    const auto lines = Lines();
    const std::vector<TStore::TNewGoods> group(lines.begin(), lines.begin() + TDatFile::MaxGroupRecords);
    const auto fail = [](TFaultEnv& env, int step) {
        if (step <= 4)
            env.FailWrite(step);
        else
            env.FailSync(step - 4);
    };
    for (int step = 1; step <= 8; ++step) {
        // The re-pricing's steps.
        int64_t steps = 0;
        {
            TFaultEnv env;
            LoadStart(env);
            TStore store;
            OpenByName(store, env);
            fail(env, step);
            EXPECT_THROW(store.ImportGoods(group, "Import from file a.csv"), Exception);
            env.ClearFaults();
            const int64_t start = env.Steps();
            store.Goods().SetIndex(store.Goods().IndID.get());
            store.Goods().SetRecNo(1);
            store.EditGoods("2", "Apple", "2.35");
            steps = env.Steps() - start;
        }
        for (int64_t cut = 0; cut < steps; ++cut)
            for (int keep : {0, 1, 2}) {
                SCOPED_TRACE("step " + std::to_string(step) + " of the import fails, re-pricing cut after " +
                             std::to_string(cut) + ", keep " + std::to_string(keep));
                TFaultEnv env;
                LoadStart(env);
                std::vector<int64_t> kept;
                {
                    TStore store;
                    OpenByName(store, env);
                    fail(env, step);
                    EXPECT_THROW(store.ImportGoods(group, "Import from file a.csv"), Exception);
                    env.ClearFaults();
                    store.Goods().SetIndex(store.Goods().IndID.get());
                    store.Goods().SetRecNo(1);
                    env.CutAfter(cut);
                    EXPECT_THROW(store.EditGoods("2", "Apple", "2.35"), Exception);
                    for (const auto& p : env.Pending())
                        kept.push_back(keep == 0 ? 0 : keep == 1 ? (p.Truncation ? 1 : p.Size)
                                                                 : (p.Truncation ? 1 : p.Size / 2));
                }
                auto crashed = env.Crash(kept);
                TRecordingMessages messages;
                TStore store;
                store.SetEnv(crashed.get());
                ASSERT_NO_THROW(store.Open(false, "Data"));
                ExpectInvariants(store);
                EXPECT_EQ(Snapshot(store).find("orphans"), std::string::npos);
            }
    }
}

// Finished books whose files only look like a cut import: movements of
// goods the goods file does not number. Each is opened twice; nothing is
// changed, the user is told that the files do not belong together, and a
// goods inserted afterwards takes a number no movement names.
TEST(StoreFilesApartTest, BooksThatOnlyLookCutAreLeftAsTheyAre)
{
    LoadEnglishTexts();
    const std::string data = "Data/";
    const auto importLines = [](TStore& s, int n) {
        std::vector<TStore::TNewGoods> lines;
        for (int i = 1; i <= n; ++i)
            lines.push_back({std::to_string(4820000 + i), "Goods " + std::to_string(i), "12.34",
                             i % 2 ? "0.33" : "3.00", "1"});
        s.ImportGoods(lines, "Import from file list.csv");
    };
    const auto insert = [](TStore& s, int n) {
        for (int i = 1; i <= n; ++i)
            s.InsertGoods(std::to_string(i), "Inserted " + std::to_string(i), "1.10", "2.50", "1", "");
    };
    struct Row {
        const char* name;
        // Makes the book in env; gives the folder to restore from, or "".
        std::function<std::string(TFaultEnv& env, const std::string& path)> make;
    };
    const auto make = [](TFaultEnv& env, const std::string&, const std::function<void(TStore&)>& work) {
        TStore s;
        s.SetEnv(&env);
        s.Open(true, "Data");
        work(s);
        s.Close();
    };
    const auto importN = importLines;
    const auto insertN = insert;
    const auto storeLostAfter = [&](std::function<void(TStore&)> work) {
        return [&make, work](TFaultEnv& env, const std::string& path) {
            make(env, path, work);
            env.RemoveFile(path + "Data/store.dat");
            return std::string();
        };
    };
    const std::vector<Row> rows = {
        {"store.dat lost after an import", storeLostAfter([&](TStore& s) { importN(s, 800); })},
        {"store.dat lost after one insert", storeLostAfter([&](TStore& s) { insertN(s, 1); })},
        {"store.dat lost after three inserts", storeLostAfter([&](TStore& s) { insertN(s, 3); })},
        {"an empty store.dat copied in",
         [&](TFaultEnv& env, const std::string& path) {
             TFaultEnv empty;
             make(empty, path, [](TStore&) {});
             make(env, path, [&](TStore& s) { importN(s, 800); });
             env.SetContents(path + "Data/store.dat", empty.Contents(path + "Data/store.dat"));
             return std::string();
         }},
        {"an older store.dat beside a newer moves.dat",
         [&](TFaultEnv& env, const std::string& path) {
             make(env, path, [&](TStore& s) { insertN(s, 2); });
             const std::string older = env.Contents(path + "Data/store.dat");
             make(env, path, [&](TStore& s) { importN(s, 5); });
             env.SetContents(path + "Data/store.dat", older);
             return std::string();
         }},
        {"restored from a folder of such files",
         [&](TFaultEnv& env, const std::string& path) {
             make(env, path, [&](TStore& s) { insertN(s, 2); });
             const std::string older = env.Contents(path + "Data/store.dat");
             make(env, path, [&](TStore& s) { importN(s, 5); });
             env.CreateFolder(path + "Copy");
             env.SetContents(path + "Copy/store.dat", older);
             env.SetContents(path + "Copy/moves.dat", env.Contents(path + "Data/moves.dat"));
             make(env, path, [&](TStore& s) { insertN(s, 1); });
             return path + "Copy";
         }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TProgramFolder folder;
        std::filesystem::create_directory(folder.Path() + "Data");
        TFaultEnv env;
        const std::string from = r.make(env, folder.Path());
        {
            // A start that finds a file missing makes it empty.
            const bool both = env.FileExists(folder.Path() + data + "store.dat");
            TRecordingMessages messages;
            TStore s;
            s.SetEnv(&env);
            if (from.empty())
                s.Open(true, "Data");
            else
                EXPECT_TRUE(s.RestoreBase(from));
            EXPECT_EQ(s.Repair().FilesApart, both);
        }
        const std::string goods = env.Contents(folder.Path() + data + "store.dat");
        const std::string moves = env.Contents(folder.Path() + data + "moves.dat");
        for (int open = 1; open <= 2; ++open) {
            SCOPED_TRACE("open " + std::to_string(open));
            TRecordingMessages messages;
            TStore s;
            s.SetEnv(&env);
            s.Open(true, "Data");
            EXPECT_TRUE(s.Repair().FilesApart);
            EXPECT_FALSE(s.Repair().ImportCut);
            EXPECT_EQ(s.RepairedCount(), 0);
            ASSERT_EQ(messages.Boxes.size(), 1u);
            EXPECT_EQ(messages.Boxes[0].Text, TextTable[SlotFilesApart]);
            s.Close();
            EXPECT_TRUE(env.Contents(folder.Path() + data + "store.dat") == goods);
            EXPECT_TRUE(env.Contents(folder.Path() + data + "moves.dat") == moves);
        }
        TRecordingMessages messages;
        TStore s;
        s.SetEnv(&env);
        s.Open(true, "Data");
        const int32_t movesBefore = s.Moves().RecordCount();
        s.InsertGoods("99999999", "Inserted afterwards", "1.00", "3.00", "1", "");
        const int32_t id = s.Goods().ID.GetValue();
        EXPECT_EQ(s.Moves().RecordCount(), movesBefore + 1);
        TTableMoves& m = s.Moves();
        int count = 0;
        for (m.First(); !m.Eof(); m.Next())
            count += m.IDStore.GetValue() == id;
        EXPECT_EQ(count, 1) << "goods " << id << " takes only its own movement";
    }
}

} // namespace
