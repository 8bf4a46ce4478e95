// Damaged stock files at the start: a file no cut operation can leave is
// refused and stays as it was, and the day's copy is never replaced by it.

#include "StoreTestKit.h"

#include "UException.h"
#include "UStoreData.h"
#include "UStoreDataOpen.h"
#include "UTextConst.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>

using namespace tv;
using namespace tv::testkit;
namespace fs = std::filesystem;

namespace {

int32_t GetWord(const std::string& s, size_t at)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(uint8_t(s[at + i])) << (8 * i);
    return int32_t(v);
}

void PutWord(std::string& s, size_t at, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        s[at + i] = char(uint32_t(value) >> (8 * i));
}

// Where the records of a data file start, how long they are.
size_t HeaderSize(const std::string& s) { return size_t(GetWord(s, 8)); }
size_t RecordSize(const std::string& s) { return size_t(GetWord(s, 16)); }
std::string Record(const std::string& s, int n)
{
    return s.substr(HeaderSize(s) + n * RecordSize(s), RecordSize(s));
}

const size_t CountAt = 20, DeletedAt = 24, KeyDescNextAt = 32 + 32;

class StoreOpenRefusalTest : public ::testing::Test {
protected:
    StoreOpenRefusalTest()
    {
        LoadEnglishTexts();
        Store.Open(true, "Data");
        for (const char* n : {"Nails", "Screws", "Bolts"})
            Store.InsertGoods(n, n, "1.00", "2.00", "1", "");
        Store.AddGoods("3.00", "0", "more");
        Store.Close();
    }
    ~StoreOpenRefusalTest() override { CloseStoreData(); }

    std::string P(const std::string& relative) const { return FFolder.Path() + relative; }

    TProgramFolder FFolder;
    TRecordingMessages FMessages;
};

std::string Today()
{
    const std::time_t t = std::time(nullptr);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", std::localtime(&t));
    return text;
}

std::string OtherFile(const std::string& file) { return file == "store.dat" ? "moves.dat" : "store.dat"; }

struct Damage {
    const char* name;
    std::string file;
    std::function<void(std::string&)> apply;
    std::string message;
};

const std::vector<Damage>& Refused()
{
    const std::string count = "Неверное количество записей";
    static const std::vector<Damage> all = {
        {"two goods records no header counts", "store.dat",
         [](std::string& s) { s += Record(s, 1) + Record(s, 2); }, count},
        {"a movement and a byte no header counts", "moves.dat",
         [](std::string& s) { s += Record(s, 0) + "x"; }, count},
        {"goods header one record short", "store.dat",
         [](std::string& s) { PutWord(s, CountAt, GetWord(s, CountAt) - 1); }, count},
        {"movements header two records short", "moves.dat",
         [](std::string& s) { PutWord(s, CountAt, GetWord(s, CountAt) - 2); }, count},
        {"goods header at no records", "store.dat", [](std::string& s) { PutWord(s, CountAt, 0); }, count},
        {"deleted count two above the marks", "moves.dat", [](std::string& s) { PutWord(s, DeletedAt, 2); }, count},
        {"negative next goods number", "store.dat", [](std::string& s) { PutWord(s, KeyDescNextAt, -2); },
         "Неверное очередное значение ключевого поля"},
    };
    return all;
}

std::string OpenFailure()
{
    try {
        Store.Open(false, "Data");
    } catch (const Exception& e) {
        Store.Close();
        return e.Message();
    }
    Store.Close();
    return "";
}

TEST_F(StoreOpenRefusalTest, FilesNoCutOperationLeavesAreRefusedUnchanged)
{
    for (const Damage& d : Refused()) {
        SCOPED_TRACE(d.name);
        const std::string path = P("Data/" + d.file);
        const std::string sound = ReadFile(path);
        const std::string other = ReadFile(P("Data/" + OtherFile(d.file)));
        std::string bytes = sound;
        d.apply(bytes);
        WriteFile(path, bytes);

        EXPECT_EQ(OpenFailure(), d.message);
        EXPECT_EQ(ReadFile(path), bytes) << "the refused file was changed";
        EXPECT_EQ(ReadFile(P("Data/" + OtherFile(d.file))), other) << "its partner was changed";
        WriteFile(path, sound);
        EXPECT_EQ(OpenFailure(), "");
    }
}

// The start copies the data before opening them: a refused file goes into
// a new day's copy only, never over the copy the day already has.
TEST_F(StoreOpenRefusalTest, TheDaysCopyIsNeverReplacedByARefusedFile)
{
    // A start past midnight makes the next day's copy: the test then skips.
    const std::string started = Today();
    const std::string day = P("Hist/" + started + "/");
    for (bool copiedBefore : {true, false}) {
        for (const Damage& d : Refused()) {
            SCOPED_TRACE(std::string(d.name) + (copiedBefore ? ", day copied before" : ", first start of the day"));
            std::error_code ec;
            fs::remove_all(P("Hist"), ec);
            const std::string path = P("Data/" + d.file);
            const std::string sound = ReadFile(path);
            if (copiedBefore) {
                ASSERT_TRUE(BackupAndOpenStoreData());
                CloseStoreData();
                if (Today() != started) GTEST_SKIP() << "the day turned during the start";
            }
            const std::string copy = ReadFile(day + d.file);
            std::string bytes = sound;
            d.apply(bytes);
            WriteFile(path, bytes);
            FMessages.Boxes.clear();

            EXPECT_FALSE(BackupAndOpenStoreData());
            CloseStoreData();
            if (Today() != started) GTEST_SKIP() << "the day turned during the start";
            EXPECT_EQ(ReadFile(path), bytes);
            EXPECT_EQ(ReadFile(day + d.file), copiedBefore ? sound : bytes);
            EXPECT_EQ(copy, copiedBefore ? sound : "");
            ASSERT_EQ(FMessages.Boxes.size(), 1u);
            EXPECT_EQ(FMessages.Boxes[0].Text, TextTable[SlotStoreOpenFailed]);
            WriteFile(path, sound);
        }
    }
}

// A status word no change writes makes its record read as not live; the
// goods are not taken for a deletion cut short, nor their movements for
// an unbooked one, and neither file is written.
TEST_F(StoreOpenRefusalTest, ARecordHiddenByDamageIsNoCutOperation)
{
    for (const std::string file : {"store.dat", "moves.dat"}) {
        for (int32_t status : {5, 1, INT32_MIN}) {
            SCOPED_TRACE(file + " status " + std::to_string(status));
            const std::string path = P("Data/" + file);
            const std::string sound = ReadFile(path);
            const std::string other = ReadFile(P("Data/" + OtherFile(file)));
            std::string bytes = sound;
            PutWord(bytes, HeaderSize(bytes) + RecordSize(bytes), status);
            PutWord(bytes, DeletedAt, GetWord(bytes, DeletedAt) + 1);
            WriteFile(path, bytes);

            TRecordingMessages messages;
            ASSERT_EQ(OpenFailure(), "");
            EXPECT_TRUE(messages.Boxes.empty()) << "a repair was reported";
            EXPECT_EQ(ReadFile(path), bytes);
            EXPECT_EQ(ReadFile(P("Data/" + OtherFile(file))), other);
            WriteFile(path, sound);
        }
    }
}

} // namespace
