#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "TablesTestKit.h"
#include "UBaseFld.h"
#include "UDatFile.h"
#include "UFaultEnv.h"
#include "UException.h"
#include "UFields.h"
#include "UMoneyFld.h"

using namespace tv;
using namespace tv::testkit;

namespace {

// Bytes built by hand, independently of the engine.
std::string Le(int32_t v)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return s;
}

std::string Desc(int32_t type, int32_t size, const std::string& name1251, int32_t nextKey)
{
    std::string name(24, '\0');
    name[0] = static_cast<char>(name1251.size());
    name.replace(1, name1251.size(), name1251);
    return Le(type) + Le(size) + name + Le(nextKey);
}

std::string Str(const std::string& s, size_t width)
{
    std::string r = s;
    r.resize(width, '\0');
    return r;
}

// Integer key "Id", string of width 8 "Name", money "Цена" (a Cyrillic
// name, D6 E5 ED E0 in code page 1251): 16 data bytes, 24-byte records.
// Set fills a new record.
struct Goods : TGoodsFields {
    Goods() : TGoodsFields(8, "Цена") {}
    void Set(const std::string& name, uint32_t price) { SetNew(name, price); }
};

const int32_t HS = 32 + 3 * 36;
const int32_t RS = 24;

std::string HeaderBytes(int32_t count, int32_t deleted, int32_t nextKey)
{
    return "WrDt" + Le(0) + Le(HS) + Le(3) + Le(RS) + Le(count) + Le(deleted) + Le(0) +
           Desc(1, 4, "Id", nextKey) + Desc(2, 8, "Name", 0) + Desc(5, 4, "\xD6\xE5\xED\xE0", 0);
}

std::string RecordBytes(int32_t status, int32_t id, const std::string& name, uint32_t price)
{
    return Le(status) + Le(0) + Le(id) + Str(name, 8) + Le(static_cast<int32_t>(price));
}

// Three records, the second deleted: the file every damage case starts from.
std::string SoundFile()
{
    return HeaderBytes(3, 1, 4) + RecordBytes(0, 1, "Apple", 150) +
           RecordBytes(-1, 2, "Pear", 2500) + RecordBytes(0, 3, "ABCDEFGH", 4294967295u);
}

void Patch(std::string& s, size_t at, int32_t v) { s.replace(at, 4, Le(v)); }

std::string Listing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string s;
    for (const std::string& n : names)
        s += n + " ";
    return s;
}

} // namespace

TEST(TDatFile, WritesTheFileByteForByte)
{
    TempDir dir;
    const std::string path = dir.Path("goods.dat");
    Goods g;
    TDatFile f;
    f.SetFields(&g.Fields);
    f.SetFileName(path);
    f.CreateNew(false);
    EXPECT_EQ(ReadAll(path), HeaderBytes(0, 0, 1)) << "the new file is flushed with its header";
    EXPECT_EQ(f.GetRecordOffset(), HS);

    g.Set("Apple", 150);
    f.AppendRecord();
    EXPECT_EQ(f.GetRecordOffset(), HS);
    g.Set("Pear", 2500);
    f.AppendRecord();
    g.Set("ABCDEFGHIJ", 4294967295u);
    f.AppendRecord();
    EXPECT_EQ(f.GetRecordOffset(), HS + 2 * RS);
    EXPECT_EQ(g.Id.GetNextKeyValue(), 4);

    f.SetRecordOffset(HS + RS);
    f.DeleteRecord();
    EXPECT_EQ(ReadAll(path), SoundFile());

    TDatHeader h;
    f.GetHeader(h);
    EXPECT_EQ(h.RecordCount, 3);
    EXPECT_EQ(h.DeletedCount, 1);

    f.SetRecordOffset(HS + RS);
    EXPECT_FALSE(f.ReadRecord()) << "a deleted record still loads";
    EXPECT_EQ(g.Name.GetText(), "Pear");
    f.SetRecordOffset(HS + 2 * RS);
    EXPECT_TRUE(f.ReadRecord());
    EXPECT_EQ(g.Name.GetText(), "ABCDEFGH");

    f.SetRecordOffset(HS);
    f.ReadRecord();
    g.Fields.AllowEdit();
    g.Price.SetValue(7);
    f.WriteRecord();
    std::string expected = SoundFile();
    expected.replace(HS, RS, RecordBytes(0, 1, "Apple", 7));
    EXPECT_EQ(ReadAll(path), expected);

    f.Empty();
    EXPECT_EQ(ReadAll(path), HeaderBytes(0, 0, 1));
    EXPECT_EQ(g.Id.GetNextKeyValue(), 1);
    EXPECT_EQ(g.Name.GetText(), "");
    EXPECT_EQ(f.GetRecordOffset(), HS);
}

TEST(TDatFile, OpensASoundFileWithAttachedOrBuiltFields)
{
    TempDir dir;
    const std::string path = dir.Path("goods.dat");
    WriteAll(path, SoundFile());
    {
        Goods g;
        TDatFile f;
        f.SetFields(&g.Fields);
        f.SetFileName(path);
        f.Open(false);
        EXPECT_EQ(g.Id.GetNextKeyValue(), 4);
        EXPECT_EQ(f.GetRecordOffset(), HS);
        EXPECT_TRUE(f.ReadRecord());
        EXPECT_EQ(g.Name.GetText(), "Apple");
        f.Close();
        EXPECT_EQ(g.Id.GetNextKeyValue(), 1) << "closing resets the key";
        EXPECT_EQ(f.Fields(), &g.Fields) << "an attached set stays attached";
    }
    {
        TDatFile f;
        f.SetFileName(path);
        f.Open(false);
        TFields* built = f.Fields();
        ASSERT_NE(built, nullptr);
        ASSERT_EQ(built->Count(), 3);
        EXPECT_EQ(built->Items(0)->GetName(), "Id");
        EXPECT_TRUE(built->Items(0)->GetPrimaryKey());
        EXPECT_EQ(built->Items(0)->GetNextKeyValue(), 4);
        EXPECT_EQ(built->Items(1)->TypeId(), 2);
        EXPECT_EQ(built->Items(1)->DataSize(), 8);
        EXPECT_FALSE(built->Items(1)->GetPrimaryKey());
        EXPECT_EQ(built->Items(2)->GetName(), "Цена");
        f.SetRecordOffset(HS + 2 * RS);
        EXPECT_TRUE(f.ReadRecord());
        EXPECT_EQ(built->Items(2)->GetText(), "42'949'672.95");
        f.Close();
        EXPECT_EQ(f.Fields(), nullptr) << "a built set goes with the file";
    }
    EXPECT_EQ(ReadAll(path), SoundFile()) << "opening a sound file writes nothing";
}

// Parts of the format that Open reads past: such files open as they are.
TEST(TDatFile, OpenIgnoresReservedWordsNamesAndOtherMarks)
{
    struct Case {
        const char* name;
        std::function<void(std::string&)> change;
    };
    const size_t desc1 = 32 + 36;
    const std::vector<Case> cases = {
        {"reserved header words", [](std::string& s) { Patch(s, 4, 7); Patch(s, 28, -1); }},
        {"reserved word of a record", [](std::string& s) { Patch(s, HS + 4, 12345); }},
        {"other field names",
         [&](std::string& s) { s.replace(desc1 + 8, 24, std::string("\x03Qty") + std::string(20, '\0')); }},
        {"bytes after a name", [&](std::string& s) { s.replace(desc1 + 8 + 5, 3, "xyz"); }},
        {"next key value of a field that is no key", [&](std::string& s) { Patch(s, desc1 + 32, 9); }},
        {"a status other than -1 marks a deleted record", [](std::string& s) { Patch(s, HS + RS, 1); }},
    };
    TempDir dir;
    const std::string path = dir.Path("odd.dat");
    for (const Case& c : cases) {
        std::string bytes = SoundFile();
        c.change(bytes);
        WriteAll(path, bytes);
        Goods g;
        TDatFile f;
        f.SetFields(&g.Fields);
        f.SetFileName(path);
        ASSERT_EQ(MessageOf([&] { f.Open(false); }), kNoFailure) << c.name;
        EXPECT_EQ(g.Id.GetNextKeyValue(), 4) << c.name;
        EXPECT_EQ(g.Name.GetName(), "Name") << c.name << ": the attached names stay";
        std::string live;
        for (int32_t i = 0; i < 3; ++i) {
            f.SetRecordOffset(HS + i * RS);
            live += f.ReadRecord() ? g.Name.GetText() + " " : "- ";
        }
        EXPECT_EQ(live, "Apple - ABCDEFGH ") << c.name;
        f.Close();
        EXPECT_EQ(ReadAll(path), bytes) << c.name << ": the file was changed";
    }
}

TEST(TDatFile, EdgeCasesOfTheFormat)
{
    TempDir dir;
    Goods g;

    // A file of exactly header size opens without records.
    const std::string empty = dir.Path("empty.dat");
    WriteAll(empty, HeaderBytes(0, 0, 1));
    TDatFile f;
    f.SetFields(&g.Fields);
    f.SetFileName(empty);
    f.Open(false);
    EXPECT_EQ(f.GetRecordOffset(), HS);
    EXPECT_EQ(MessageOf([&] { f.ReadRecord(); }), "Ошибка при чтении из файла");
    f.Close();

    // Open with CreateIfMissing makes header and descriptors only.
    const std::string fresh = dir.Path("fresh.dat");
    f.SetFileName(fresh);
    f.Open(true);
    EXPECT_EQ(ReadAll(fresh), HeaderBytes(0, 0, 1));

    // Record offsets: the append position is accepted, one more record not.
    g.Set("a", 1);
    f.AppendRecord();
    f.SetRecordOffset(HS + RS);
    EXPECT_EQ(f.GetRecordOffset(), HS + RS);
    for (int32_t bad : {HS + 2 * RS, HS - 1, HS + 1, HS + RS - 1, 0})
        EXPECT_EQ(MessageOf([&] { f.SetRecordOffset(bad); }), "Неверное смещение записи в файле")
            << bad;
    const std::string oneRecord = ReadAll(fresh);
    EXPECT_EQ(MessageOf([&] { f.WriteRecord(); }), "Неверное смещение записи в файле");
    EXPECT_EQ(MessageOf([&] { f.DeleteRecord(); }), "Неверное смещение записи в файле");
    EXPECT_EQ(ReadAll(fresh), oneRecord) << "nothing is written at the append position";

    // A second open of the same path, by another data file, fails.
    TDatFile other;
    other.SetFields(&g.Fields);
    other.SetFileName(fresh);
    EXPECT_EQ(MessageOf([&] { other.Open(false); }), "Ошибка открытия файла");
    f.Close();

    // CreateNew without Overwrite leaves an existing file as it was.
    const std::string before = ReadAll(fresh);
    EXPECT_EQ(MessageOf([&] { f.CreateNew(false); }), "Файл существует");
    EXPECT_EQ(ReadAll(fresh), before);
}

TEST(TDatFile, NamesAreCodePage1251CutToTwentyBytes)
{
    TempDir dir;
    TIntegerField a;
    TIntegerField b;
    a.SetName("ABCDEFGHIJKLMNOPQRST");       // 20 characters
    b.SetName("Ёжик в тумане и ещё немного");  // cut to 20 characters
    TFields fields({&a, &b});
    TDatFile f;
    f.SetFields(&fields);
    f.SetFileName(dir.Path("names.dat"));
    f.CreateNew(false);
    f.Close();
    const std::string bytes = ReadAll(dir.Path("names.dat"));
    EXPECT_EQ(bytes.substr(32 + 8, 24), "\x14" "ABCDEFGHIJKLMNOPQRST" + std::string(3, '\0'));
    EXPECT_EQ(bytes.substr(32 + 36 + 8, 24),
              "\x14" "\xA8\xE6\xE8\xEA \xE2 \xF2\xF3\xEC\xE0\xED\xE5 \xE8 \xE5\xF9\xB8 " +
                  std::string(3, '\0'));
}

TEST(TDatFile, OperationsOnAClosedFileAndFieldRules)
{
    Goods g;
    TDatFile f;
    const char* closed = "Недопустимая операция при закрытом файле";
    const std::vector<std::pair<const char*, std::function<void()>>> ops = {
        {"GetRecordOffset", [&] { f.GetRecordOffset(); }},
        {"SetRecordOffset", [&] { f.SetRecordOffset(HS); }},
        {"ReadRecord", [&] { f.ReadRecord(); }},
        {"AppendRecord", [&] { f.AppendRecord(); }},
        {"WriteRecord", [&] { f.WriteRecord(); }},
        {"DeleteRecord", [&] { f.DeleteRecord(); }},
        {"Empty", [&] { f.Empty(); }},
        {"Close", [&] { f.Close(); }},
    };
    for (const auto& [name, op] : ops) EXPECT_EQ(MessageOf(op), closed) << name;

    TempDir dir;
    f.SetFileName(dir.Path("x.dat"));
    EXPECT_EQ(MessageOf([&] { f.CreateNew(false); }), "Не определен объект полей");
    EXPECT_FALSE(std::ifstream(dir.Path("x.dat")).good()) << "nothing is created without fields";
    EXPECT_EQ(MessageOf([&] { f.SetFields(nullptr); }), "Не определен объект полей");
    f.SetFields(&g.Fields);
    f.CreateNew(false);
    EXPECT_EQ(MessageOf([&] { f.SetFields(&g.Fields); }), "Недопустимая операция при открытом файле");
    EXPECT_EQ(MessageOf([&] { f.Open(false); }), "Недопустимая операция при открытом файле");

    struct TBuilding : TDatFile {
        using TDatFile::BuildFields;
    } b;
    b.SetFields(&g.Fields);
    EXPECT_EQ(MessageOf([&] { b.BuildFields(); }), "Объект полей уже определен");
}

TEST(TDatFile, DamagedFilesAreRefusedAndLeftUntouched)
{
    struct Case {
        const char* name;
        std::function<void(std::string&)> damage;
        bool attach;
        std::string message;
    };
    const std::string hdrSize = "Неверный размер заголовка файла";
    const std::string count = "Неверное количество записей";
    const size_t desc1 = 32 + 36, desc2 = 32 + 72;
    const std::vector<Case> cases = {
        {"empty file", [](std::string& s) { s.clear(); }, true, hdrSize},
        {"one byte", [](std::string& s) { s.resize(1); }, true, hdrSize},
        {"31 bytes with a wrong magic", [](std::string& s) { s = std::string(31, 'x'); }, true, hdrSize},
        {"wrong magic", [](std::string& s) { s[3] = 'x'; }, true, "Неверный тип файла"},
        {"header size off", [](std::string& s) { Patch(s, 8, HS + 1); }, true, hdrSize},
        {"field count off", [](std::string& s) { Patch(s, 12, 4); }, true, hdrSize},
        {"negative field count", [](std::string& s) { Patch(s, 8, -4); Patch(s, 12, -1); }, false, hdrSize},
        {"shorter than its header", [](std::string& s) { s.resize(HS - 1); }, true, hdrSize},
        {"record size off", [](std::string& s) { Patch(s, 16, RS + 1); }, true, "Неверный размер записи"},
        {"descriptor size 0",
         [&](std::string& s) { Patch(s, desc1 + 4, 0); Patch(s, 16, RS - 8); }, false, "Неверный размер поля"},
        {"descriptor size negative",
         [&](std::string& s) { Patch(s, desc1 + 4, -8); Patch(s, 16, RS - 16); }, false, "Неверный размер поля"},
        {"money descriptor of 5 bytes",
         [&](std::string& s) { Patch(s, desc2 + 4, 5); Patch(s, 16, RS + 1); s.resize(HS); Patch(s, 20, 0); Patch(s, 24, 0); },
         false, "Неверный размер поля"},
        {"unknown type id", [&](std::string& s) { Patch(s, desc2, 9); }, false,
         "Класс поля не зарегистрирован: TField"},
        {"more records counted than stored", [](std::string& s) { Patch(s, 20, 4); }, true, count},
        {"last record one byte short", [](std::string& s) { s.pop_back(); }, true, count},
        {"more deleted than records", [](std::string& s) { Patch(s, 24, 4); }, true, count},
        {"negative record count", [](std::string& s) { Patch(s, 20, -1); }, true, count},
        {"negative deleted count", [](std::string& s) { Patch(s, 24, -1); }, true, count},
        {"field count beyond the 32-bit range", [](std::string& s) { Patch(s, 12, 100000000); }, true,
         "Integer overflow"},
        {"record count beyond the 32-bit range", [](std::string& s) { Patch(s, 20, 1 << 30); }, true,
         "Integer overflow"},
        {"fields of another count", [](std::string& s) {
             s = "WrDt" + Le(0) + Le(32 + 72) + Le(2) + Le(20) + Le(0) + Le(0) + Le(0) +
                 Desc(1, 4, "Id", 1) + Desc(2, 8, "Name", 0);
         }, true, "Поврежден заголовок файла"},
        {"field of another type", [&](std::string& s) { Patch(s, desc2, 1); }, true, "Неверный тип поля"},
        {"fields of other sizes, same record size",
         [&](std::string& s) { Patch(s, desc1 + 4, 9); Patch(s, desc2 + 4, 3); }, true, "Неверный размер поля"},
        {"key without a next value", [](std::string& s) { Patch(s, 32 + 32, 0); }, true,
         "Неверное очередное значение ключевого поля"},
        {"key at the top of the range",
         [](std::string& s) { Patch(s, HS + 2 * RS + 8, 2147483647); }, true,
         "Неверное очередное значение ключевого поля"},
        {"negative next key value", [](std::string& s) { Patch(s, 32 + 32, -3); }, true,
         "Неверное очередное значение ключевого поля"},
        {"negative next key value below negative keys",
         [](std::string& s) { Patch(s, 32 + 32, -5); for (int r = 0; r < 3; ++r) Patch(s, HS + r * RS + 8, -1 - r); },
         true, "Неверное очередное значение ключевого поля"},
        // Tails and counts no single cut change leaves.
        {"two records no header counts, not numbered on from the next key",
         [](std::string& s) { s += RecordBytes(0, 4, "Plum", 1) + RecordBytes(0, 6, "Fig", 2); }, true, count},
        {"two records no header counts, one of them deleted",
         [](std::string& s) { s += RecordBytes(0, 4, "Plum", 1) + RecordBytes(-1, 5, "Fig", 2); }, true, count},
        {"a record and a byte no header counts", [](std::string& s) { s += RecordBytes(0, 4, "Plum", 1) + "x"; },
         true, count},
        {"header one record short, the last a stored record",
         [](std::string& s) { Patch(s, 20, 2); }, true, count},
        {"header two records short", [](std::string& s) { Patch(s, 20, 1); Patch(s, 24, 0); }, true, count},
        {"header at no records, the next key not back at 1",
         [](std::string& s) { Patch(s, 20, 0); Patch(s, 24, 0); }, true, count},
        {"header at no records, records and a byte after it",
         [](std::string& s) { Patch(s, 20, 0); Patch(s, 24, 0); Patch(s, 32 + 32, 1); s += "x"; }, true, count},
        {"deleted count two above the marks", [](std::string& s) { Patch(s, 24, 3); }, true, count},
        {"deleted count two below the marks",
         [](std::string& s) { Patch(s, 24, 0); Patch(s, HS, -1); }, true, count},
        {"a status word no change writes, not counted",
         [](std::string& s) { Patch(s, HS, 5); }, true, count},
    };

    TempDir dir;
    const std::string path = dir.Path("bad.dat");
    for (const Case& c : cases) {
        std::string bytes = SoundFile();
        c.damage(bytes);
        WriteAll(path, bytes);
        Goods g;
        TDatFile f;
        if (c.attach)
            f.SetFields(&g.Fields);
        f.SetFileName(path);
        EXPECT_EQ(MessageOf([&] { f.Open(false); }), c.message) << c.name;
        EXPECT_FALSE(f.IsOpen()) << c.name;
        EXPECT_EQ(ReadAll(path), bytes) << c.name << ": the file was changed";
        if (!c.attach) {
            EXPECT_EQ(f.Fields(), nullptr) << c.name;
        }
    }
}

// What a crash in the middle of a change leaves opens, and the file is
// mended to the sound state.
TEST(TDatFile, CrashLeftoversAreMendedOnOpen)
{
    struct Case {
        const char* name;
        std::function<void(std::string&)> leftover;
        std::string mended = SoundFile();
    };
    const std::string emptied = HeaderBytes(0, 0, 1);
    const std::vector<Case> cases = {
        {"torn tail of one byte", [](std::string& s) { s += 'x'; }},
        {"append cut before its header", [](std::string& s) { s += RecordBytes(0, 4, "Plum", 1); }},
        {"append cut one byte short", [](std::string& s) { s += RecordBytes(0, 4, "Plum", 1).substr(0, RS - 1); }},
        {"append whose bytes never came", [](std::string& s) { s += std::string(RS, '\0'); }},
        {"group append cut before its header",
         [](std::string& s) { s += RecordBytes(0, 4, "Plum", 1) + RecordBytes(0, 5, "Fig", 2); }},
        {"group append torn in its second record",
         [](std::string& s) { s += RecordBytes(0, 4, "Plum", 1) + RecordBytes(0, 5, "Fig", 2).substr(0, 10); }},
        {"group append with a record that never came",
         [](std::string& s) { s += std::string(RS, '\0') + RecordBytes(0, 5, "Fig", 2); }},
        {"rewrite copy cut short", [](std::string& s) { s += RecordBytes(77, HS, "Plum", 1).substr(0, 13); }},
        {"rewrite copy torn", [](std::string& s) { s += RecordBytes(77, HS, "Plum", 1); }},
        {"delete mark without its count", [](std::string& s) { Patch(s, 24, 0); }},
        {"deleted count without its mark", [](std::string& s) { Patch(s, 24, 2); }},
        {"next key behind the stored keys", [](std::string& s) { Patch(s, 32 + 32, 3); }},
        {"all three at once",
         [](std::string& s) { Patch(s, 24, 0); Patch(s, 32 + 32, 1); s += std::string(RS - 1, '\7'); }},
        {"empty cut after its header", [&](std::string& s) { s = emptied + s.substr(HS); }, emptied},
        {"empty of one record cut after its header",
         [&](std::string& s) { s = emptied + RecordBytes(0, 1, "Apple", 150); }, emptied},
        {"empty of one record with a key of its own cut after its header",
         [&](std::string& s) { s = emptied + RecordBytes(0, 9, "Apple", 150); }, emptied},
    };
    TempDir dir;
    const std::string path = dir.Path("torn.dat");
    for (const Case& c : cases) {
        for (bool attach : {true, false}) {
            std::string bytes = SoundFile();
            c.leftover(bytes);
            WriteAll(path, bytes);
            Goods g;
            TDatFile f;
            if (attach)
                f.SetFields(&g.Fields);
            f.SetFileName(path);
            ASSERT_EQ(MessageOf([&] { f.Open(false); }), kNoFailure) << c.name;
            const bool empty = c.mended.size() == size_t(HS);
            TDatHeader h;
            f.GetHeader(h);
            EXPECT_EQ(h.RecordCount, empty ? 0 : 3) << c.name;
            EXPECT_EQ(h.DeletedCount, empty ? 0 : 1) << c.name;
            EXPECT_EQ(f.Fields()->Items(0)->GetNextKeyValue(), empty ? 1 : 4) << c.name;
            EXPECT_EQ(ReadAll(path), c.mended) << c.name << (attach ? " attached" : " built");
        }
    }
}

// A file that keeps a group tail keeps only one as WriteGroup leaves it
// (whole, live, numbered on), untouched until the caller counts or drops
// it; every other tail is cut as ever, and a tail kept and neither counted
// nor dropped goes before the next change.
TEST(TDatFile, AKeptGroupTailIsCountedOrDroppedByTheCaller)
{
    const std::string group = RecordBytes(0, 4, "Plum", 1) + RecordBytes(0, 5, "Fig", 2);
    std::string groups;
    for (int32_t k = 0; k < 2 * TDatFile::MaxGroupRecords; ++k)
        groups += RecordBytes(0, 4 + k, "N" + std::to_string(k), uint32_t(k));
    struct Case {
        const char* name;
        std::string tail;
        int32_t kept;  // leading records kept as a group; the rest is cut
        bool staleKeys = false;  // the header counts the records, its key values do not
    };
    const std::vector<Case> cases = {
        {"group of two", group, 2},
        {"group of one", RecordBytes(0, 4, "Plum", 1), 1},
        {"group torn in its second record", group.substr(0, RS + 10), 1},
        {"group whose second record never came", RecordBytes(0, 4, "Plum", 1) + std::string(RS, '\0'), 1},
        {"group with a first record that never came", std::string(RS, '\0') + RecordBytes(0, 5, "Fig", 2), 0},
        {"a group and the group before it", groups, 2 * TDatFile::MaxGroupRecords},
        {"a count that reached the disk without its key values", group, 2, true},
        {"rewrite copy", RecordBytes(77, HS, "Plum", 1), 0},
    };
    TempDir dir;
    const std::string path = dir.Path("tail.dat");
    for (const Case& c : cases)
        for (const char* then : {"count", "count the first", "drop", "change"}) {
            SCOPED_TRACE(std::string(c.name) + ", " + then);
            std::string file = SoundFile();
            if (c.staleKeys)
                Patch(file, 32 + 32, 3);
            WriteAll(path, file + c.tail);
            Goods g;
            TDatFile f;
            f.SetFields(&g.Fields);
            f.SetKeepsGroupTail(true);
            f.SetFileName(path);
            f.Open(false);
            ASSERT_EQ(f.GroupCount(), c.kept);
            if (c.kept == 0) {
                EXPECT_EQ(ReadAll(path).size(), SoundFile().size());
                continue;
            }
            const std::string kept = c.tail.substr(0, size_t(c.kept) * RS);
            EXPECT_EQ(ReadAll(path), SoundFile() + kept) << "only what follows the kept records is cut";
            TDatHeader h;
            if (std::string(then) == "count" || std::string(then) == "count the first") {
                const int32_t counted = std::string(then) == "count" ? c.kept : 1;
                f.ShortenGroup(counted);
                f.CountGroup();
                f.GetHeader(h);
                EXPECT_EQ(h.RecordCount, 3 + counted);
                EXPECT_EQ(g.Fields.Items(0)->GetNextKeyValue(), 4 + counted);
                EXPECT_EQ(ReadAll(path).substr(HS + 3 * RS), kept.substr(0, size_t(counted) * RS));
            } else {
                if (std::string(then) == "drop") {
                    f.DropGroup();
                } else {
                    f.SetRecordOffset(HS);
                    f.ReadRecord();
                    f.WriteRecord();
                }
                f.GetHeader(h);
                EXPECT_EQ(h.RecordCount, 3);
                EXPECT_EQ(ReadAll(path), SoundFile());
            }
            EXPECT_EQ(f.GroupCount(), 0);
        }
    // More than a group and the one before it is no cut's tail.
    WriteAll(path, SoundFile() + groups + RecordBytes(0, 4 + 2 * TDatFile::MaxGroupRecords, "X", 1));
    {
        Goods g;
        TDatFile f;
        f.SetFields(&g.Fields);
        f.SetKeepsGroupTail(true);
        f.SetFileName(path);
        EXPECT_THROW(f.Open(false), Exception);
    }
    // Without the setting the group is cut at the open.
    WriteAll(path, SoundFile() + group);
    Goods g;
    TDatFile f;
    f.SetFields(&g.Fields);
    f.SetFileName(path);
    f.Open(false);
    EXPECT_EQ(f.GroupCount(), 0);
    EXPECT_EQ(ReadAll(path), SoundFile());
}

// The sound file open in a fault environment.
struct TSoundFaultFile {
    TempDir Dir;
    std::string Path = Dir.Path("g.dat");
    TFaultEnv Env;
    Goods G;
    TDatFile F;
    TSoundFaultFile()
    {
        Env.SetContents(Path, SoundFile());
        F.SetEnv(&Env);
        F.SetFields(&G.Fields);
        F.SetFileName(Path);
        F.Open(false);
    }
};

// A count whose write fails: memory keeps the group counted when the caller
// has committed it (and the header reaches the disk before the next
// change), else drops it with the next change.
TEST(TDatFile, AFailedCountOfACommittedGroupStaysCounted)
{
    const std::string group = RecordBytes(0, 4, "Plum", 1) + RecordBytes(0, 5, "Fig", 2);
    std::string data;
    for (int k = 0; k < 2; ++k) data += group.substr(size_t(k) * RS + 8, RS - 8);
    for (const bool committed : {true, false}) {
        SCOPED_TRACE(committed ? "committed" : "not committed");
        TSoundFaultFile sound;
        TFaultEnv& env = sound.Env;
        const std::string& path = sound.Path;
        Goods& g = sound.G;
        TDatFile& f = sound.F;
        f.WriteGroup(reinterpret_cast<const uint8_t*>(data.data()), 2);
        env.FailWrite(1);
        EXPECT_THROW(f.CountGroup(committed ? TDatFile::TGroupCount::Committed : TDatFile::TGroupCount::Flushed),
                     Exception);
        const int32_t count = committed ? 5 : 3;
        TDatHeader h;
        f.GetHeader(h);
        EXPECT_EQ(h.RecordCount, count);
        EXPECT_EQ(g.Fields.Items(0)->GetNextKeyValue(), count + 1);
        EXPECT_EQ(env.Contents(path), SoundFile() + group) << "the disk's header as it was";
        f.SetRecordOffset(HS);
        f.ReadRecord();
        f.WriteRecord();
        std::string expected = SoundFile();
        Patch(expected, 20, count);
        Patch(expected, 32 + 32, count + 1);
        EXPECT_EQ(env.Contents(path), committed ? expected + group : expected);
        f.Close();
        f.Open(false);
        f.GetHeader(h);
        EXPECT_EQ(h.RecordCount, count);
    }
}

// A Deferred count is memory's at once; its header reaches the disk with
// the next group's records, under their one flush, or when the file settles.
TEST(TDatFile, ADeferredCountGoesToTheDiskWithTheNextGroup)
{
    const auto data = [](int32_t first, int32_t count) {
        std::string d;
        for (int32_t k = 0; k < count; ++k)
            d += RecordBytes(0, first + k, "G" + std::to_string(first + k), 7).substr(8);
        return d;
    };
    TSoundFaultFile sound;
    TFaultEnv& env = sound.Env;
    const std::string& path = sound.Path;
    Goods& g = sound.G;
    TDatFile& f = sound.F;
    const auto diskCount = [&] { return tv::DatFormat::GetInt(reinterpret_cast<const uint8_t*>(env.Contents(path).data()) + 20); };
    const auto count = [&] { TDatHeader h; f.GetHeader(h); return h.RecordCount; };
    const std::string first = data(4, 2), second = data(6, 3);
    const int64_t syncs = env.Syncs();
    f.WriteGroup(reinterpret_cast<const uint8_t*>(first.data()), 2);
    f.CountGroup(TDatFile::TGroupCount::Deferred);
    EXPECT_EQ(count(), 5);
    EXPECT_EQ(g.Fields.Items(0)->GetNextKeyValue(), 6);
    EXPECT_EQ(diskCount(), 3);
    f.WriteGroup(reinterpret_cast<const uint8_t*>(second.data()), 3);
    EXPECT_EQ(diskCount(), 5) << "the first group's count went with the second's records";
    EXPECT_EQ(env.Syncs() - syncs, 2);
    f.CountGroup(TDatFile::TGroupCount::Deferred);
    EXPECT_EQ(diskCount(), 5);
    f.Settle();
    EXPECT_EQ(diskCount(), 8);
    EXPECT_EQ(env.Syncs() - syncs, 3);
    f.Close();
    f.Open(false);
    EXPECT_EQ(count(), 8);
    EXPECT_EQ(g.Fields.Items(0)->GetNextKeyValue(), 9);
}

// A new file is written under a temporary name and renamed when whole: once
// made, only the file is in the folder, and it stays held until closed.
TEST(TDatFile, CreationOnDiskLeavesOnlyTheWholeFileHeld)
{
    struct Case {
        const char* name;
        std::function<void(const std::string&)> prepare;
        std::function<void(TDatFile&)> run;
    };
    const std::vector<Case> cases = {
        {"CreateNew", [](const std::string&) {}, [](TDatFile& f) { f.CreateNew(false); }},
        {"Open creating", [](const std::string&) {}, [](TDatFile& f) { f.Open(true); }},
        {"over a stale temporary", [](const std::string& p) { WriteAll(p + ".tmp", "WrDt\1"); },
         [](TDatFile& f) { f.Open(true); }},
        {"overwriting", [](const std::string& p) { WriteAll(p, SoundFile()); },
         [](TDatFile& f) { f.CreateNew(true); }},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir.Path("goods.dat");
        c.prepare(path);
        Goods g;
        TDatFile f;
        f.SetFields(&g.Fields);
        f.SetFileName(path);
        c.run(f);
        EXPECT_EQ(ReadAll(path), HeaderBytes(0, 0, 1)) << c.name;
        EXPECT_EQ(Listing(dir.Path("")), "goods.dat ") << c.name;

        Goods g2;
        TDatFile other;
        other.SetFields(&g2.Fields);
        other.SetFileName(path);
        EXPECT_EQ(MessageOf([&] { other.Open(false); }), "Ошибка открытия файла") << c.name;
        EXPECT_EQ(MessageOf([&] { other.CreateNew(true); }), "Невозможно создать файл") << c.name;
        EXPECT_EQ(OpenInChild(path), 0) << c.name;
        g.Set("Apple", 150);
        f.AppendRecord();
        f.Close();
        EXPECT_EQ(OpenInChild(path), 1) << c.name;
        EXPECT_EQ(ReadAll(path), HeaderBytes(1, 0, 2) + RecordBytes(0, 1, "Apple", 150)) << c.name;
        EXPECT_EQ(Listing(dir.Path("")), "goods.dat ") << c.name;
    }
}

TEST(TDatFile, CreationThatCannotBeginChangesNothing)
{
    TempDir dir;
    const std::string path = dir.Path("goods.dat");
    Goods g;
    TDatFile f;
    f.SetFields(&g.Fields);
    f.SetFileName(path);

    std::filesystem::create_directory(path + ".tmp");
    EXPECT_EQ(MessageOf([&] { f.Open(true); }), "Невозможно создать файл") << "temporary name taken";
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(Listing(dir.Path("")), "goods.dat.tmp ");
    std::filesystem::remove(path + ".tmp");

    WriteAll(path, SoundFile());
    Goods g2;
    TDatFile holder;
    holder.SetFields(&g2.Fields);
    holder.SetFileName(path);
    holder.Open(false);
    EXPECT_EQ(MessageOf([&] { f.CreateNew(true); }), "Невозможно создать файл") << "file held";
    EXPECT_EQ(ReadAll(path), SoundFile());
    EXPECT_EQ(Listing(dir.Path("")), "goods.dat ");
    holder.Close();
    f.CreateNew(true);
    EXPECT_EQ(ReadAll(path), HeaderBytes(0, 0, 1));
}
