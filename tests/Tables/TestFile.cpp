#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

#include "TablesTestKit.h"
#include "UException.h"
#include "UFaultEnv.h"
#include "UFile.h"

using namespace tv;
using namespace tv::testkit;

TEST(TFile, WritesReadsSeeksAndTruncatesOnDisk)
{
    TempDir dir;
    TFile f;
    f.SetFileName(dir.Path("a.bin"));
    f.Open(true);
    ASSERT_TRUE(f.IsOpen());
    EXPECT_EQ(f.Write("abcdef", 6), 6);
    EXPECT_EQ(f.Seek(2, 0), 2);
    char buf[3] = {};
    EXPECT_EQ(f.Read(buf, 3), 3);
    EXPECT_EQ(std::string(buf, 3), "cde");
    EXPECT_EQ(f.Seek(-1, 1), 4);
    f.Truncate();
    EXPECT_EQ(f.Seek(0, 2), 4);
    f.Flush();
    f.Close();
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(ReadAll(dir.Path("a.bin")), "abcd");
}

TEST(TFile, FailureMessages)
{
    TempDir dir;
    const std::string existing = dir.Path("existing.bin");
    WriteAll(existing, "keep");

    struct Case {
        const char* name;
        std::function<void(TFile&)> action;
        const char* message;
    };
    auto openIt = [&](TFile& f) {
        f.SetFileName(existing);
        f.Open(false);
    };
    const std::vector<Case> cases = {
        {"SetFileName while open", [&](TFile& f) { openIt(f); f.SetFileName(dir.Path("b")); },
         "Недопустимая операция при открытом файле"},
        {"SetFileName empty", [](TFile& f) { f.SetFileName(""); }, "Пустое имя файла"},
        {"CreateNew while open", [&](TFile& f) { openIt(f); f.CreateNew(true); },
         "Недопустимая операция при открытом файле"},
        {"Open while open", [&](TFile& f) { openIt(f); f.Open(false); },
         "Недопустимая операция при открытом файле"},
        {"CreateNew over existing", [&](TFile& f) { f.SetFileName(existing); f.CreateNew(false); },
         "Файл существует"},
        {"CreateNew in missing folder",
         [&](TFile& f) { f.SetFileName(dir.Path("no/such.bin")); f.CreateNew(true); },
         "Невозможно создать файл"},
        {"Open missing", [&](TFile& f) { f.SetFileName(dir.Path("missing")); f.Open(false); },
         "Файл не найден"},
        {"Open a folder", [&](TFile& f) { f.SetFileName(dir.Path("")); f.Open(false); },
         "Ошибка открытия файла"},
        {"Seek closed", [](TFile& f) { f.Seek(0, 0); }, "Недопустимая операция при закрытом файле"},
        {"Read closed", [](TFile& f) { char c; f.Read(&c, 1); },
         "Недопустимая операция при закрытом файле"},
        {"Write closed", [](TFile& f) { f.Write("x", 1); },
         "Недопустимая операция при закрытом файле"},
        {"Close closed", [](TFile& f) { f.Close(); }, "Недопустимая операция при закрытом файле"},
        {"Flush closed", [](TFile& f) { f.Flush(); }, "Недопустимая операция при закрытом файле"},
        {"Seek from start before the file", [&](TFile& f) { openIt(f); f.Seek(-4, 0); },
         "Ошибка позиционирования в файле"},
        {"Read past the end", [&](TFile& f) { openIt(f); char b[5]; f.Read(b, 5); },
         "Ошибка при чтении из файла"},
        {"Read negative count", [&](TFile& f) { openIt(f); char b[1]; f.Read(b, -1); },
         "Range check error"},
        {"Write negative count", [&](TFile& f) { openIt(f); f.Write("x", -1); },
         "Range check error"},
    };
    for (const Case& c : cases) {
        TFile f;
        EXPECT_EQ(MessageOf([&] { c.action(f); }), c.message) << c.name;
    }
    EXPECT_EQ(ReadAll(existing), "keep");
}

TEST(TFile, FailedWriteTruncateOrFlushRaisesTheWriteMessageWithFileAndReason)
{
    struct Case {
        const char* name;
        std::function<void(TFaultEnv&)> arm;
        std::function<void(TFile&)> action;
        int error;
    };
    const std::vector<Case> cases = {
        {"write", [](TFaultEnv& e) { e.FailWrite(1); }, [](TFile& f) { f.Write("abc", 3); }, ENOSPC},
        {"truncate", [](TFaultEnv& e) { e.FailWrite(1); }, [](TFile& f) { f.Truncate(); }, ENOSPC},
        {"flush", [](TFaultEnv& e) { e.FailSync(1); }, [](TFile& f) { f.Flush(); }, EIO},
        {"power gone", [](TFaultEnv& e) { e.CutAfter(0); }, [](TFile& f) { f.Flush(); }, EIO},
    };
    for (const Case& c : cases) {
        TFaultEnv env;
        TFile f;
        f.SetEnv(&env);
        f.SetFileName("f.bin");
        f.CreateNew(false);
        c.arm(env);
        try {
            c.action(f);
            ADD_FAILURE() << c.name << " raised nothing";
        } catch (const EFileError& e) {
            EXPECT_EQ(e.Text(), "Ошибка записи в файл") << c.name;
            EXPECT_EQ(e.Path(), "f.bin") << c.name;
            EXPECT_EQ(e.Reason(), std::strerror(c.error)) << c.name;
            EXPECT_EQ(e.Message(), "Ошибка записи в файл\r\nf.bin: " + e.Reason()) << c.name;
        }
        env.ClearFaults();
        EXPECT_EQ(f.Write("ok", 2), 2) << c.name;
    }
}

TEST(TFile, CreateNewOverwritesOnlyWhenAsked)
{
    TempDir dir;
    const std::string path = dir.Path("c.bin");
    WriteAll(path, "old contents");
    TFile f;
    f.SetFileName(path);
    EXPECT_EQ(MessageOf([&] { f.CreateNew(false); }), "Файл существует");
    EXPECT_FALSE(f.IsOpen());
    f.CreateNew(true);
    f.Write("new", 3);
    f.Close();
    EXPECT_EQ(ReadAll(path), "new");
}

TEST(TFile, SecondOpenFailsInThisProcessAndInAnother)
{
    TempDir dir;
    const std::string path = dir.Path("held.bin");
    WriteAll(path, "data");
    TFile first;
    first.SetFileName(path);
    first.Open(false);

    TFile second;
    second.SetFileName(path);
    EXPECT_EQ(MessageOf([&] { second.Open(false); }), "Ошибка открытия файла");
    EXPECT_EQ(MessageOf([&] { second.CreateNew(true); }), "Невозможно создать файл");
    EXPECT_EQ(ReadAll(path), "data") << "a refused overwrite must not empty the held file";
    EXPECT_EQ(OpenInChild(path), 0);

    first.Close();
    EXPECT_EQ(OpenInChild(path), 1);
    second.Open(false);
    EXPECT_TRUE(second.IsOpen());
}

TEST(TFile, ClosingReleasesTheFileEvenThroughDestruction)
{
    TempDir dir;
    const std::string path = dir.Path("d.bin");
    {
        TFile f;
        f.SetFileName(path);
        f.Open(true);
    }
    TFile again;
    again.SetFileName(path);
    again.Open(false);
    EXPECT_TRUE(again.IsOpen());
}

TEST(TFileEnv, RenameAndRemoveOnDisk)
{
    TempDir dir;
    TFileEnv* env = TFileEnv::Default();
    const std::string a = dir.Path("a.bin"), b = dir.Path("b.bin"), c = dir.Path("c.bin");
    WriteAll(a, "A");
    WriteAll(b, "B");
    EXPECT_FALSE(env->RenameFile(a, b, false)) << "an existing name is kept";
    EXPECT_EQ(ReadAll(a), "A");
    EXPECT_EQ(ReadAll(b), "B");

    std::unique_ptr<TEnvFile> held = env->OpenFile(a);
    ASSERT_TRUE(held);
    ASSERT_TRUE(env->RenameFile(a, c, false));
    EXPECT_FALSE(env->FileExists(a));
    EXPECT_EQ(held->Write("x", 1), 1);
    EXPECT_EQ(ReadAll(c), "x") << "the handle follows the file";
    EXPECT_EQ(env->OpenFile(c), nullptr) << "and so does the lock";
    EXPECT_EQ(OpenInChild(c), 0);

    ASSERT_TRUE(env->RenameFile(c, b, true));
    EXPECT_EQ(ReadAll(b), "x");
    EXPECT_TRUE(env->SyncDir(b));
    EXPECT_FALSE(env->RenameFile(c, a, true)) << "a missing file";
    EXPECT_TRUE(env->RemoveFile(b));
    EXPECT_FALSE(env->FileExists(b));
    EXPECT_FALSE(env->RemoveFile(b));
    EXPECT_EQ(held->Write("y", 1), 1) << "a removed file stays usable while open";
    EXPECT_FALSE(env->SyncDir(dir.Path("no/such.bin")));
}

// Renames and removals reach the disk only with a sync of their folder; the
// power may take each one before that.
TEST(TFaultEnv, RenamesAndRemovalsLastOnlyOnceTheFolderIsSynced)
{
    TFaultEnv env;
    env.SetContents("d/a", "A");
    env.SetContents("d/b", "B");
    env.SetContents("e/c", "C");
    auto disk = [](const TFaultEnv& e) {
        std::string s;
        for (const std::string& n : e.Names())
            s += n + "=" + e.Contents(n) + " ";
        return s;
    };
    EXPECT_FALSE(env.RenameFile("d/a", "d/b", false));
    std::unique_ptr<TEnvFile> held = env.OpenFile("d/a");
    ASSERT_TRUE(env.RenameFile("d/a", "d/b", true));
    EXPECT_EQ(held->Write("x", 1), 1);
    EXPECT_EQ(env.OpenFile("d/b"), nullptr) << "the lock follows the file";
    ASSERT_TRUE(env.RemoveFile("e/c"));
    EXPECT_EQ(disk(env), "d/b=x ");

    const std::vector<TFaultEnv::TPendingOp> pending = env.Pending();
    ASSERT_EQ(pending.size(), 3u);
    EXPECT_TRUE(pending[0].Rename);
    EXPECT_EQ(pending[0].From, "d/a");
    EXPECT_EQ(pending[0].FileName, "d/b");
    EXPECT_EQ(pending[1].FileName, "d/b");
    EXPECT_TRUE(pending[2].Removal);
    EXPECT_EQ(pending[2].FileName, "e/c");

    EXPECT_EQ(disk(*env.Crash({})), "d/a=A d/b=B e/c=C ");
    EXPECT_EQ(disk(*env.Crash({1, 0, 1})), "d/b=A ");
    EXPECT_EQ(disk(*env.Crash({0, 1, 0})), "d/a=x d/b=B e/c=C ");

    ASSERT_TRUE(env.SyncDir("d/any"));
    EXPECT_EQ(disk(*env.Crash({})), "d/b=A e/c=C ") << "only the folder synced is safe";
    ASSERT_TRUE(held->Sync());
    ASSERT_TRUE(env.SyncDir("e/c"));
    EXPECT_EQ(disk(*env.Crash({})), "d/b=x ");

    env.FailRename(1);
    EXPECT_FALSE(env.RenameFile("d/b", "d/z", false));
    EXPECT_EQ(disk(env), "d/b=x ");
    held.reset();
    env.CutAfter(0);
    EXPECT_FALSE(env.RenameFile("d/b", "d/z", false));
    EXPECT_FALSE(env.RemoveFile("d/b"));
    EXPECT_FALSE(env.SyncDir("d/b"));
    env.ClearFaults();
    EXPECT_TRUE(env.RenameFile("d/b", "d/z", false));
    EXPECT_EQ(disk(env), "d/z=x ");
}

TEST(TFile, RealDiskFailureCarriesTheSystemsReason)
{
    TempDir dir;
    TFile f;
    f.SetFileName(dir.Path("no/such.bin"));
    try {
        f.CreateNew(true);
        FAIL() << "created in a missing folder";
    } catch (const EFileError& e) {
        EXPECT_EQ(e.Text(), "Невозможно создать файл");
        EXPECT_EQ(e.Path(), dir.Path("no/such.bin"));
        EXPECT_EQ(e.Reason(), std::strerror(ENOENT));
    }
}

// A file removed or replaced under an open handle takes no more changes:
// what would be written goes nowhere the name leads.
TEST(TFile, CheckNamedRefusesARemovedOrReplacedFile)
{
    namespace fs = std::filesystem;
    const char* const refused = "Файл данных удален или заменен, изменение не записано";
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> change;
        bool named;
    };
    const std::vector<Case> cases = {
        {"untouched", [](const std::string&) {}, true},
        {"removed", [](const std::string& p) { fs::remove(p); }, false},
        {"folder removed", [](const std::string& p) { fs::remove_all(fs::path(p).parent_path()); }, false},
        {"replaced", [](const std::string& p) { fs::remove(p); WriteAll(p, "other"); }, false},
        {"folder renamed and made anew",
         [](const std::string& p) {
             const fs::path folder = fs::path(p).parent_path();
             fs::rename(folder, folder.string() + ".old");
             fs::create_directory(folder);
             WriteAll(p, "data");
         },
         false},
    };
    for (const Case& c : cases) {
        TempDir dir;
        fs::create_directory(dir.Path("Data"));
        const std::string path = dir.Path("Data/f.bin");
        WriteAll(path, "data");
        TFile f;
        f.SetFileName(path);
        f.Open(false);
        c.change(path);
        EXPECT_EQ(MessageOf([&] { f.CheckNamed(); }), c.named ? kNoFailure : refused) << c.name;
    }

    TFaultEnv env;
    TFile f;
    f.SetEnv(&env);
    f.SetFileName("Data/f.bin");
    f.CreateNew(false);
    EXPECT_EQ(MessageOf([&] { f.CheckNamed(); }), kNoFailure);
    ASSERT_TRUE(env.RenameFile("Data/f.bin", "Data/old.bin", false));
    EXPECT_EQ(MessageOf([&] { f.CheckNamed(); }), refused) << "renamed away";
    env.SetContents("Data/f.bin", "other");
    EXPECT_EQ(MessageOf([&] { f.CheckNamed(); }), refused) << "replaced";
}
