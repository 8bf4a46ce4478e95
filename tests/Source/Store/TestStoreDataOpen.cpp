// The data folder beside the program: the first start, the daily copy, the
// boxes of a failed start, saving a copy and restoring one.

#include "StoreTestKit.h"

#include "UException.h"
#include "UStoreData.h"
#include "UStoreDataOpen.h"
#include "UTextConst.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

using namespace tv;
using namespace tv::testkit;
namespace fs = std::filesystem;

namespace {

// The day as the daily copy names it. A test whose start runs past midnight,
// and so makes the next day's copy, skips: it reads the day before the start
// and after it.
std::string Today()
{
    const std::time_t t = std::time(nullptr);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", std::localtime(&t));
    return text;
}

class StoreDataOpenTest : public ::testing::Test {
protected:
    StoreDataOpenTest() { LoadEnglishTexts(); }
    ~StoreDataOpenTest() override { CloseStoreData(); }

    std::string P(const std::string& relative) const { return FFolder.Path() + relative; }
    bool Exists(const std::string& relative) const { return fs::exists(P(relative)); }
    std::string Read(const std::string& relative) const { return ReadFile(P(relative)); }
    // Both files of a folder, as one text.
    std::string Pair(const std::string& folder) const
    {
        return ReadFile(folder + "/store.dat") + "|" + ReadFile(folder + "/moves.dat");
    }

    // Data with the goods given, written by a start of the program.
    void MakeData(const std::vector<std::string>& names)
    {
        Store.Open(true, "Data");
        for (const std::string& n : names)
            Store.InsertGoods(n, n, "1.00", "2.00", "1", "");
        Store.Close();
    }

    std::string GoodsNames()
    {
        std::string names;
        TTableStore& g = Store.Goods();
        const int32_t rec = g.GetRecNo();
        for (g.First(); !g.Eof(); g.Next())
            names += g.Name.GetText() + " ";
        if (g.RecordCount() > 0)
            g.SetRecNo(rec);
        return names;
    }

    // Copies go through temporary and staged files that none of them leaves
    // behind.
    void ExpectNoTemporaryFiles() const
    {
        for (const auto& entry : fs::recursive_directory_iterator(FFolder.Path()))
            EXPECT_TRUE(entry.path().extension() != ".part" && entry.path().extension() != ".new")
                << entry.path();
    }

    TProgramFolder FFolder;
    TRecordingMessages FMessages;
};

TEST_F(StoreDataOpenTest, FirstStartInAnEmptyFolderMakesTheDataAlone)
{
    EXPECT_TRUE(BackupAndOpenStoreData());
    EXPECT_TRUE(Exists("Data/store.dat"));
    EXPECT_TRUE(Exists("Data/moves.dat"));
    EXPECT_FALSE(Exists("Hist"));
    EXPECT_TRUE(FMessages.Boxes.empty());
    EXPECT_EQ(Store.Goods().GetState(), tsBrowse);
    EXPECT_EQ(Store.Moves().GetState(), tsBrowse);
    EXPECT_EQ(Store.Goods().GetIndexName(), "IndDate");
    EXPECT_EQ(Store.Moves().GetIndexName(), "IndSD");
}

TEST_F(StoreDataOpenTest, AMissingFileIsCopiedWithoutAndNamed)
{
    struct Row {
        const char* kept;
        const char* missing;
    };
    for (const Row r : {Row{"store.dat", "moves.dat"}, Row{"moves.dat", "store.dat"}}) {
        SCOPED_TRACE(r.missing);
        TProgramFolder folder;
        TRecordingMessages messages;
        MakeData({"Nails"});
        fs::remove(folder.Path() + "Data/" + r.missing);
        const std::string kept = ReadFile(folder.Path() + "Data/" + r.kept);

        const std::string started = Today();
        EXPECT_TRUE(BackupAndOpenStoreData());
        if (Today() != started) GTEST_SKIP() << "the day turned during the start";
        const std::string day = folder.Path() + "Hist/" + Today() + "/";
        EXPECT_EQ(ReadFile(day + r.kept), kept);
        EXPECT_FALSE(fs::exists(day + r.missing));
        EXPECT_TRUE(fs::exists(folder.Path() + "Data/" + r.missing));
        EXPECT_EQ(ReadFile(folder.Path() + "Data/" + r.kept), kept)
            << "movements without their goods file are kept";
        ASSERT_EQ(messages.Boxes.size(), 1u);
        const TBox& b = messages.Boxes[0];
        EXPECT_EQ(b.Text, r.missing);
        EXPECT_EQ(b.Caption, "File does not exist");
        EXPECT_EQ(b.Flags, MB_ICONEXCLAMATION);
        EXPECT_EQ(b.First, "OK");
        EXPECT_EQ(b.FirstHint, "Close message window");
        CloseStoreData();
    }
}

// A data file lost and made empty at one start leaves files that no cut
// operation explains; later starts keep them as they are, also after the
// user went on working with them.
TEST_F(StoreDataOpenTest, AFileMadeEmptyIsNoCutOperationAtLaterStarts)
{
    struct Row {
        const char* name;
        const char* lost;
        void (*before)();   // on the data before the file is lost
        void (*session)();  // at the start that made the file empty
        const char* goods;  // names and quantities after the later start
        bool apart;         // the later start says the files disagree
    };
    const std::vector<Row> rows = {
        {"movements of one goods, goods lost", "store.dat", [] { Store.DeleteGoods(); }, [] {}, "", true},
        {"newest goods sold out, movements lost", "moves.dat",
         [] { Store.DeductGoods("2.00", "1", ""); }, [] {}, "A 2.00 B 0.00 ", true},
        {"only goods sold out, movements lost", "moves.dat",
         [] {
             Store.DeleteGoods();
             Store.DeductGoods("2.00", "1", "");
         },
         [] {}, "A 0.00 ", false},
        {"stock received after the movements were lost", "moves.dat", [] {},
         [] { Store.AddGoods("1.00", "1", ""); }, "A 2.00 B 3.00 ", true},
        {"only goods received into after the movements were lost", "moves.dat",
         [] { Store.DeleteGoods(); }, [] { Store.AddGoods("1.00", "1", ""); }, "A 3.00 ", true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TProgramFolder folder;
        TRecordingMessages messages;
        Store.Open(true, "Data");
        Store.InsertGoods("1", "A", "1.00", "2.00", "1", "");
        Store.InsertGoods("2", "B", "1.00", "2.00", "1", "");
        Store.Goods().SetIndex(Store.Goods().IndID.get());
        Store.Goods().SetRecNo(1);
        r.before();
        Store.Close();
        fs::remove(folder.Path() + "Data/" + r.lost);

        ASSERT_TRUE(BackupAndOpenStoreData());
        Store.Goods().SetIndex(Store.Goods().IndID.get());
        Store.Goods().SetRecNo(Store.Goods().RecordCount() - 1);
        r.session();
        CloseStoreData();
        const std::string files = Pair(folder.Path() + "Data");

        ASSERT_TRUE(BackupAndOpenStoreData());
        EXPECT_EQ(Store.RepairedCount(), 0);
        EXPECT_TRUE(Pair(folder.Path() + "Data") == files) << "the files are untouched";
        std::string goods;
        TTableStore& g = Store.Goods();
        g.SetIndex(g.IndID.get());
        for (g.First(); !g.Eof(); g.Next())
            goods += g.Name.GetText() + " " + g.Weight.GetText() + " ";
        EXPECT_EQ(goods, r.goods);
        ASSERT_EQ(messages.Boxes.size(), r.apart ? 2u : 1u) << "the missing file, then the pair that disagrees";
        EXPECT_EQ(messages.Boxes[0].Text, r.lost);
        if (r.apart) {
            EXPECT_EQ(messages.Boxes[1].Text, TextTable[SlotFilesApart]);
        }
        CloseStoreData();
    }
}

// The states a replacement of the two working files can be cut in: the new
// pair goes to "*.new" files first, which then take the files' names,
// store.dat first.
TEST_F(StoreDataOpenTest, APairReplacementCutShortIsCompletedOrDroppedAtTheStart)
{
    struct Row {
        const char* name;
        const char* store;  // where the new store.dat is, relative to Data
        const char* moves;
        bool replaced;
    };
    const std::vector<Row> rows = {
        {"both staged", "store.dat.new", "moves.dat.new", true},
        {"goods moved in, movements staged", "store.dat", "moves.dat.new", true},
        {"goods staged alone", "store.dat.new", nullptr, false},
        {"movements still being copied", "store.dat.new", "moves.dat.new.part", false},
        {"goods still being copied", "store.dat.new.part", nullptr, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TProgramFolder folder;
        MakeData({"Old"});
        const std::string old = Pair(folder.Path() + "Data");
        {
            TStore other;
            other.Open(true, "New");
            other.InsertGoods("5", "New", "1.00", "1.00", "1", "");
        }
        const std::string fresh = Pair(folder.Path() + "New");
        fs::copy_file(folder.Path() + "New/store.dat", folder.Path() + "Data/" + r.store,
                      fs::copy_options::overwrite_existing);
        if (r.moves) {
            fs::copy_file(folder.Path() + "New/moves.dat", folder.Path() + "Data/" + r.moves,
                          fs::copy_options::overwrite_existing);
        }
        const std::string started = Today();
        ASSERT_TRUE(BackupAndOpenStoreData());
        if (Today() != started) GTEST_SKIP() << "the day turned during the start";
        EXPECT_TRUE(Pair(folder.Path() + "Data") == (r.replaced ? fresh : old));
        EXPECT_TRUE(Pair(folder.Path() + "Hist/" + Today()) == (r.replaced ? fresh : old))
            << "the day's copy is made of one pair too";
        EXPECT_EQ(GoodsNames(), r.replaced ? "New " : "Old ");
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path() + "Data"),
                                fs::directory_iterator()),
                  2)
            << "only the two files are left";
        CloseStoreData();
    }
}

TEST_F(StoreDataOpenTest, TheDaysFirstCopyStays)
{
    MakeData({"Nails"});
    const std::string started = Today();
    ASSERT_TRUE(BackupAndOpenStoreData());
    if (Today() != started) GTEST_SKIP() << "the day turned during the start";
    const std::string day = P("Hist/" + started);
    const std::string first = Pair(day);
    EXPECT_EQ(first, Pair(P("Data")));
    Store.InsertGoods("2", "Screws", "1.00", "1.00", "1", "");
    CloseStoreData();

    ASSERT_TRUE(BackupAndOpenStoreData());
    if (Today() != started) GTEST_SKIP() << "the day turned during the start";
    EXPECT_EQ(Pair(day), first);
    EXPECT_NE(Pair(P("Data")), first);
    EXPECT_EQ(fs::directory_iterator(P("Hist")) == fs::directory_iterator(), false);
    EXPECT_TRUE(FMessages.Boxes.empty());
}

TEST_F(StoreDataOpenTest, ADailyCopyCutShortIsMadeWholeAtTheNextStart)
{
    for (const char* staged : {"store.dat.new", "moves.dat.new"}) {
        SCOPED_TRACE(staged);
        TProgramFolder folder;
        MakeData({"Nails"});
        const std::string started = Today();
        const std::string day = folder.Path() + "Hist/" + started;
        fs::create_directories(day);
        // Cut with only the goods staged, or after they had taken their name.
        if (std::string(staged) == "moves.dat.new")
            fs::copy(folder.Path() + "Data/store.dat", day + "/store.dat");
        WriteFile(day + "/" + staged, "cut short");
        ASSERT_TRUE(BackupAndOpenStoreData());
        CloseStoreData();
        if (Today() != started) GTEST_SKIP() << "the day turned during the start";
        if (std::string(staged) == "store.dat.new") {
            EXPECT_EQ(Pair(day), Pair(folder.Path() + "Data"));
        } else {
            EXPECT_EQ(ReadFile(day + "/moves.dat"), "cut short") << "completed as it was staged";
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(day), fs::directory_iterator()), 2);
    }
}

TEST_F(StoreDataOpenTest, FailedStartsAreShown)
{
    // A failed daily copy is shown and the start goes on.
    MakeData({"Nails"});
    WriteFile(P("Hist"), "a file where the folder should be");
    EXPECT_TRUE(BackupAndOpenStoreData());
    ASSERT_EQ(FMessages.Boxes.size(), 1u);
    EXPECT_EQ(FMessages.Boxes[0].Text, "An error occured while backuping\r\nwarehouse files!");
    EXPECT_EQ(FMessages.Boxes[0].Caption, "Copying error");
    EXPECT_EQ(FMessages.Boxes[0].Flags, MB_ICONSTOP);
    EXPECT_EQ(FMessages.Boxes[0].First, "OK");
    EXPECT_EQ(FMessages.Boxes[0].FirstHint, "Close message window");
    EXPECT_EQ(GoodsNames(), "Nails ");
    CloseStoreData();
    FMessages.Boxes.clear();

    fs::remove(P("Hist"));

    // Files held by another open cannot be opened.
    TStore other;
    other.Open(false, "Data");
    EXPECT_FALSE(OpenStoreData());
    other.Close();
    // Damaged files neither.
    WriteFile(P("Data/store.dat"), "not a data file");
    EXPECT_FALSE(BackupAndOpenStoreData());
    for (const TBox& b : FMessages.Boxes) {
        EXPECT_EQ(b.Text, "Warehouse database opening error!\r\nFiles are damaged or blocked by another software");
        EXPECT_EQ(b.Caption, "Opening error");
        EXPECT_EQ(b.Flags, MB_ICONSTOP);
        EXPECT_EQ(b.First, "OK");
        EXPECT_EQ(b.FirstHint, "Close message window");
    }
    EXPECT_EQ(FMessages.Boxes.size(), 2u);
    EXPECT_EQ(Read("Data/store.dat"), "not a data file") << "a damaged file is kept";
    EXPECT_EQ(Store.Goods().GetState(), tsClosed);
    EXPECT_EQ(Store.Moves().GetState(), tsClosed);
}

TEST_F(StoreDataOpenTest, OpenWithoutCreateNeedsTheFolder)
{
    for (auto load : {LoadEnglishTexts, LoadRussianTexts}) {
        load();
        try {
            Store.Open(false, "Data");
            ADD_FAILURE() << "opened a missing folder";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), TextTable[SlotDataFolderNotFound]);
        }
    }
    EXPECT_FALSE(Exists("Data"));
    std::string missing = "x";
    EXPECT_FALSE(Store.DataExists(missing, "Data"));
    fs::create_directory(P("Data"));
    EXPECT_FALSE(Store.DataExists(missing, "Data")) << "a folder without the files";
}

TEST_F(StoreDataOpenTest, SaveAsCopiesBothFilesAndComesBackToTheRecord)
{
    MakeData({"Nails", "Anise", "Screws"});
    ASSERT_TRUE(OpenStoreData());
    Store.Goods().SetIndexName("IndName");
    Store.Goods().SetRecNo(1);
    ASSERT_EQ(Store.Goods().Name.GetText(), "Nails");
    Store.Moves().SetIndexName("IndID");
    Store.Moves().SetRecNo(2);

    EXPECT_FALSE(Store.SaveAs(P("nowhere")));
    EXPECT_FALSE(Exists("nowhere")) << "the folder is never made";
    EXPECT_EQ(Store.Goods().GetState(), tsBrowse);

    fs::create_directory(P("copy"));
    WriteFile(P("copy/store.dat"), "older");
    EXPECT_TRUE(Store.SaveAs(P("copy")));
    EXPECT_EQ(Pair(P("copy")), Pair(P("Data")));
    EXPECT_EQ(Store.Goods().GetIndexName(), "IndName");
    EXPECT_EQ(Store.Goods().Name.GetText(), "Nails");
    EXPECT_EQ(Store.Moves().GetIndexName(), "IndID");
    EXPECT_EQ(Store.Moves().ID.GetValue(), 3);

    // Copying the working files onto themselves fails and spoils nothing.
    const std::string data = Pair(P("Data"));
    EXPECT_FALSE(Store.SaveAs(P("Data")));
    EXPECT_EQ(Pair(P("Data")), data);
    EXPECT_FALSE(Store.RestoreBase(P("Data")));
    EXPECT_EQ(Pair(P("Data")), data);
    EXPECT_EQ(GoodsNames(), "Nails Anise Screws ") << "reopened on the default index";
    EXPECT_TRUE(FMessages.Boxes.empty());
    ExpectNoTemporaryFiles();
}

class RestoreTest : public StoreDataOpenTest {
protected:
    RestoreTest()
    {
        MakeData({"Old"});
        fs::create_directories(P("Hist/0000-00-00"));
        fs::copy(P("Data/store.dat"), P("Hist/0000-00-00/store.dat"));
        fs::copy(P("Data/moves.dat"), P("Hist/0000-00-00/moves.dat"));
        fs::remove(P("Data/store.dat"));
        fs::remove(P("Data/moves.dat"));
        MakeData({"Current"});
        fs::create_directory(P("backup"));
        fs::remove_all(P("Data2"));
        {
            TStore other;
            other.Open(true, "Data2");
            other.InsertGoods("5", "Restored", "1.00", "1.00", "1", "");
        }
        fs::copy(P("Data2/store.dat"), P("backup/store.dat"));
        fs::copy(P("Data2/moves.dat"), P("backup/moves.dat"));
        FCurrent = Pair(P("Data"));
        FOld = Pair(P("Hist/0000-00-00"));
        FBackup = Pair(P("backup"));
        EXPECT_TRUE(OpenStoreData());
    }

    std::string FCurrent, FOld, FBackup;
};

TEST_F(RestoreTest, FromAFolder)
{
    EXPECT_TRUE(Store.RestoreBase(P("backup")));
    EXPECT_EQ(Pair(P("Data")), FBackup);
    EXPECT_EQ(Pair(P("Hist/0000-00-00")), FCurrent);
    EXPECT_EQ(GoodsNames(), "Restored ");
    EXPECT_EQ(Store.Goods().GetIndexName(), "IndDate");
    EXPECT_EQ(Store.Moves().GetIndexName(), "IndSD");
    EXPECT_EQ(Store.Goods().GetRecNo(), 0);
    EXPECT_EQ(Store.Moves().GetRecNo(), 0);
    EXPECT_TRUE(FMessages.Boxes.empty());
}

TEST_F(RestoreTest, FromAFolderWhoseSavingWasCutShort)
{
    // The copy had moved store.dat in; moves.dat.new waits beside the
    // former moves.dat.
    fs::create_directory(P("cut"));
    fs::copy(P("backup/store.dat"), P("cut/store.dat"));
    fs::copy(P("Data/moves.dat"), P("cut/moves.dat"));
    fs::copy(P("backup/moves.dat"), P("cut/moves.dat.new"));
    EXPECT_TRUE(Store.RestoreBase(P("cut")));
    EXPECT_EQ(Pair(P("Data")), FBackup);
    EXPECT_EQ(Pair(P("cut")), FBackup);
    EXPECT_FALSE(Exists("cut/moves.dat.new"));
    EXPECT_EQ(GoodsNames(), "Restored ");
}

TEST_F(RestoreTest, FromAFolderLackingAFileChangesNothingButTheSafetyCopy)
{
    for (const char* lacking : {"moves.dat", "store.dat"}) {
        SCOPED_TRACE(lacking);
        fs::remove_all(P("part"));
        fs::create_directory(P("part"));
        fs::copy(P("backup/store.dat"), P("part/store.dat"));
        fs::copy(P("backup/moves.dat"), P("part/moves.dat"));
        fs::remove(P(std::string("part/") + lacking));
        EXPECT_FALSE(Store.RestoreBase(P("part")));
        EXPECT_EQ(Pair(P("Data")), FCurrent);
        EXPECT_EQ(Pair(P("Hist/0000-00-00")), FCurrent);
        EXPECT_EQ(GoodsNames(), "Current ");
    }
}

TEST_F(RestoreTest, FromTheSafetyCopyLackingAFileChangesNothing)
{
    fs::remove(P("Hist/0000-00-00/moves.dat"));
    const std::string safety = Read("Hist/0000-00-00/store.dat");
    EXPECT_FALSE(Store.RestoreBase(P("Hist/0000-00-00")));
    EXPECT_EQ(Pair(P("Data")), FCurrent);
    EXPECT_EQ(Read("Hist/0000-00-00/store.dat"), safety);
    EXPECT_FALSE(Exists("Hist/0000-00-00/moves.dat"));
    EXPECT_FALSE(Exists("Hist/0000-00-00/tmp"));
    EXPECT_EQ(GoodsNames(), "Current ");
    ExpectNoTemporaryFiles();
}

TEST_F(RestoreTest, FromTheSafetyCopyItselfSwapsTheTwo)
{
    EXPECT_TRUE(Store.RestoreBase(P("Hist/0000-00-00")));
    EXPECT_EQ(Pair(P("Data")), FOld);
    EXPECT_EQ(Pair(P("Hist/0000-00-00")), FCurrent);
    EXPECT_FALSE(Exists("Hist/0000-00-00/tmp"));
    EXPECT_EQ(GoodsNames(), "Old ");
    // And back again.
    EXPECT_TRUE(Store.RestoreBase(P("Hist/0000-00-00/")));
    EXPECT_EQ(Pair(P("Data")), FCurrent);
    EXPECT_EQ(Pair(P("Hist/0000-00-00")), FOld);
    EXPECT_FALSE(Exists("Hist/0000-00-00/tmp"));
    ExpectNoTemporaryFiles();
}

TEST_F(RestoreTest, AnotherFolderNamedLikeTheSafetyCopyIsAnOrdinaryOne)
{
    fs::create_directories(P("elsewhere/0000-00-00"));
    fs::copy(P("backup/store.dat"), P("elsewhere/0000-00-00/store.dat"));
    fs::copy(P("backup/moves.dat"), P("elsewhere/0000-00-00/moves.dat"));
    EXPECT_TRUE(Store.RestoreBase(P("elsewhere/0000-00-00")));
    EXPECT_EQ(Pair(P("Data")), FBackup);
    EXPECT_EQ(Pair(P("Hist/0000-00-00")), FCurrent);
    EXPECT_EQ(Pair(P("elsewhere/0000-00-00")), FBackup);
    EXPECT_FALSE(Exists("Hist/0000-00-00/tmp"));
    EXPECT_FALSE(Exists("elsewhere/0000-00-00/tmp"));
}

TEST_F(RestoreTest, DamagedFilesBringTheFormerDataBack)
{
    for (const char* folder : {"broken", "Hist/0000-00-00"}) {
        SCOPED_TRACE(folder);
        FMessages.Boxes.clear();
        fs::create_directories(P(folder));
        WriteFile(P(std::string(folder) + "/store.dat"), "damaged");
        WriteFile(P(std::string(folder) + "/moves.dat"), "damaged too");
        EXPECT_FALSE(Store.RestoreBase(P(folder)));
        EXPECT_EQ(Pair(P("Data")), FCurrent);
        EXPECT_EQ(GoodsNames(), "Current ");
        EXPECT_EQ(Store.Goods().GetState(), tsBrowse);
        EXPECT_EQ(Store.Moves().GetState(), tsBrowse);
        EXPECT_FALSE(Exists("Hist/0000-00-00/tmp"));
        ASSERT_EQ(FMessages.Boxes.size(), 1u);
        EXPECT_EQ(FMessages.Boxes[0].Text, TextTable[SlotRestoredOpenFailed]);
        EXPECT_EQ(FMessages.Boxes[0].Caption, "Restoration from a backup");
        EXPECT_EQ(FMessages.Boxes[0].Flags, MB_ICONSTOP);
        EXPECT_EQ(FMessages.Boxes[0].First, "OK");
        EXPECT_EQ(FMessages.Boxes[0].FirstHint, "Close message window");
    }
}

} // namespace
