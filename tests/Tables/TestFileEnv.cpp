// The file environments: the same checks over the real disk and over the
// fault environment injecting nothing, then what the fault environment's
// disk keeps of folders after a power loss.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "UFaultEnv.h"
#include "UFileEnv.h"

using namespace tv;

// The environments the contract runs over name its tests, so they stay out
// of the anonymous namespace.

// The real file system below a fresh temporary folder.
struct PosixSetup {
    TFileEnv* Env() { return TFileEnv::Default(); }
    testkit::TTempFolder Folder{"tv-env-"};
    std::string Base = Folder.Path();
};

// The fault environment with the base folder made and on its disk.
struct FaultSetup {
    FaultSetup()
    {
        FEnv.CreateFolder(Base);
        FEnv.SyncDir(Base);
    }
    TFileEnv* Env() { return &FEnv; }
    std::string Base = "/fault-env/base";  // in memory only
    TFaultEnv FEnv;
};

namespace {

using TEntries = std::vector<TFileEnv::TFolderEntry>;

template <class TSetup>
class FileEnvContract : public ::testing::Test {
protected:
    std::string P(const std::string& relative) const { return FSetup.Base + "/" + relative; }

    bool Put(const std::string& relative, const std::string& bytes)
    {
        auto f = Env()->CreateFile(P(relative));
        return f && f->Write(bytes.data(), int64_t(bytes.size())) == int64_t(bytes.size()) &&
               f->Sync();
    }

    // The file's bytes, or "missing".
    std::string Get(const std::string& relative)
    {
        auto f = Env()->OpenReadOnly(P(relative));
        if (!f)
            return "missing";
        std::string bytes(1 << 20, '\0');
        const int64_t n = f->Read(bytes.data(), int64_t(bytes.size()));
        bytes.resize(n < 0 ? 0 : size_t(n));
        return bytes;
    }

    TEntries List(const std::string& relative)
    {
        TEntries entries;
        EXPECT_TRUE(Env()->ListFolder(P(relative), entries)) << relative;
        return entries;
    }

    TFileEnv* Env() { return FSetup.Env(); }

    TSetup FSetup;
};

using Setups = ::testing::Types<PosixSetup, FaultSetup>;
TYPED_TEST_SUITE(FileEnvContract, Setups);

TYPED_TEST(FileEnvContract, FoldersAreCreatedListedAndRemovedOneLevelAtATime)
{
    TFileEnv* env = this->Env();
    TEntries entries{{"stale", false}};
    EXPECT_FALSE(env->FolderExists(this->P("a")));
    EXPECT_FALSE(env->ListFolder(this->P("a"), entries));
    EXPECT_TRUE(entries.empty());

    EXPECT_TRUE(env->CreateFolder(this->P("a")));
    EXPECT_TRUE(env->FolderExists(this->P("a")));
    EXPECT_TRUE(env->FolderExists(this->P("a/")));
    EXPECT_FALSE(env->CreateFolder(this->P("a"))) << "the name is taken";
    EXPECT_FALSE(env->CreateFolder(this->P("a/b/c"))) << "no intermediate folders";
    EXPECT_FALSE(env->FolderExists(this->P("a/b")));
    EXPECT_TRUE(this->List("a").empty());

    ASSERT_TRUE(this->Put("a/file", "bytes"));
    EXPECT_FALSE(env->FolderExists(this->P("a/file")));
    EXPECT_FALSE(env->CreateFolder(this->P("a/file"))) << "a file has the name";
    EXPECT_FALSE(env->CreateFolder(this->P("a/file/sub"))) << "a file is no folder";
    EXPECT_EQ(env->CreateFile(this->P("a")), nullptr) << "a folder has the name";
    EXPECT_TRUE(env->CreateFolder(this->P("a/sub")));
    EXPECT_TRUE(env->SyncDir(this->P("a/sub")));
    const TEntries both{{"file", false}, {"sub", true}};
    EXPECT_EQ(this->List("a"), both);
    EXPECT_EQ(this->List("a/"), both);
    EXPECT_EQ(this->List("a//"), both);
    EXPECT_FALSE(env->ListFolder(this->P("a/file"), entries)) << "a file lists nothing";

    EXPECT_FALSE(env->RemoveFolder(this->P("a"))) << "not empty";
    EXPECT_FALSE(env->RemoveFolder(this->P("a/file"))) << "a file is no folder";
    EXPECT_TRUE(env->RemoveFolder(this->P("a/sub")));
    EXPECT_FALSE(env->RemoveFolder(this->P("a/sub")));
    EXPECT_TRUE(env->SyncDir(this->P("a/sub")));
    EXPECT_EQ(this->List("a"), (TEntries{{"file", false}}));
    EXPECT_EQ(this->Get("a/file"), "bytes");
}

TYPED_TEST(FileEnvContract, ACopyHoldsExactlyTheSourceBytes)
{
    TFileEnv* env = this->Env();
    struct Row {
        const char* name;
        std::string source;
        std::string target;  // before the copy; "missing" for none
    };
    std::string large(200000, '\0');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = char(i * 7 + i / 251);
    const std::vector<Row> rows = {
        {"empty file", "", "missing"},
        {"over a longer file", "short", std::string(1000, 'x')},
        {"past several read blocks", large, "missing"},
        {"over a shorter file", large, "old"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        env->RemoveFile(this->P("to"));
        ASSERT_TRUE(this->Put("from", r.source));
        if (r.target != "missing") {
            ASSERT_TRUE(this->Put("to", r.target));
        }
        EXPECT_TRUE(env->CopyFile(this->P("from"), this->P("to")));
        EXPECT_TRUE(this->Get("to") == r.source);
        EXPECT_TRUE(this->Get("from") == r.source);
    }

    // A source another open holds is still read.
    ASSERT_TRUE(this->Put("from", "held"));
    {
        auto held = env->OpenFile(this->P("from"));
        ASSERT_NE(held, nullptr);
        EXPECT_TRUE(env->CopyFile(this->P("from"), this->P("to")));
        EXPECT_EQ(this->Get("to"), "held");
    }
}

// A copy between open files takes the source from its position to its end
// and writes it at the target's position, within one environment and from
// the other one (which has no copy in common with it); a file open for
// reading only takes no copy.
TYPED_TEST(FileEnvContract, ACopyBetweenOpenFilesRunsFromPositionToPosition)
{
    std::string large(3 << 20, '\0');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = char(i * 13 + i / 4093);
    TFaultEnv otherFault;
    testkit::TTempFolder otherFolder{"tv-env-other-"};
    const bool posix = this->Env() == TFileEnv::Default();
    TFileEnv* other = posix ? static_cast<TFileEnv*>(&otherFault) : TFileEnv::Default();
    const std::string otherName = posix ? "/other-env/source" : otherFolder.Path() + "/source";
    struct Row {
        const char* name;
        bool fromOther;
        std::string source;
        int64_t from, to;  // the positions of the source and of the target
    };
    const std::vector<Row> rows = {
        {"a few bytes into the middle", false, "0123456789", 3, 2},
        {"pieces past a MiB", false, large, 5, 0},
        {"nothing left to copy", false, "0123", 4, 1},
        {"from the other environment", true, large, 7, 3},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string before = "abcdefgh";
        ASSERT_TRUE(this->Put("to", before));
        std::unique_ptr<TEnvFile> in;
        if (r.fromOther) {
            if (posix) otherFault.SetContents(otherName, r.source);
            else {
                auto f = other->CreateFile(otherName);
                ASSERT_TRUE(f && f->Write(r.source.data(), int64_t(r.source.size())) == int64_t(r.source.size()));
            }
            in = other->OpenReadOnly(otherName);
        } else {
            ASSERT_TRUE(this->Put("from", r.source));
            in = this->Env()->OpenReadOnly(this->P("from"));
        }
        auto out = this->Env()->OpenFile(this->P("to"));
        ASSERT_TRUE(in && out);
        ASSERT_EQ(in->Seek(r.from, 0), r.from);
        ASSERT_EQ(out->Seek(r.to, 0), r.to);
        const std::string rest = r.source.substr(size_t(r.from));
        EXPECT_EQ(out->WriteFrom(*in), int64_t(rest.size()));
        EXPECT_EQ(in->Seek(0, 1), int64_t(r.source.size())) << "the source's position is at its end";
        EXPECT_EQ(out->Seek(0, 1), r.to + int64_t(rest.size())) << "the target's position after the copy";
        out.reset();
        std::string want = before.substr(0, size_t(r.to)) + rest;
        if (want.size() < before.size()) want += before.substr(want.size());
        auto back = this->Env()->OpenReadOnly(this->P("to"));
        std::string got(want.size() + 1, '\0');
        got.resize(size_t(std::max<int64_t>(0, back->Read(got.data(), int64_t(got.size())))));
        EXPECT_TRUE(got == want);
        EXPECT_EQ(in->WriteFrom(*this->Env()->OpenReadOnly(this->P("to"))), -1) << "a reader takes no copy";
    }
}

TYPED_TEST(FileEnvContract, ACopyThatCannotBeMadeLeavesBothFiles)
{
    TFileEnv* env = this->Env();
    ASSERT_TRUE(this->Put("from", "source"));
    ASSERT_TRUE(this->Put("to", "target"));
    ASSERT_TRUE(env->CreateFolder(this->P("folder")));
    struct Row {
        const char* name;
        const char* from;
        const char* to;
    };
    const Row rows[] = {
        {"missing source", "nothing", "new"},
        {"a folder as source", "folder", "new"},
        {"onto itself", "from", "from"},
        {"onto itself spelled otherwise", "from", "/from"},
        {"into a missing folder", "from", "nowhere/to"},
        {"onto a folder", "from", "folder"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_FALSE(env->CopyFile(this->P(r.from), this->P(r.to)));
        EXPECT_EQ(this->Get("from"), "source");
        EXPECT_EQ(this->Get("to"), "target");
        EXPECT_EQ(this->Get("new"), "missing");
        EXPECT_TRUE(env->FolderExists(this->P("folder")));
    }
    // A target another open holds is not replaced.
    auto held = env->OpenFile(this->P("to"));
    ASSERT_NE(held, nullptr);
    EXPECT_FALSE(env->CopyFile(this->P("from"), this->P("to")));
    EXPECT_EQ(this->Get("to"), "target");
}

TYPED_TEST(FileEnvContract, SameFileFollowsTheFileNotTheSpelling)
{
    TFileEnv* env = this->Env();
    ASSERT_TRUE(this->Put("one", "x"));
    ASSERT_TRUE(this->Put("two", "x"));
    ASSERT_TRUE(env->CreateFolder(this->P("dir")));
    EXPECT_TRUE(env->SameFile(this->P("one"), this->P("one")));
    EXPECT_TRUE(env->SameFile(this->P("one"), this->P("/one")));
    EXPECT_FALSE(env->SameFile(this->P("one"), this->P("two"))) << "equal bytes, two files";
    EXPECT_TRUE(env->SameFile(this->P("dir"), this->P("dir/")));
    EXPECT_FALSE(env->SameFile(this->P("dir"), this->P("one")));
    EXPECT_FALSE(env->SameFile(this->P("none"), this->P("none")));
    ASSERT_TRUE(env->RenameFile(this->P("one"), this->P("dir/moved"), false));
    EXPECT_TRUE(env->SameFile(this->P("dir/moved"), this->P("dir//moved")));
    EXPECT_FALSE(env->SameFile(this->P("one"), this->P("dir/moved")));
}

TYPED_TEST(FileEnvContract, AReadOnlyOpenReadsWithoutTakingTheFile)
{
    TFileEnv* env = this->Env();
    ASSERT_TRUE(this->Put("file", "contents"));
    ASSERT_TRUE(env->CreateFolder(this->P("dir")));
    EXPECT_EQ(env->OpenReadOnly(this->P("none")), nullptr);
    EXPECT_EQ(env->OpenReadOnly(this->P("dir")), nullptr);
    auto reader = env->OpenReadOnly(this->P("file"));
    ASSERT_NE(reader, nullptr);
    char buffer[16] = {};
    EXPECT_EQ(reader->Read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "cont");
    EXPECT_EQ(reader->Write("x", 1), -1);
    EXPECT_FALSE(reader->Truncate());
    {
        auto writer = env->OpenFile(this->P("file"));
        EXPECT_NE(writer, nullptr) << "the file is not taken";
    }
    reader.reset();
    EXPECT_EQ(this->Get("file"), "contents");
    auto writer = env->OpenFile(this->P("file"));
    EXPECT_NE(writer, nullptr) << "closing a reader frees nothing it did not take";
    EXPECT_EQ(env->OpenFile(this->P("file")), nullptr);
}

// Reads at offsets leave the position alone, stop at the end, and run
// concurrently over one open file.
TYPED_TEST(FileEnvContract, ReadsAtOffsetsKeepThePosition)
{
    std::string bytes(1 << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7 + i / 4096);
    ASSERT_TRUE(this->Put("file", bytes));
    auto file = this->Env()->OpenFile(this->P("file"));
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->Seek(10, 0), 10);
    char buffer[8] = {};
    EXPECT_EQ(file->ReadAt(int64_t(bytes.size()) - 3, buffer, 8), 3) << "short at the end";
    EXPECT_EQ(std::string(buffer, 3), bytes.substr(bytes.size() - 3));
    EXPECT_EQ(file->ReadAt(int64_t(bytes.size()) + 5, buffer, 8), 0);
    EXPECT_EQ(file->Read(buffer, 4), 4) << "the position stayed";
    EXPECT_EQ(std::string(buffer, 4), bytes.substr(10, 4));

    constexpr size_t kParts = 4;
    const size_t share = bytes.size() / kParts;
    std::vector<std::string> read(kParts, std::string(share, '\0'));
    std::vector<std::thread> threads;
    for (size_t part = 0; part < kParts; ++part)
        threads.emplace_back([&, part] {
            // Small reads, so that the parts interleave.
            for (size_t at = 0; at < share; at += 4096)
                file->ReadAt(int64_t(part * share + at), read[part].data() + at, 4096);
        });
    for (std::thread& t : threads) t.join();
    for (size_t part = 0; part < kParts; ++part)
        EXPECT_TRUE(read[part] == bytes.substr(part * share, share)) << "part " << part;
}

TYPED_TEST(FileEnvContract, RenamesAndRemovalsKeepToFilesInExistingFolders)
{
    TFileEnv* env = this->Env();
    ASSERT_TRUE(this->Put("a", "first"));
    ASSERT_TRUE(this->Put("b", "second"));
    ASSERT_TRUE(env->CreateFolder(this->P("dir")));
    EXPECT_FALSE(env->RenameFile(this->P("a"), this->P("nowhere/a"), true));
    EXPECT_FALSE(env->RenameFile(this->P("a"), this->P("dir"), true)) << "a folder has the name";
    EXPECT_FALSE(env->RenameFile(this->P("a"), this->P("b"), false));
    EXPECT_EQ(this->Get("a"), "first");
    EXPECT_EQ(this->Get("b"), "second");
    EXPECT_TRUE(env->RenameFile(this->P("a"), this->P("dir//b"), false));
    EXPECT_TRUE(env->RenameFile(this->P("dir/b"), this->P("b"), true));
    EXPECT_EQ(this->Get("b"), "first");
    EXPECT_EQ(this->Get("a"), "missing");
    EXPECT_TRUE(this->List("dir").empty());
    EXPECT_FALSE(env->RemoveFile(this->P("a")));
    EXPECT_FALSE(env->RemoveFile(this->P("dir"))) << "a folder is no file";
    EXPECT_TRUE(env->FolderExists(this->P("dir")));
}

// Hist/0000-00-00/file, written and synced in a folder made in a folder
// made just before: which of the two folder entries reach the disk.
TEST(TFaultEnvFolders, AFolderLastsOnlyOnceTheFolderHoldingItIsSynced)
{
    struct Row {
        const char* name;
        bool syncHist, syncSafety;  // SyncDir of the folder's own name
        std::vector<std::string> folders, names;
    };
    const std::string hist = "/g/Hist", safety = "/g/Hist/0000-00-00", file = safety + "/file";
    const std::vector<Row> rows = {
        {"neither entry synced", false, false, {"/g"}, {"/g/seed"}},
        {"only the inner one", false, true, {"/g"}, {"/g/seed"}},
        {"only the outer one", true, false, {"/g", hist}, {"/g/seed"}},
        {"both", true, true, {"/g", hist, safety}, {file, "/g/seed"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TFaultEnv env;
        env.SetContents("/g/seed", "seed");
        ASSERT_TRUE(env.CreateFolder(hist));
        ASSERT_TRUE(env.CreateFolder(safety));
        ASSERT_TRUE(env.CopyFile("/g/seed", file));
        ASSERT_TRUE(env.SyncDir(file));
        if (r.syncSafety) {
            ASSERT_TRUE(env.SyncDir(safety));
        }
        if (r.syncHist) {
            ASSERT_TRUE(env.SyncDir(hist));
        }
        EXPECT_EQ(env.Folders(), (std::vector<std::string>{"/g", hist, safety}));
        const auto disk = env.Crash({});
        EXPECT_EQ(disk->Folders(), r.folders);
        EXPECT_EQ(disk->Names(), r.names);
        EXPECT_EQ(disk->FolderExists(safety), r.syncHist && r.syncSafety);
        if (r.syncHist && r.syncSafety) {
            EXPECT_EQ(disk->Contents(file), "seed");
        }
    }
}

TEST(TFaultEnvFolders, PendingFolderChangesAreKeptOrDroppedOneByOne)
{
    TFaultEnv env;
    env.SetContents("/g/old/file", "x");
    env.SetContents("/g/emptied/gone", "y");
    ASSERT_TRUE(env.CreateFolder("/g/new"));
    ASSERT_TRUE(env.RemoveFile("/g/emptied/gone"));
    ASSERT_TRUE(env.SyncDir("/g/emptied/gone"));
    ASSERT_TRUE(env.RemoveFolder("/g/emptied"));
    const auto pending = env.Pending();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].FileName, "/g/new");
    EXPECT_TRUE(pending[0].Folder);
    EXPECT_FALSE(pending[0].Removal);
    EXPECT_FALSE(pending[0].Rename);
    EXPECT_EQ(pending[1].FileName, "/g/emptied");
    EXPECT_TRUE(pending[1].Folder);
    EXPECT_TRUE(pending[1].Removal);

    struct Row {
        std::vector<int64_t> kept;
        std::vector<std::string> folders;
    };
    const Row rows[] = {
        {{}, {"/g", "/g/emptied", "/g/old"}},
        {{1, 0}, {"/g", "/g/emptied", "/g/new", "/g/old"}},
        {{0, 1}, {"/g", "/g/old"}},
        {{1, 1}, {"/g", "/g/new", "/g/old"}},
    };
    for (const Row& r : rows) {
        const auto disk = env.Crash(r.kept);
        EXPECT_EQ(disk->Folders(), r.folders);
        EXPECT_EQ(disk->Names(), std::vector<std::string>{"/g/old/file"});
    }
    ASSERT_TRUE(env.SyncDir("/g/new"));
    EXPECT_TRUE(env.Pending().empty()) << "one folder's sync makes both entries durable";
    EXPECT_EQ(env.Crash({})->Folders(), (std::vector<std::string>{"/g", "/g/new", "/g/old"}));

    // Once a folder's removal is on the disk, what was pending in it is moot.
    ASSERT_TRUE(env.RemoveFile("/g/old/file"));
    ASSERT_TRUE(env.RemoveFolder("/g/old"));
    ASSERT_TRUE(env.SyncDir("/g/old"));
    EXPECT_TRUE(env.Pending().empty());
    EXPECT_TRUE(env.Crash({})->Names().empty());
}

TEST(TFaultEnvFolders, FolderStepsFailAndAreCut)
{
    TFaultEnv env;
    env.SetContents("/g/file", "x");
    const int64_t start = env.Steps();
    ASSERT_TRUE(env.CreateFolder("/g/a"));
    ASSERT_TRUE(env.RemoveFolder("/g/a"));
    EXPECT_EQ(env.Steps() - start, 2) << "a creation and a removal are a step each";

    env.FailCreateFolder(2);
    EXPECT_TRUE(env.CreateFolder("/g/b"));
    EXPECT_FALSE(env.CreateFolder("/g/c"));
    EXPECT_FALSE(env.FolderExists("/g/c"));
    EXPECT_TRUE(env.CreateFolder("/g/c")) << "only the one fails";

    env.CutAfter(0);
    EXPECT_FALSE(env.CreateFolder("/g/d"));
    EXPECT_FALSE(env.RemoveFolder("/g/b"));
    EXPECT_FALSE(env.SyncDir("/g/b"));
    EXPECT_FALSE(env.CopyFile("/g/file", "/g/b/copy"));
    EXPECT_FALSE(env.FolderExists("/g/d"));
    EXPECT_TRUE(env.FolderExists("/g/b"));
    EXPECT_EQ(env.Crash({})->Folders(), std::vector<std::string>{"/g"});
}

// A copy is one write per block and one sync: cut between them, the disk
// may hold any part of it.
TEST(TFaultEnvFolders, ACopyCutBeforeItsSyncLeavesWhatTheDiskKept)
{
    TFaultEnv env;
    env.SetContents("/g/from", "0123456789");
    env.SetContents("/g/to", "old");
    env.CutAfter(2);  // the emptying of the target and the write
    EXPECT_FALSE(env.CopyFile("/g/from", "/g/to"));
    EXPECT_EQ(env.Contents("/g/to"), "0123456789");
    EXPECT_EQ(env.Crash({})->Contents("/g/to"), "old");
    EXPECT_EQ(env.Crash({1, 4})->Contents("/g/to"), "0123");
    EXPECT_EQ(env.Crash({0, 10})->Contents("/g/to"), "0123456789");
}

// Paths none of whose folders the environment knows lie on ground that
// exists; below a folder it knows, a missing folder is missing.
TEST(TFaultEnvFolders, UnknownPathsLieOnGround)
{
    TFaultEnv env;
    EXPECT_TRUE(env.CreateFolder("/far/away/new"));
    EXPECT_TRUE(env.FolderExists("/far/away"));
    EXPECT_FALSE(env.CreateFolder("/far/other/new"));
    EXPECT_NE(env.CreateFile("/elsewhere/file"), nullptr);
    EXPECT_EQ(env.CreateFile("/far/other/file"), nullptr);
    EXPECT_EQ(env.Crash({})->Folders(), (std::vector<std::string>{"/elsewhere", "/far", "/far/away"}));
}

} // namespace
