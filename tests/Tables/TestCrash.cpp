// Power cuts and failing writes during every change of a data file: the next
// Open must succeed, every change that returned must be there, and the change
// in flight must be either complete or absent.

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <sstream>

#include "TablesTestKit.h"
#include "UBaseFld.h"
#include "UDatFile.h"
#include "UException.h"
#include "UFaultEnv.h"
#include "UFields.h"
#include "UIndex.h"
#include "UMoneyFld.h"
#include "UTable.h"

using namespace tv;

namespace {

const char* const Path = "goods.dat";

struct Goods : testkit::TGoodsFields {
    Goods() : TGoodsFields(40, "Price") {}
};

// A table file on an environment.
struct Table {
    Goods G;
    TDatFile F;

    explicit Table(TFileEnv* env)
    {
        F.SetEnv(env);
        F.SetFields(&G.Fields);
        F.SetFileName(Path);
    }

    void Append(const std::string& name, uint32_t price)
    {
        G.SetNew(name, price);
        F.AppendRecord();
    }

    void GoTo(int32_t record)
    {
        TDatHeader h;
        F.GetHeader(h);
        F.SetRecordOffset(h.HeaderSize + record * h.RecordSize);
        F.ReadRecord();
    }
};

// What a reader sees: the live records in file order.
std::string Snapshot(Table& t)
{
    TDatHeader h;
    t.F.GetHeader(h);
    std::ostringstream out;
    int32_t deleted = 0;
    std::set<int32_t> keys;
    for (int32_t i = 0; i < h.RecordCount; ++i) {
        t.F.SetRecordOffset(h.HeaderSize + i * h.RecordSize);
        bool live = t.F.ReadRecord();
        keys.insert(t.G.Id.GetValue());
        if (!live) {
            ++deleted;
            continue;
        }
        out << t.G.Id.GetValue() << ":" << t.G.Name.GetText() << ":" << t.G.Price.GetValue() << " ";
    }
    EXPECT_EQ(deleted, h.DeletedCount) << "the deleted count follows the status words";
    if (!keys.empty()) {
        EXPECT_GT(t.G.Id.GetNextKeyValue(), *keys.rbegin()) << "next key above every stored key";
    }
    return out.str();
}

// Opens the file as the next start of the program does and reads it; the
// file is then exactly as long as its header says.
std::string Reopen(TFaultEnv* env, std::string* failure = nullptr)
{
    Table t(env);
    try {
        t.F.Open(false);
    } catch (const Exception& e) {
        if (failure)
            *failure = e.Message();
        return "(open failed: " + e.Message() + ")";
    }
    TDatHeader h;
    t.F.GetHeader(h);
    EXPECT_EQ(env->Contents(Path).size(), size_t(h.HeaderSize) + size_t(h.RecordCount) * h.RecordSize);
    return Snapshot(t);
}

void MakeStartFile(TFileEnv* env)
{
    Table t(env);
    t.F.CreateNew(false);
    t.Append("Apple", 150);
    t.Append("Pear", 2500);
    t.Append("Plum", 99);
    t.GoTo(1);
    t.F.DeleteRecord();  // a deleted record among live ones
    t.Append("Fig", 7);
    t.Append("Kiwi", 8);
    t.Append("Lime", 9);
    t.Append("Straddle", 10);  // crosses the sector boundary at 512
}

struct Operation {
    const char* name;
    std::function<void(Table&)> run;
};

const std::vector<Operation>& Operations()
{
    static const std::vector<Operation> ops = {
        {"append", [](Table& t) { t.Append("Quince with a long name", 12345); }},
        {"rewrite", [](Table& t) { t.GoTo(2); t.G.Set("Plum, rewritten", 4294967295u); t.F.WriteRecord(); }},
        {"rewrite across sectors",
         [](Table& t) { t.GoTo(6); t.G.Set("Straddle, rewritten", 11); t.F.WriteRecord(); }},
        {"delete", [](Table& t) { t.GoTo(0); t.F.DeleteRecord(); }},
        {"empty", [](Table& t) { t.F.Empty(); }},
    };
    return ops;
}

const int64_t SectorSize = 512;

// Every way the pending operations can reach the disk: each one dropped or
// kept; a write that spans sectors with only the sectors before or after a
// boundary; a write past the end of what is on the disk also cut anywhere.
std::vector<std::vector<int64_t>> LossChoices(const std::vector<TFaultEnv::TPendingOp>& pending)
{
    std::vector<std::vector<int64_t>> options;
    for (const auto& p : pending) {
        std::vector<int64_t> o = {0, p.Truncation ? 1 : p.Size};
        for (int64_t b = (p.Offset / SectorSize + 1) * SectorSize; !p.Truncation && b < p.Offset + p.Size;
             b += SectorSize) {
            o.push_back(b - p.Offset);
            o.push_back(-(p.Offset + p.Size - b));
        }
        if (p.PastEnd)
            for (int64_t cut : {int64_t(1), p.Size / 2, p.Size - 1})
                if (cut > 0 && cut < p.Size)
                    o.push_back(cut);
        options.push_back(o);
    }
    std::vector<std::vector<int64_t>> result = {{}};
    for (const auto& o : options) {
        std::vector<std::vector<int64_t>> next;
        for (const auto& r : result)
            for (int64_t k : o) {
                next.push_back(r);
                next.back().push_back(k);
            }
        result = std::move(next);
    }
    return result;
}

// True when the change returned; a failure must be the write message.
bool Returned(const std::function<void()>& change)
{
    try {
        change();
        return true;
    } catch (const Exception& e) {
        EXPECT_EQ(testkit::FixedText(e), "Ошибка записи в файл");
        return false;
    }
}

} // namespace

TEST(Crash, EveryCutOfEveryChangeLeavesItCompleteOrAbsent)
{
    for (const Operation& op : Operations()) {
        std::string before, after;
        int64_t steps = 0;
        {
            TFaultEnv env;
            MakeStartFile(&env);
            before = Reopen(&env);
            Table t(&env);
            t.F.Open(false);
            int64_t start = env.Steps();
            op.run(t);
            steps = env.Steps() - start;
            t.F.Close();
            after = Reopen(&env);
        }
        ASSERT_NE(before, after) << op.name;
        ASSERT_GT(steps, 0) << op.name;

        int runs = 0;
        for (int64_t cut = 0; cut <= steps; ++cut) {
            TFaultEnv env;
            MakeStartFile(&env);
            bool returned = false;
            {
                Table t(&env);
                t.F.Open(false);
                env.CutAfter(cut);
                try {
                    op.run(t);
                    returned = true;
                } catch (const Exception& e) {
                    EXPECT_EQ(testkit::FixedText(e), "Ошибка записи в файл") << op.name << " cut " << cut;
                }
                EXPECT_EQ(returned, cut == steps) << op.name << " cut " << cut;
                for (const auto& choice : LossChoices(env.Pending())) {
                    std::unique_ptr<TFaultEnv> disk = env.Crash(choice);
                    std::string failure;
                    std::string seen = Reopen(disk.get(), &failure);
                    ++runs;
                    ASSERT_EQ(failure, "") << op.name << " cut " << cut;
                    if (returned)
                        EXPECT_EQ(seen, after) << op.name << ": a change that returned was lost";
                    else
                        EXPECT_TRUE(seen == before || seen == after)
                            << op.name << " cut " << cut << ": half a change\n"
                            << seen << "\nbefore " << before << "\nafter " << after;

                    // The mended file takes further changes and keeps them.
                    {
                        Table next(disk.get());
                        next.F.Open(false);
                        next.Append("Next", 1);
                    }
                    std::string again = Reopen(disk.get(), &failure);
                    EXPECT_EQ(failure, "") << op.name << " cut " << cut;
                    EXPECT_NE(again.find(":Next:1 "), std::string::npos) << op.name;
                }
            }
        }
        EXPECT_GT(runs, steps) << op.name;
    }
}

// A single write or flush fails while the program goes on: the change raises
// the write message, and the file on the disk holds exactly what the data
// file in memory says, so that later changes and the next start agree.
TEST(Crash, AFailedStepLeavesMemoryAndDiskAlike)
{
    for (const Operation& op : Operations()) {
        for (bool failSync : {false, true}) {
            for (int n = 1;; ++n) {
                TFaultEnv env;
                MakeStartFile(&env);
                const std::string before = Reopen(&env);
                Table t(&env);
                t.F.Open(false);
                TDatHeader h0;
                t.F.GetHeader(h0);
                const int32_t key0 = t.G.Id.GetNextKeyValue();
                if (failSync)
                    env.FailSync(n);
                else
                    env.FailWrite(n);
                bool failed = false;
                try {
                    op.run(t);
                } catch (const Exception& e) {
                    failed = true;
                    EXPECT_EQ(testkit::FixedText(e), "Ошибка записи в файл") << op.name << " step " << n;
                }
                if (!failed)
                    break;
                env.ClearFaults();

                TDatHeader h;
                t.F.GetHeader(h);
                const std::string inMemory = Snapshot(t);
                const bool emptied = std::string(op.name) == "empty" && h.RecordCount == 0;
                if (!emptied) {
                    EXPECT_EQ(h.RecordCount, h0.RecordCount) << op.name << " step " << n;
                    EXPECT_EQ(h.DeletedCount, h0.DeletedCount) << op.name << " step " << n;
                    EXPECT_EQ(t.G.Id.GetNextKeyValue(), key0) << op.name << " step " << n;
                    EXPECT_EQ(inMemory, before) << op.name << " step " << n;
                }
                t.F.Close();
                EXPECT_EQ(Reopen(&env), inMemory)
                    << op.name << (failSync ? " sync " : " write ") << n << ": disk and memory differ";

                t.F.Open(false);
                t.Append("After", 5);
                t.F.Close();
                std::string failure;
                const std::string later = Reopen(&env, &failure);
                EXPECT_EQ(failure, "");
                EXPECT_EQ(later, inMemory + std::to_string(emptied ? 1 : key0) + ":After:5 ")
                    << op.name << " step " << n;
            }
        }
    }
}

namespace {

// The same through the table, sorted by name: the records in memory after
// the next start are those of the file, whole.
class TGoods : public TTable {
public:
    Goods G;
    std::unique_ptr<TIndex> ByName = TIndex::CreateNamed(&G.Fields, "ByName", &G.Name);

    explicit TGoods(TFileEnv* env)
    {
        SetEnv(env);
        SetFields(&G.Fields);
        SetFileName(Path);
    }
    ~TGoods() override
    {
        if (IsOpen())
            Close();
    }
    void Open(bool CreateIfMissing) override
    {
        TTable::Open(CreateIfMissing);
        AddIndex(ByName.get());
        SetIndexName("ByName");
    }
    std::string Rows()
    {
        std::string s;
        for (First(); !Eof(); Next())
            s += G.Id.GetText() + ":" + G.Name.GetText() + ":" + G.Price.GetText() + " ";
        return s;
    }
};

std::string TableRows(TFileEnv* env, std::string* failure)
{
    TGoods t(env);
    try {
        t.Open(false);
    } catch (const Exception& e) {
        *failure = e.Message();
        return "";
    }
    return t.Rows();
}

} // namespace

TEST(Crash, TableChangesCutAtEveryStepReopenWhole)
{
    struct Change {
        const char* name;
        std::function<void(TGoods&)> run;
    };
    const std::vector<Change> changes = {
        {"post insert", [](TGoods& t) { t.Insert(); t.G.Name.SetText("Banana"); t.Post(); }},
        {"post edit", [](TGoods& t) { t.First(); t.Edit(); t.G.Name.SetText("Zucchini"); t.Post(); }},
        {"post edit across sectors",
         [](TGoods& t) { t.FindText("Straddle"); t.Edit(); t.G.Name.SetText("Apricot"); t.Post(); }},
        {"delete", [](TGoods& t) { t.First(); t.Delete(); }},
        {"empty", [](TGoods& t) { t.Empty(); }},
    };
    for (const Change& c : changes) {
        std::string before, after, failure;
        {
            TFaultEnv env;
            MakeStartFile(&env);
            before = TableRows(&env, &failure);
            TGoods t(&env);
            t.Open(false);
            c.run(t);
            t.Close();
            after = TableRows(&env, &failure);
        }
        ASSERT_EQ(failure, "");
        for (int64_t cut = 0;; ++cut) {
            TFaultEnv env;
            MakeStartFile(&env);
            TGoods t(&env);
            t.Open(false);
            env.CutAfter(cut);
            bool returned = Returned([&] { c.run(t); });
            for (const auto& choice : LossChoices(env.Pending())) {
                std::unique_ptr<TFaultEnv> disk = env.Crash(choice);
                std::string seen = TableRows(disk.get(), &failure);
                ASSERT_EQ(failure, "") << c.name << " cut " << cut;
                if (returned)
                    EXPECT_EQ(seen, after) << c.name;
                else
                    EXPECT_TRUE(seen == before || seen == after) << c.name << " cut " << cut << ": " << seen;
            }
            if (returned)
                break;
        }
    }
}

// The copy a rewrite leaves past the records is used only when it is whole
// and names a record; otherwise it is cut off like any torn tail.
TEST(Crash, RewriteCopyIsUsedOnlyWhenWhole)
{
    TFaultEnv env;
    MakeStartFile(&env);
    const std::string before = Reopen(&env);
    int32_t tail = 0;
    {
        Table t(&env);
        t.F.Open(false);
        TDatHeader h;
        t.F.GetHeader(h);
        tail = h.HeaderSize + h.RecordCount * h.RecordSize;
        t.GoTo(6);
        t.G.Set("Straddle, rewritten", 11);
        env.CutAfter(2);  // the copy is on the disk, the record not yet
        EXPECT_THROW(t.F.WriteRecord(), Exception);
    }
    std::unique_ptr<TFaultEnv> disk = env.Crash({});
    const std::string withCopy = disk->Contents(Path);
    ASSERT_EQ(withCopy.size(), size_t(tail) + 56);

    struct Case {
        const char* name;
        std::function<void(std::string&)> change;
        bool finished;
    };
    const std::vector<Case> cases = {
        {"whole copy", [](std::string&) {}, true},
        {"one data byte wrong", [&](std::string& s) { s[tail + 20] ^= 1; }, false},
        {"check word wrong", [&](std::string& s) { s[tail] ^= 1; }, false},
        {"target off a record", [&](std::string& s) { s[tail + 4] ^= 1; }, false},
        {"copy cut short", [&](std::string& s) { s.resize(tail + 55); }, false},
    };
    for (const Case& c : cases) {
        std::string bytes = withCopy;
        c.change(bytes);
        TFaultEnv e;
        e.SetContents(Path, bytes);
        const std::string seen = Reopen(&e);
        if (c.finished)
            EXPECT_NE(seen.find("7:Straddle, rewritten:11 "), std::string::npos) << c.name << ": " << seen;
        else
            EXPECT_EQ(seen, before) << c.name;
    }
}

namespace {

const char* const TempPath = "goods.dat.tmp";
const char* const OtherPath = "other.dat";
const char* const OtherBytes = "another table's bytes";
const std::string StaleBytes("WrDt\0\0\0\0\x8C", 9);

// Making a new data file, from a disk that may hold the file it replaces and
// the temporary file a crash in an earlier creation left.
struct Creation {
    const char* name;
    bool startFile;
    bool staleTemp;
    std::function<void(Table&)> run;
};

const std::vector<Creation>& Creations()
{
    static const std::vector<Creation> all = {
        {"CreateNew", false, false, [](Table& t) { t.F.CreateNew(false); }},
        {"Open creating", false, false, [](Table& t) { t.F.Open(true); }},
        {"CreateNew over a stale temporary", false, true, [](Table& t) { t.F.CreateNew(false); }},
        {"Open creating over a stale temporary", false, true, [](Table& t) { t.F.Open(true); }},
        {"CreateNew overwriting", true, false, [](Table& t) { t.F.CreateNew(true); }},
        {"CreateNew overwriting, stale temporary", true, true, [](Table& t) { t.F.CreateNew(true); }},
    };
    return all;
}

void PrepareDisk(TFaultEnv& env, const Creation& c)
{
    env.SetContents(OtherPath, OtherBytes);
    if (c.startFile)
        MakeStartFile(&env);
    if (c.staleTemp)
        env.SetContents(TempPath, StaleBytes);
}

// The next start opens the table, creating it when it is missing: that must
// succeed with the records found, take a new record, and leave the other
// file alone. Returns the records found.
std::string NextStart(TFaultEnv* env, const std::string& what)
{
    std::string seen;
    {
        Table t(env);
        std::string failure;
        try {
            t.F.Open(true);
        } catch (const Exception& e) {
            failure = e.Message();
        }
        EXPECT_EQ(failure, "") << what;
        if (!t.F.IsOpen())
            return "(open failed: " + failure + ")";
        seen = Snapshot(t);
        t.Append("Next", 1);
    }
    std::string failure;
    EXPECT_NE(Reopen(env, &failure).find(":Next:1 "), std::string::npos) << what;
    EXPECT_EQ(failure, "") << what;
    EXPECT_EQ(env->Contents(OtherPath), OtherBytes) << what;
    for (const std::string& n : env->Names())
        EXPECT_TRUE(n == Path || n == OtherPath || n == TempPath) << what << ": " << n;
    return seen;
}

bool IsCreationFailure(const std::string& message)
{
    return message == "Ошибка записи в файл" || message == "Невозможно создать файл";
}

} // namespace

// A power cut at every step of a creation, with every way its unsynced
// writes and renames reach the disk: the next start finds the old file or
// a new empty one, never a file it refuses.
TEST(Crash, CreationCutAtEveryStepLeavesNoFileTheNextStartRefuses)
{
    for (const Creation& c : Creations()) {
        std::string before;
        int64_t steps = 0;
        {
            TFaultEnv env;
            PrepareDisk(env, c);
            before = c.startFile ? Reopen(&env) : "";
            Table t(&env);
            const int64_t start = env.Steps();
            c.run(t);
            steps = env.Steps() - start;
            EXPECT_EQ(Snapshot(t), "") << c.name;
            t.F.Close();
            EXPECT_FALSE(env.FileExists(TempPath)) << c.name << ": the temporary file is left";
        }
        ASSERT_GT(steps, 0) << c.name;

        int runs = 0;
        for (int64_t cut = 0; cut <= steps; ++cut) {
            TFaultEnv env;
            PrepareDisk(env, c);
            bool returned = false;
            {
                Table t(&env);
                env.CutAfter(cut);
                try {
                    c.run(t);
                    returned = true;
                } catch (const Exception& e) {
                    EXPECT_TRUE(IsCreationFailure(testkit::FixedText(e))) << c.name << " cut " << cut << ": " << e.Message();
                    EXPECT_FALSE(t.F.IsOpen()) << c.name << " cut " << cut;
                }
                EXPECT_EQ(returned, cut == steps) << c.name << " cut " << cut;
            }
            for (const auto& choice : LossChoices(env.Pending())) {
                std::unique_ptr<TFaultEnv> disk = env.Crash(choice);
                const std::string what = std::string(c.name) + " cut " + std::to_string(cut);
                const std::string seen = NextStart(disk.get(), what);
                ++runs;
                if (returned)
                    EXPECT_EQ(seen, "") << what << ": a creation that returned was lost";
                else
                    EXPECT_TRUE(seen == before || seen == "") << what << ": " << seen;
            }
        }
        EXPECT_GT(runs, steps) << c.name;
    }
}

// A single write, flush or rename of a creation fails while the program goes
// on: the creation raises, no temporary file stays, the name holds the old
// file or nothing (or, when only the folder flush failed, the whole new
// file), and the next start succeeds.
TEST(Crash, AFailedStepOfACreationLeavesTheNameAsItWas)
{
    struct Kind {
        const char* name;
        std::function<void(TFaultEnv&, int)> arm;
    };
    const std::vector<Kind> kinds = {
        {"write", [](TFaultEnv& e, int n) { e.FailWrite(n); }},
        {"flush", [](TFaultEnv& e, int n) { e.FailSync(n); }},
        {"rename", [](TFaultEnv& e, int n) { e.FailRename(n); }},
    };
    for (const Creation& c : Creations()) {
        std::string fresh;
        {
            TFaultEnv env;
            PrepareDisk(env, c);
            Table t(&env);
            c.run(t);
            fresh = env.Contents(Path);
        }
        for (const Kind& k : kinds) {
            int failures = 0;
            for (int n = 1;; ++n) {
                const std::string what = std::string(c.name) + ", " + k.name + " " + std::to_string(n);
                TFaultEnv env;
                PrepareDisk(env, c);
                const std::string old = env.Contents(Path);
                const std::string before = c.startFile ? Reopen(&env) : "";
                Table t(&env);
                k.arm(env, n);
                std::string message;
                try {
                    c.run(t);
                } catch (const Exception& e) {
                    message = testkit::FixedText(e);
                }
                if (message.empty())
                    break;
                ++failures;
                env.ClearFaults();
                EXPECT_TRUE(IsCreationFailure(message)) << what << ": " << message;
                EXPECT_FALSE(t.F.IsOpen()) << what;
                EXPECT_TRUE(!env.FileExists(TempPath) || (c.staleTemp && env.Contents(TempPath) == StaleBytes))
                    << what << ": the temporary file is left";
                const bool asBefore = env.FileExists(Path) == c.startFile && env.Contents(Path) == old;
                const bool whole = env.FileExists(Path) && env.Contents(Path) == fresh;
                EXPECT_TRUE(asBefore || (whole && std::string(k.name) == "flush")) << what;

                const std::string seen = NextStart(&env, what);
                EXPECT_EQ(seen, asBefore ? before : "") << what;
            }
            EXPECT_GT(failures, 0) << c.name << ", " << k.name;
        }
    }
}

// A rewrite across sectors fails after its copy is on the disk, and putting
// the old bytes back fails too: the record in place may be torn, and only
// the copy mends it. The program goes on with a further change, cut at
// every step: the next start finds the record old or new, never a mix, and
// every other record as it was.
TEST(Crash, AFailedUndoOfARewriteKeepsItsCopyUntilTheRecordIsWhole)
{
    struct Later {
        const char* name;
        std::function<void(Table&)> run;
        const char* shows;  // what the change adds, when it returned
    };
    const std::vector<Later> laters = {
        {"append", [](Table& t) { t.Append("Later", 3); }, ":Later:3 "},
        {"rewrite in a sector", [](Table& t) { t.GoTo(0); t.G.Set("Apple, later", 4); t.F.WriteRecord(); },
         ":Apple, later:4 "},
        {"delete", [](Table& t) { t.GoTo(2); t.F.DeleteRecord(); }, ""},
        {"close", [](Table& t) { t.F.Close(); }, ""},
    };
    const std::string oldRecord = "7:Straddle:10 ", newRecord = "7:Straddle, rewritten:11 ";
    // Syncs: the copy's, the record's (fails, the record stays in the cache
    // only); writes: the copy, the record, the undo (fails).
    auto failRewrite = [](TFaultEnv& env, Table& t) {
        MakeStartFile(&env);
        t.F.Open(false);
        t.GoTo(6);
        t.G.Set("Straddle, rewritten", 11);
        env.FailSync(2);
        env.FailWrite(3);
        EXPECT_THROW(t.F.WriteRecord(), Exception);
        env.ClearFaults();
    };
    for (const Later& later : laters) {
        int64_t steps = 0;
        {
            TFaultEnv env;
            Table t(&env);
            failRewrite(env, t);
            const int64_t start = env.Steps();
            later.run(t);
            steps = env.Steps() - start;
        }
        for (int64_t cut = 0; cut <= steps; ++cut) {
            TFaultEnv env;
            Table t(&env);
            failRewrite(env, t);
            env.CutAfter(cut);
            const bool returned = Returned([&] { later.run(t); });
            for (const auto& choice : LossChoices(env.Pending())) {
                std::unique_ptr<TFaultEnv> disk = env.Crash(choice);
                std::string failure;
                const std::string seen = Reopen(disk.get(), &failure);
                ASSERT_EQ(failure, "") << later.name << " cut " << cut;
                const bool whole = seen.find(oldRecord) != std::string::npos ||
                                   seen.find(newRecord) != std::string::npos;
                EXPECT_TRUE(whole) << later.name << " cut " << cut << ": " << seen;
                EXPECT_NE(seen.find("6:Lime:9 "), std::string::npos) << later.name << " cut " << cut;
                if (returned && *later.shows) {
                    EXPECT_NE(seen.find(later.shows), std::string::npos) << later.name << " cut " << cut;
                }
            }
        }
    }
}
