// The daily copy, saving a copy, the safety copy and restoring one, cut by a
// power loss at every step or hit by a failing flush: after the next start
// every folder holds one whole pair, and the data replaced are never
// nowhere. A copy that reports success is on the disk.

#include "StoreTestKit.h"

#include "UDateTime.h"
#include "UException.h"
#include "UFaultEnv.h"
#include "UStoreCopy.h"
#include "UStoreData.h"
#include "UStoreDataOpen.h"
#include "UTextConst.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

using namespace tv;
using namespace tv::testkit;

namespace {

// Where a row's pairs are, relative to the program folder; each is named
// by a letter: D the working data, B a backup, S the safety copy, O an
// older copy saved before, X files that are no data files.
using TLayout = std::map<std::string, char>;

// What a folder holds: a pair's letter, '-' for no file, '?' for anything
// else (one file of each, a torn file, one file alone).
using TSeen = std::map<std::string, char>;

struct Row {
    const char* name;
    TLayout start;
    std::function<bool(TStore&)> run;
    bool open;  // the tables are open when it starts
    // Checks what the next start finds; done tells that the run returned
    // true, durable what the disk held at the cut before anything ran.
    std::function<void(const TSeen& seen, const TSeen& durable, bool done)> check;
    bool flushesAllCount;  // every failed flush fails the run
    bool works = true;     // what the run returns without faults
};

bool In(char c, const char* set)
{
    return std::string(set).find(c) != std::string::npos;
}

class StoreCopyCrashTest : public ::testing::Test {
protected:
    StoreCopyCrashTest()
    {
        LoadEnglishTexts();
        FDay = FormatDateTime("yyyy-mm-dd", Date());
        TFaultEnv env;
        for (auto [letter, goods] : {std::pair{'D', "Current"}, {'B', "Restored"}, {'S', "Old"},
                                     {'O', "Older"}}) {
            TStore s;
            s.SetEnv(&env);
            const std::string folder(1, letter);
            s.Open(true, folder);
            s.InsertGoods("1", goods, "1.00", "2.00", "1", "");
            s.Close();
            for (const char* f : {StoreFileName, MovesFileName})
                FPairs[letter][f] = env.Contents(FFolder.Path() + folder + "/" + f);
        }
        FPairs['X'] = {{StoreFileName, "damaged"}, {MovesFileName, "damaged too"}};
    }

    std::string P(const std::string& relative) const { return FFolder.Path() + relative; }

    void Load(TFaultEnv& env, const TLayout& layout) const
    {
        for (const auto& [folder, letter] : layout)
            for (const char* f : {StoreFileName, MovesFileName})
                env.SetContents(P(folder) + "/" + f, FPairs.at(letter).at(f));
    }

    char Letter(TFaultEnv& env, const std::string& folder) const
    {
        const std::string s = P(folder) + "/" + StoreFileName, m = P(folder) + "/" + MovesFileName;
        if (!env.FileExists(s) && !env.FileExists(m))
            return '-';
        for (const auto& [letter, files] : FPairs)
            if (env.FileExists(s) && env.FileExists(m) && env.Contents(s) == files.at(StoreFileName) &&
                env.Contents(m) == files.at(MovesFileName))
                return letter;
        return '?';
    }

    TSeen Look(TFaultEnv& env) const
    {
        TSeen seen;
        for (const char* folder : {"Data", "backup", "copy", "Hist/0000-00-00", "Hist/0000-00-00/tmp"})
            seen[folder] = Letter(env, folder);
        seen["day"] = Letter(env, "Hist/" + FDay);
        return seen;
    }

    static bool Start(TFaultEnv& disk)
    {
        Store.SetEnv(&disk);
        const bool opened = BackupAndOpenStoreData();
        CloseStoreData();
        Store.SetEnv(nullptr);
        return opened;
    }

    // The next start of the program on the disk, then the completion a
    // later copy or restore makes in each folder it touches.
    TSeen NextStart(TFaultEnv& disk)
    {
        TRecordingMessages messages;
        EXPECT_TRUE(Start(disk));
        for (const TBox& b : messages.Boxes)
            ADD_FAILURE() << "box at the next start: " << b.Text;
        for (const char* folder : {"backup", "copy", "Hist/0000-00-00", "Hist/0000-00-00/tmp"})
            if (disk.FolderExists(P(folder))) {
                EXPECT_TRUE(FinishPair(disk, P(folder)));
            }
        std::vector<TFileEnv::TFolderEntry> entries;
        EXPECT_TRUE(disk.ListFolder(P("Data"), entries));
        EXPECT_EQ(entries.size(), 2u) << "only the two files are left in Data";
        return Look(disk);
    }

    // Runs the row on env from its start; true when the run returned true.
    bool Run(const Row& r, TFaultEnv& env, const std::function<void()>& faults,
             int64_t* steps = nullptr, int64_t* syncs = nullptr)
    {
        TRecordingMessages messages;
        TStore s;
        s.SetEnv(&env);
        if (r.open)
            s.Open(false, "Data");
        const int64_t start = env.Steps(), synced = env.Syncs();
        faults();
        bool done = false;
        try {
            done = r.run(s);
        } catch (const Exception&) {
        }
        if (steps)
            *steps = env.Steps() - start;
        if (syncs)
            *syncs = env.Syncs() - synced;
        env.ClearFaults();
        return done;
    }

    // The steps, and the syncs among them, of the row run without faults.
    int64_t Steps(const Row& r, int64_t* syncs = nullptr)
    {
        TFaultEnv env;
        Load(env, r.start);
        int64_t steps = 0;
        EXPECT_EQ(Run(r, env, [] {}, &steps, syncs), r.works);
        return steps;
    }

    void Check(const Row& r, TFaultEnv& crashed, bool done)
    {
        const TSeen durable = Look(crashed);
        const TSeen seen = NextStart(crashed);
        std::string text;
        for (const auto& [folder, letter] : seen)
            text += folder + "=" + letter + " ";
        SCOPED_TRACE("after the next start: " + text);
        r.check(seen, durable, done);
    }

    // A restore from a backup B: the working files are B or as before, and
    // once they are B the safety copy holds what they were; before, it is
    // one of the letters given.
    static std::function<void(const TSeen&, const TSeen&, bool)> RestoredFromBackup(const char* safety)
    {
        return [safety](const TSeen& seen, const TSeen& durable, bool done) {
            EXPECT_PRED2(In, seen.at("Data"), "DB");
            EXPECT_EQ(seen.at("backup"), 'B');
            EXPECT_PRED2(In, seen.at("Hist/0000-00-00"), seen.at("Data") == 'B' ? "D" : safety);
            if (done) {
                EXPECT_EQ(durable.at("Data"), 'B');
                EXPECT_EQ(durable.at("Hist/0000-00-00"), 'D');
            }
        };
    }

    // The safety copy before an import: the working files stay, the safety
    // copy is what it was (one of the letters given) or a copy of them.
    static std::function<void(const TSeen&, const TSeen&, bool)> SafetyCopied(const std::string& before)
    {
        return [before](const TSeen& seen, const TSeen& durable, bool done) {
            EXPECT_EQ(seen.at("Data"), 'D');
            EXPECT_PRED2(In, seen.at("Hist/0000-00-00"), (before + "D").c_str());
            if (done) {
                EXPECT_EQ(durable.at("Hist/0000-00-00"), 'D');
            }
        };
    }

    std::vector<Row> Rows() const
    {
        const std::string day = FDay;
        return {
            {"daily copy into a new Hist", {{"Data", 'D'}},
             [day](TStore& s) { return s.CopyBase(day, false, "Data", "Hist"); }, false,
             [](const TSeen& seen, const TSeen& durable, bool done) {
                 EXPECT_EQ(seen.at("Data"), 'D');
                 EXPECT_EQ(seen.at("day"), 'D');
                 if (done) {
                     EXPECT_EQ(durable.at("day"), 'D');
                 }
             },
             true},
            {"save as over an older copy", {{"Data", 'D'}, {"copy", 'O'}},
             [this](TStore& s) { return s.SaveAs(P("copy")); }, true,
             [](const TSeen& seen, const TSeen& durable, bool done) {
                 EXPECT_EQ(seen.at("Data"), 'D');
                 EXPECT_PRED2(In, seen.at("copy"), "OD");
                 if (done) {
                     EXPECT_EQ(durable.at("copy"), 'D');
                 }
             },
             true},
            {"safety copy into a new Hist", {{"Data", 'D'}},
             [](TStore& s) { return s.SaveSafetyCopy(); }, true, SafetyCopied("-"), true},
            {"safety copy over a former one", {{"Data", 'D'}, {"Hist/0000-00-00", 'S'}},
             [](TStore& s) { return s.SaveSafetyCopy(); }, true, SafetyCopied("S"), true},
            {"restore without a safety copy folder yet", {{"Data", 'D'}, {"backup", 'B'}},
             [this](TStore& s) { return s.RestoreBase(P("backup")); }, true, RestoredFromBackup("-D"),
             true},
            {"restore over a former safety copy",
             {{"Data", 'D'}, {"backup", 'B'}, {"Hist/0000-00-00", 'S'}},
             [this](TStore& s) { return s.RestoreBase(P("backup")); }, true, RestoredFromBackup("SD"),
             true},
            {"restore from the safety copy itself", {{"Data", 'D'}, {"Hist/0000-00-00", 'S'}},
             [this](TStore& s) { return s.RestoreBase(P("Hist/0000-00-00")); }, true,
             [](const TSeen& seen, const TSeen& durable, bool done) {
                 // The two pairs swapped, or neither moved; the next start
                 // finishes a swap cut short.
                 EXPECT_PRED2(In, seen.at("Data"), "DS");
                 EXPECT_EQ(seen.at("Hist/0000-00-00"), seen.at("Data") == 'D' ? 'S' : 'D');
                 EXPECT_EQ(seen.at("Hist/0000-00-00/tmp"), '-');
                 if (done) {
                     EXPECT_EQ(durable.at("Data"), 'S');
                     EXPECT_TRUE(durable.at("Hist/0000-00-00") == 'D' ||
                                 durable.at("Hist/0000-00-00/tmp") == 'D');
                 }
             },
             false},
            {"restore from files that do not open", {{"Data", 'D'}, {"backup", 'X'}},
             [this](TStore& s) { return s.RestoreBase(P("backup")); }, true,
             [](const TSeen& seen, const TSeen&, bool done) {
                 EXPECT_EQ(seen.at("Data"), 'D');
                 EXPECT_EQ(seen.at("backup"), 'X');
                 EXPECT_PRED2(In, seen.at("Hist/0000-00-00"), "-D");
                 EXPECT_FALSE(done);
             },
             true, false},
        };
    }

    TProgramFolder FFolder;
    std::string FDay;
    std::map<char, std::map<std::string, std::string>> FPairs;
};

TEST_F(StoreCopyCrashTest, WithoutFaultsEachCopyEndsOnTheDisk)
{
    const std::map<std::string, std::string> after = {
        {"daily copy into a new Hist", "Data=D backup=- copy=- day=D "},
        {"save as over an older copy", "Data=D backup=- copy=D day=- "},
        {"safety copy into a new Hist", "Data=D Hist/0000-00-00=D backup=- copy=- day=- "},
        {"safety copy over a former one", "Data=D Hist/0000-00-00=D backup=- copy=- day=- "},
        {"restore without a safety copy folder yet", "Data=B Hist/0000-00-00=D backup=B copy=- day=- "},
        {"restore over a former safety copy", "Data=B Hist/0000-00-00=D backup=B copy=- day=- "},
        {"restore from the safety copy itself", "Data=S Hist/0000-00-00=D backup=- copy=- day=- "},
        {"restore from files that do not open", "Data=D Hist/0000-00-00=D backup=X copy=- day=- "},
    };
    for (const Row& r : Rows()) {
        SCOPED_TRACE(r.name);
        TFaultEnv env;
        Load(env, r.start);
        EXPECT_EQ(Run(r, env, [] {}), r.works);
        if (r.works) {
            EXPECT_TRUE(env.Pending().empty()) << "nothing is left unflushed";
        }
        const auto disk = env.Crash({});
        std::string text;
        for (const auto& [folder, letter] : Look(*disk))
            if (letter != '-' || folder.find("Hist") == std::string::npos)
                text += folder + "=" + letter + " ";
        EXPECT_EQ(text, after.at(r.name));
        EXPECT_FALSE(disk->FolderExists(P("Hist/0000-00-00/tmp")));
    }
}

TEST_F(StoreCopyCrashTest, EveryPowerCutLeavesWholePairsAndTheFormerData)
{
    for (const Row& r : Rows()) {
        SCOPED_TRACE(r.name);
        const int64_t steps = Steps(r);
        for (int64_t cut = 0; cut < steps; ++cut) {
            // The pending steps dropped, kept, or torn in half.
            for (int keep : {0, 1, 2}) {
                SCOPED_TRACE("cut after step " + std::to_string(cut) + ", keep " + std::to_string(keep));
                TFaultEnv env;
                Load(env, r.start);
                const bool done = Run(r, env, [&] { env.CutAfter(cut); });
                std::vector<int64_t> kept;
                for (const auto& p : env.Pending())
                    kept.push_back(keep == 0 ? 0 : keep == 1 ? (p.Truncation ? 1 : p.Size) : p.Size / 2);
                const auto crashed = env.Crash(kept);
                Check(r, *crashed, done);
            }
        }
    }
}

// The start after a cut copy, itself cut at every step, is mended by the
// start after it.
TEST_F(StoreCopyCrashTest, APowerCutDuringTheNextStartIsMendedByTheOneAfter)
{
    int startsCut = 0;
    for (const Row& r : Rows()) {
        SCOPED_TRACE(r.name);
        const int64_t steps = Steps(r);
        for (int64_t cut = 0; cut < steps; ++cut) {
            TFaultEnv env;
            Load(env, r.start);
            Run(r, env, [&] { env.CutAfter(cut); });
            const auto cutShort = env.Crash({});
            int64_t startSteps = 0;
            {
                const auto probe = cutShort->Crash({});
                const int64_t before = probe->Steps();
                TRecordingMessages messages;
                Start(*probe);
                startSteps = probe->Steps() - before;
            }
            for (int64_t startCut = 0; startCut < startSteps; ++startCut) {
                SCOPED_TRACE("cut after step " + std::to_string(cut) + ", start cut after " +
                             std::to_string(startCut));
                const auto disk = cutShort->Crash({});
                {
                    TRecordingMessages messages;
                    disk->CutAfter(startCut);
                    Start(*disk);
                }
                ++startsCut;
                Check(r, *disk->Crash({}), false);
            }
        }
    }
    EXPECT_GT(startsCut, 0);
}

// A failing flush fails the copy (the move-up of a swap with the safety copy
// aside); any failing step leaves the working files as before when the copy
// reports failure.
TEST_F(StoreCopyCrashTest, AFailedStepIsAFailedCopy)
{
    struct Fault {
        const char* name;
        void (TFaultEnv::*fail)(int);
        bool flush;
    };
    const Fault faults[] = {
        {"flush", &TFaultEnv::FailSync, true},
        {"write", &TFaultEnv::FailWrite, false},
        {"rename", &TFaultEnv::FailRename, false},
    };
    for (const Row& r : Rows()) {
        SCOPED_TRACE(r.name);
        int64_t syncs = 0;
        const int64_t steps = Steps(r, &syncs);
        for (const Fault& f : faults) {
            // Past the last step of its kind a fault changes nothing.
            const int64_t count = f.flush ? syncs : steps;
            for (int n = 1; n <= count; ++n) {
                SCOPED_TRACE(std::string(f.name) + " " + std::to_string(n) + " fails");
                TFaultEnv env;
                Load(env, r.start);
                const bool done = Run(r, env, [&] { (env.*f.fail)(n); });
                if (f.flush && r.flushesAllCount) {
                    EXPECT_FALSE(done);
                }
                if (!done) {
                    EXPECT_EQ(Letter(env, "Data"), 'D') << "the working files are as before";
                }
                const auto crashed = env.Crash({});
                Check(r, *crashed, done);
            }
        }
    }
}

// A tmp folder that a restore from the safety copy could not remove is
// dropped by the next restore from elsewhere, so that no later start takes
// it for the data a cut restore replaced.
TEST_F(StoreCopyCrashTest, AStaleTmpFolderGoesWithTheNextRestore)
{
    TFaultEnv env;
    Load(env, {{"Data", 'D'}, {"backup", 'B'}, {"Hist/0000-00-00", 'S'}, {"Hist/0000-00-00/tmp", 'O'}});
    {
        TRecordingMessages messages;
        TStore s;
        s.SetEnv(&env);
        s.Open(false, "Data");
        EXPECT_TRUE(s.RestoreBase(P("backup")));
    }
    EXPECT_FALSE(env.FolderExists(P("Hist/0000-00-00/tmp")));
    const auto crashed = env.Crash({});
    const TSeen seen = NextStart(*crashed);
    EXPECT_EQ(seen.at("Data"), 'B');
    EXPECT_EQ(seen.at("Hist/0000-00-00"), 'D');
}

// A swap with the safety copy whose last part failed leaves the data it
// replaced in tmp; swapping again brings them back instead of overwriting
// them.
TEST_F(StoreCopyCrashTest, ASwapWhoseMoveUpFailedCanBeSwappedBack)
{
    const TLayout start = {{"Data", 'D'}, {"Hist/0000-00-00", 'S'}};
    int leftInTmp = 0;
    for (int n = 1; n <= 12; ++n) {
        SCOPED_TRACE("rename " + std::to_string(n) + " fails");
        TFaultEnv env;
        Load(env, start);
        TRecordingMessages messages;
        TStore s;
        s.SetEnv(&env);
        s.Open(false, "Data");
        env.FailRename(n);
        const bool done = s.RestoreBase(P("Hist/0000-00-00"));
        env.ClearFaults();
        if (!done || !env.FolderExists(P("Hist/0000-00-00/tmp")))
            continue;
        ++leftInTmp;
        EXPECT_EQ(Letter(env, "Data"), 'S');
        EXPECT_TRUE(s.RestoreBase(P("Hist/0000-00-00")));
        EXPECT_EQ(Letter(env, "Data"), 'D');
        EXPECT_EQ(Letter(env, "Hist/0000-00-00"), 'S');
        EXPECT_FALSE(env.FolderExists(P("Hist/0000-00-00/tmp")));
    }
    EXPECT_GT(leftInTmp, 0);
}

// A folder that cannot be made stops the daily copy, and the safety
// copy's stops the restore before the working files are touched.
TEST_F(StoreCopyCrashTest, AFolderThatCannotBeMadeStopsTheCopy)
{
    for (int n : {1, 2}) {
        SCOPED_TRACE("folder " + std::to_string(n) + " fails");
        {
            TFaultEnv env;
            Load(env, {{"Data", 'D'}});
            TStore s;
            s.SetEnv(&env);
            env.FailCreateFolder(n);
            EXPECT_THROW(s.CopyBase(FDay, false, "Data", "Hist"), Exception);
            EXPECT_FALSE(env.FolderExists(P("Hist/" + FDay)));
        }
        TFaultEnv env;
        Load(env, {{"Data", 'D'}, {"backup", 'B'}});
        TRecordingMessages messages;
        TStore s;
        s.SetEnv(&env);
        s.Open(false, "Data");
        env.FailCreateFolder(n);
        EXPECT_FALSE(s.RestoreBase(P("backup")));
        EXPECT_EQ(Letter(env, "Data"), 'D');
        EXPECT_EQ(s.Goods().GetState(), tsBrowse);
        EXPECT_TRUE(messages.Boxes.empty());
    }
}

} // namespace
