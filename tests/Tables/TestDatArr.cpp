#include "TablesTestKit.h"
#include "UBaseFld.h"
#include "UChecked.h"
#include "UCodePage.h"
#include "UDatArr.h"
#include "UException.h"
#include "UFaultEnv.h"
#include "UFields.h"
#include "UIndex.h"
#include "UMoneyFld.h"
#include "PartThreadsKit.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <numeric>

#include <gtest/gtest.h>

namespace {

using tv::TVariant;
using tv::testkit::MessageOf;

const std::string kClosed = "Недопустимая операция при закрытом файле";
const std::string kNoIndex = "Не задан индексный объект";

// Counts its comparisons, to tell whether a sort ran.
class TCountingIntegerField : public tv::TIntegerField {
public:
    TCountingIntegerField() : TIntegerField(ClassInfo()) {}
    static const tv::TFieldClass& ClassInfo()
    {
        static const tv::TFieldClass cls = tv::TFieldClass::Derived("TCountingIntegerField",
                                                                   TIntegerField::ClassInfo());
        return cls;
    }
    int32_t CompareData(const void* a, const void* b) const override
    {
        ++Compares;
        return TIntegerField::CompareData(a, b);
    }
    // Sorts of large blocks compare on several threads.
    mutable std::atomic<int> Compares = 0;
};

class TTestArr : public tv::TDatArr {
public:
    using TDatArr::MergeSort;
    using TDatArr::SortByKeyValue;
};

// Records of (Code: primary key, Name: string 10, Group: integer, Price: money)
// in a data file held in memory.
class DatArr : public ::testing::Test {
protected:
    DatArr() : Name(10), Fields({&Code, &Name, &Group, &Price})
    {
        Code.SetName("Code");
        Code.SetPrimaryKey(true);
        Name.SetName("Name");
        Group.SetName("Group");
        Price.SetName("Price");
        ByCode = tv::TIndex::CreateNamed(&Fields, "ByCode", &Code);
        ByName = tv::TIndex::CreateNamed(&Fields, "ByName", &Name);
        ByGroup = tv::TIndex::CreateNamed(&Fields, "ByGroup", &Group);
        ByGroupName = tv::TIndex::CreateCompositeNamed(&Fields, "ByGroupName", {&Group, &Name});
        Arr.SetEnv(&Env);
        Arr.SetFileName("t.dat");
        Arr.SetFields(&Fields);
        Arr.CreateNew(true);
    }

    // Appends a record the way an insert does: cleared fields, the next key.
    void Add(const std::string& name, int32_t group = 0, int32_t code = 0)
    {
        Fields.Clear();
        Fields.AllowEdit();
        Fields.ApplyKeyValues();
        if (code != 0) Code.SetValue(code);
        Name.SetText(name);
        Group.SetValue(group);
        Arr.AppendRecord();
        Fields.ForbidEdit();
    }

    void Reopen()
    {
        Arr.Close();
        Arr.Open(false);
    }

    std::vector<std::string> Column(int32_t field) const
    {
        std::vector<std::string> out;
        for (int32_t i = 0; i < Arr.ElemCount(); ++i) out.push_back(Arr.GetElemText(i, field));
        return out;
    }
    std::vector<std::string> Names() const { return Column(1); }

    // Writes and counts one group of records: the names, with the next keys.
    void AddGroup(const std::vector<std::string>& names, int32_t group = 0)
    {
        AddGroup(names, std::vector<int32_t>(names.size(), group));
    }
    void AddGroup(const std::vector<std::string>& names, const std::vector<int32_t>& groups)
    {
        std::vector<uint8_t> records;
        for (size_t k = 0; k < names.size(); ++k) {
            Fields.Clear();
            Fields.AllowEdit();
            Code.SetValue(Code.GetNextKeyValue() + int32_t(k));
            Name.SetText(names[k]);
            Group.SetValue(groups[k]);
            Fields.ForbidEdit();
            records.insert(records.end(), Fields.GetRecord(), Fields.GetRecord() + Fields.DataSize());
        }
        Arr.WriteGroup(records.data(), int32_t(names.size()));
        Arr.CountGroup();
    }

    std::vector<int32_t> Offsets()
    {
        std::vector<int32_t> out;
        const int32_t cur = Arr.GetCurElem();
        for (int32_t i = 0; i < Arr.ElemCount(); ++i) {
            Arr.SetCurElem(i);
            out.push_back(Arr.GetRecordPos());
        }
        Arr.SetCurElem(cur);
        return out;
    }

    tv::TFaultEnv Env;
    tv::TIntegerField Code;
    tv::TStringField Name;
    TCountingIntegerField Group;
    tv::TMoneyField Price;
    tv::TFields Fields;
    std::unique_ptr<tv::TIndex> ByCode, ByName, ByGroup, ByGroupName;
    TTestArr Arr;
};

// The tests of large blocks, on one thread and on four.
using DatArrAtThreads = tv::testkit::AtPartThreads<DatArr>;
INSTANTIATE_TEST_SUITE_P(, DatArrAtThreads, tv::testkit::PartThreadCounts(), tv::testkit::PartThreadsName);

using V = std::vector<std::string>;

TEST(DatArrCapacity, GrowthRule)
{
    const std::vector<std::pair<int64_t, int64_t>> cases = {
        {1, 16},    {16, 16},   {17, 32},     {40, 48},     {63, 64},      {64, 64},
        {65, 80},   {100, 112}, {128, 128},   {129, 160},   {1000, 1024},  {1025, 1280},
        {1 << 30, 1 << 30}, {(1 << 30) + 1, (1 << 30) + (1 << 28)},
    };
    for (const auto& [n, capacity] : cases) {
        SCOPED_TRACE(n);
        EXPECT_EQ(tv::TDatArr::GrowCapacity(n), capacity);
    }
}

TEST_F(DatArr, GroupsJoinInIndexOrderAfterTheirEquals)
{
    Add("b");
    Add("d");
    Arr.SetIndex(ByName.get());
    AddGroup({"d", "a", "c", "a", "e"});
    EXPECT_EQ(Names(), (V{"a", "a", "b", "c", "d", "d", "e"}));
    // Equal names keep their order of appending: the old "d" first, the
    // group's two "a" in the group's order.
    EXPECT_EQ(Column(0), (V{"4", "6", "1", "5", "2", "3", "7"}));
    // The last record of the group is current.
    EXPECT_EQ(Name.GetText(), "e");
    EXPECT_EQ(Code.GetNextKeyValue(), 8);
    const std::vector<int32_t> offsets = Offsets();
    Reopen();
    Arr.SetIndex(ByName.get());
    EXPECT_EQ(Names(), (V{"a", "a", "b", "c", "d", "d", "e"}));
    EXPECT_EQ(Offsets(), offsets);
    EXPECT_EQ(Code.GetNextKeyValue(), 8);
}

// Past a megabyte the block comes from the system and grows and shrinks
// through the page tables; its elements stay as they were throughout.
TEST_P(DatArrAtThreads, ABlockGrownAndShrunkAcrossSystemMemoryKeepsItsElements)
{
    std::vector<std::string> all;
    for (int g = 0; g < 200; ++g) {
        std::vector<std::string> names;
        for (int k = 0; k < tv::TDatFile::MaxGroupRecords; ++k) names.push_back(std::to_string(g * 10000 + k));
        AddGroup(names);
        all.insert(all.end(), names.begin(), names.end());
    }
    ASSERT_GT(size_t(Arr.GetCapacity()) * size_t(Arr.GetElemSize()), size_t(5) << 20);
    EXPECT_EQ(Names(), all);
    for (const int32_t n : {150000, 60000, 1000, 100000}) {
        SCOPED_TRACE(n);
        Arr.SetElemCount(n);
        const int32_t kept = std::min<int32_t>(n, 1000);
        for (int32_t i = 0; i < kept; ++i) ASSERT_EQ(Arr.GetElemText(i, 1), all[size_t(i)]);
    }
    Reopen();
    EXPECT_EQ(Names(), all);
}

// Bytes a shrink gave up read as zero once the block grows over them
// again, whether the system's pages or the heap hold it, inside one page
// or across several.
TEST(RecordBlock, BytesPastAShrinkAreZeroWhenTheBlockGrowsAgain)
{
    const size_t system = size_t(2) << 20;
    struct Row {
        const char* name;
        size_t full, shrunk;
    };
    const Row rows[] = {
        {"system pages, within the last page", system + 4000, system + 100},
        {"system pages, across pages", system + 5 * 4096 + 10, system + 7},
        {"heap", 3000, 100},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        tv::TRecordBlock block;
        block.Resize(r.full);
        std::memset(block.data(), 0xA5, r.full);
        block.Resize(r.shrunk);
        block.Resize(r.full);
        EXPECT_EQ(block.data()[r.shrunk - 1], 0xA5);
        size_t dirty = 0;
        for (size_t i = r.shrunk; i < r.full; ++i) dirty += block.data()[i] != 0;
        EXPECT_EQ(dirty, 0u);
    }
}

TEST_F(DatArr, SizesAndCapacityFollowTheCount)
{
    EXPECT_EQ(Arr.GetElemSize(), 28);  // 22 data bytes + 4, rounded up to 4
    EXPECT_EQ(Arr.GetMaxElemCount(), 2147483647 / 28);
    EXPECT_EQ(Arr.GetCapacity(), 0);
    for (int i = 0; i < 16; ++i) Add("r");
    EXPECT_EQ(Arr.GetCapacity(), 16);
    Add("r");
    EXPECT_EQ(Arr.GetCapacity(), 32);
    while (Arr.ElemCount() < 64) Add("r");
    EXPECT_EQ(Arr.GetCapacity(), 64);
    Add("r");
    EXPECT_EQ(Arr.GetCapacity(), 80);
    Arr.DeleteRecord();
    EXPECT_EQ(Arr.ElemCount(), 64);
    EXPECT_EQ(Arr.GetCapacity(), 64);
    Arr.Empty();
    EXPECT_EQ(Arr.ElemCount(), 0);
    EXPECT_EQ(Arr.GetCapacity(), 0);

    EXPECT_EQ(MessageOf([&] { Arr.SetElemCount(-1); }), "Задано отрицательное количество элементов массива");
    EXPECT_EQ(MessageOf([&] { Arr.SetElemCount(Arr.GetMaxElemCount() + 1); }),
              "Задано слишком большое количество элементов массива данных");
    EXPECT_EQ(Arr.ElemCount(), 0);
}

TEST_F(DatArr, OperationsOnAClosedFile)
{
    Arr.Close();
    const std::vector<std::pair<const char*, std::function<void()>>> ops = {
        {"ElemCount", [&] { Arr.ElemCount(); }},
        {"GetCurElem", [&] { Arr.GetCurElem(); }},
        {"SetElemCount", [&] { Arr.SetElemCount(0); }},
        {"SetCurElem", [&] { Arr.SetCurElem(0); }},
        {"GetIndex", [&] { Arr.GetIndex(); }},
        {"SetIndex", [&] { Arr.SetIndex(ByName.get()); }},
        {"InsertPosition", [&] { Arr.InsertPosition(); }},
        {"Locate", [&] { Arr.Locate(); }},
        {"Close", [&] { Arr.Close(); }},
    };
    for (const auto& [name, op] : ops) {
        SCOPED_TRACE(name);
        EXPECT_EQ(MessageOf(op), kClosed);
    }
    EXPECT_EQ(Arr.GetRecordPos(), 0);
}

TEST_F(DatArr, OpenLoadsLiveRecordsInFileOrder)
{
    Add("c");
    Add("a");
    Add("b");
    Add("d");
    Arr.SetCurElem(1);
    Arr.DeleteRecord();
    Reopen();
    EXPECT_EQ(Arr.GetIndex(), nullptr);
    EXPECT_EQ(Names(), (V{"c", "b", "d"}));
    EXPECT_EQ(Arr.GetCurElem(), 0);
    EXPECT_EQ(Name.GetText(), "c");
    const auto offsets = Offsets();
    EXPECT_EQ(offsets[0], 32 + 36 * 4);
    EXPECT_EQ(offsets[1], offsets[0] + 2 * 30);  // the deleted record keeps its place
    EXPECT_EQ(Arr.GetCapacity(), 16);
}

TEST_F(DatArr, OpeningAFileOfDeletedRecordsGivesZeroFields)
{
    Add("a", 5);
    Add("b", 6);
    Arr.DeleteRecord();
    Arr.SetCurElem(0);
    Arr.DeleteRecord();
    Arr.Close();
    Fields.AllowEdit();
    Name.SetText("left");
    Group.SetValue(9);
    Fields.ForbidEdit();
    Arr.Open(false);
    EXPECT_EQ(Arr.ElemCount(), 0);
    EXPECT_EQ(Arr.GetCapacity(), 0);
    EXPECT_EQ(Name.GetText(), "");
    EXPECT_EQ(Group.GetValue(), 0);
    EXPECT_EQ(Arr.GetRecordPos(), 0);
    Arr.SetRecordPos(12345);  // nothing to find, nothing happens
    Arr.SetCurElem(7);
}

TEST_F(DatArr, CurrentElementAndBookmark)
{
    Add("a");
    Add("b");
    Add("c");
    EXPECT_EQ(Arr.GetCurElem(), 2);
    const auto offsets = Offsets();
    Arr.SetCurElem(1);
    EXPECT_EQ(Name.GetText(), "b");
    EXPECT_EQ(Arr.GetRecordOffset(), offsets[1]);
    Arr.SetCurElem(0);
    Arr.SetRecordPos(offsets[2]);
    EXPECT_EQ(Arr.GetCurElem(), 2);
    EXPECT_EQ(Name.GetText(), "c");
    EXPECT_EQ(MessageOf([&] { Arr.SetCurElem(3); }), "Неверный номер текущего элемента массива");
    EXPECT_EQ(MessageOf([&] { Arr.SetCurElem(-1); }), "Неверный номер текущего элемента массива");
    EXPECT_EQ(MessageOf([&] { Arr.SetRecordPos(offsets[2] + 1); }), "Неверный физический номер записи");
    EXPECT_EQ(Arr.GetCurElem(), 2);
}

TEST_F(DatArr, AppendGoesAfterEqualKeysAndBecomesCurrent)
{
    Arr.SetIndex(ByName.get());
    Add("b", 1);
    Add("a", 2);
    Add("b", 3);
    Add("c", 4);
    Add("b", 5);
    EXPECT_EQ(Names(), (V{"a", "b", "b", "b", "c"}));
    EXPECT_EQ(Column(2), (V{"2", "1", "3", "5", "4"}));
    EXPECT_EQ(Arr.GetCurElem(), 3);
    EXPECT_EQ(Group.GetValue(), 5);
    Reopen();
    EXPECT_EQ(Column(2), (V{"1", "2", "3", "4", "5"}));
}

TEST_F(DatArr, WriteMovesTheRecordToItsPlaceAndKeepsItCurrent)
{
    Arr.SetIndex(ByName.get());
    for (const char* n : {"a", "c", "e", "g"}) Add(n);
    struct TCase {
        const char* Name;
        const char* From;
        const char* To;
        V Order;
        int32_t Cur;
    };
    const std::vector<TCase> cases = {
        {"down to the end", "a", "z", {"c", "e", "g", "z"}, 3},
        {"up to the front", "z", "b", {"b", "c", "e", "g"}, 0},
        {"to its neighbour's place keeps it", "c", "d", {"b", "d", "e", "g"}, 1},
        {"after its equals", "b", "e", {"d", "e", "e", "g"}, 2},
        {"before the next key", "g", "f", {"d", "e", "e", "f"}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto names = Names();
        const auto at = std::find(names.begin(), names.end(), std::string(c.From)) - names.begin();
        Arr.SetCurElem(static_cast<int32_t>(at));
        const int32_t offset = Arr.GetRecordPos();
        Fields.AllowEdit();
        Name.SetText(c.To);
        Arr.WriteRecord();
        Fields.ForbidEdit();
        EXPECT_EQ(Names(), c.Order);
        EXPECT_EQ(Arr.GetCurElem(), c.Cur);
        EXPECT_EQ(Arr.GetRecordPos(), offset);
    }
    Arr.SetIndex(nullptr);
    Reopen();
    Arr.SetIndex(ByName.get());
    EXPECT_EQ(Names(), (V{"d", "e", "e", "f"}));
}

TEST_F(DatArr, DeleteLeavesTheNumberOnTheFollowingRecord)
{
    for (const char* n : {"a", "b", "c"}) Add(n);
    Arr.SetCurElem(0);
    Arr.DeleteRecord();
    EXPECT_EQ(Names(), (V{"b", "c"}));
    EXPECT_EQ(Arr.GetCurElem(), 0);
    Arr.SetCurElem(1);
    Arr.DeleteRecord();
    EXPECT_EQ(Arr.GetCurElem(), 1);  // one past the end
    EXPECT_EQ(Arr.ElemCount(), 1);
    Arr.SetCurElem(0);
    Arr.DeleteRecord();
    EXPECT_EQ(Arr.ElemCount(), 0);
    EXPECT_EQ(Arr.GetCurElem(), 0);
    EXPECT_EQ(Name.GetText(), "");
}

TEST_F(DatArr, SelectingIndexesKeepsTheCurrentRecord)
{
    for (const char* n : {"d", "b", "a", "c"}) Add(n, static_cast<int32_t>(n[0]));
    Arr.SetCurElem(1);  // "b"
    Arr.SetIndex(ByName.get());
    EXPECT_EQ(Names(), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(Arr.GetCurElem(), 1);
    Arr.SetCurElem(3);  // "d"
    Arr.SetIndex(ByCode.get());
    EXPECT_EQ(Names(), (V{"d", "b", "a", "c"}));
    EXPECT_EQ(Arr.GetCurElem(), 0);
    EXPECT_EQ(Name.GetText(), "d");

    Arr.SetIndex(ByGroup.get());
    const int compares = Group.Compares;
    EXPECT_GT(compares, 0);
    Arr.SetIndex(ByGroup.get());
    EXPECT_EQ(Group.Compares, compares);  // the same index is not sorted again
    Arr.SetIndex(nullptr);
    EXPECT_EQ(Names(), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(Arr.GetIndex(), nullptr);
}

TEST_P(DatArrAtThreads, MergeSortIsStableAcrossSizes)
{
    // 70 000: more than one thread sorts.
    for (int n : {2, 3, 17, 18, 19, 35, 36, 100, 1000, 70000}) {
        SCOPED_TRACE(n);
        Arr.Close();
        Arr.CreateNew(true);
        uint32_t seed = 12345;
        std::vector<int32_t> groups;
        std::vector<std::string> added;
        for (int i = 0; i < n; ++i) {
            seed = seed * 1103515245 + 12345;
            groups.push_back(static_cast<int32_t>((seed >> 16) % 7) - 3);
            added.push_back(std::to_string(i));
        }
        for (size_t at = 0; at < added.size(); at += tv::TDatFile::MaxGroupRecords) {
            const auto end = static_cast<std::ptrdiff_t>(std::min(added.size(), at + tv::TDatFile::MaxGroupRecords));
            const auto from = static_cast<std::ptrdiff_t>(at);
            AddGroup({added.begin() + from, added.begin() + end}, {groups.begin() + from, groups.begin() + end});
        }
        Reopen();
        Arr.SetIndex(ByGroup.get());
        std::vector<int> expected(static_cast<size_t>(n));
        std::iota(expected.begin(), expected.end(), 0);
        std::stable_sort(expected.begin(), expected.end(),
                         [&](int a, int b) { return groups[a] < groups[b]; });
        std::vector<std::string> names;
        for (int i : expected) names.push_back(std::to_string(i));
        ASSERT_EQ(Names(), names);
    }
}

TEST_F(DatArr, CountingSortByPrimaryKey)
{
    for (const char* n : {"e", "d", "c", "b", "a"}) Add(n);
    Arr.SetCurElem(2);
    Arr.DeleteRecord();  // key 3 is gone
    Arr.SetIndex(ByName.get());
    EXPECT_EQ(Column(0), (V{"5", "4", "2", "1"}));
    Arr.SetIndex(ByCode.get());
    EXPECT_EQ(Column(0), (V{"1", "2", "4", "5"}));
    EXPECT_EQ(Names(), (V{"e", "d", "b", "a"}));
}

TEST_F(DatArr, PrimaryKeyWithDuplicatesLosesNothing)
{
    Add("x", 0, 2);
    Add("y", 0, 1);
    Add("z", 0, 2);
    Add("w");  // key 4, the next key value was raised by every append
    Arr.SetIndex(ByName.get());
    Arr.SetIndex(ByCode.get());
    EXPECT_EQ(Column(0), (V{"1", "2", "2", "4"}));
    EXPECT_EQ(Names(), (V{"y", "x", "z", "w"}));
}

TEST_F(DatArr, PrimaryKeyOutsideTheKeyRangeLeavesTheBlock)
{
    Add("a");
    Add("b");
    Add("c");
    Arr.SetIndex(ByName.get());
    Arr.SetCurElem(1);
    Fields.AllowEdit();
    Code.SetValue(99);  // above the next key value
    Arr.WriteRecord();
    Fields.ForbidEdit();
    Arr.SetIndex(ByGroupName.get());
    const auto before = Column(0);
    EXPECT_THROW(Arr.SetIndex(ByCode.get()), tv::ERangeError);
    EXPECT_EQ(Column(0), before);
    EXPECT_EQ(Arr.GetIndex(), ByGroupName.get());
}

TEST_F(DatArr, SortRefusals)
{
    Add("a");
    Add("b");
    Arr.SetIndex(ByName.get());
    EXPECT_EQ(MessageOf([&] { Arr.SortByKeyValue(); }), "Индекс не является первичным ключем");
    Arr.SetIndex(nullptr);
    EXPECT_EQ(MessageOf([&] { Arr.MergeSort(); }), kNoIndex);
    EXPECT_EQ(MessageOf([&] { Arr.Locate(); }), kNoIndex);
    EXPECT_EQ(MessageOf([&] { Arr.InsertPosition(); }), kNoIndex);
}

TEST_F(DatArr, InsertPositionAndLocateFirst)
{
    Arr.SetIndex(ByGroup.get());
    // groups: 10 20 20 20 30, names tell the elements apart
    for (auto [n, g] : std::vector<std::pair<const char*, int>>{{"p", 10}, {"q", 20}, {"r", 20}, {"s", 20}, {"t", 30}})
        Add(n, g);
    struct TCase {
        int32_t Key;
        int32_t Insert;
        const char* Located;
    };
    const std::vector<TCase> cases = {
        {5, 0, "p"}, {10, 1, "p"}, {15, 1, "q"}, {20, 4, "q"}, {25, 4, "t"}, {30, 5, "t"}, {99, 5, "t"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Key);
        std::memcpy(ByGroup->KeyBuffer(), &c.Key, 4);
        EXPECT_EQ(Arr.InsertPosition(), c.Insert);
        Arr.Locate();
        EXPECT_EQ(Name.GetText(), c.Located);
    }
}

TEST_F(DatArr, LocateFirstFindsTheLeftmostOfManyEquals)
{
    Arr.SetIndex(ByGroup.get());
    for (int i = 0; i < 40; ++i) Add(std::to_string(i), i < 3 ? 1 : (i < 37 ? 2 : 3));
    const int32_t two = 2;
    std::memcpy(ByGroup->KeyBuffer(), &two, 4);
    Arr.Locate();
    EXPECT_EQ(Arr.GetCurElem(), 3);
    EXPECT_EQ(Arr.InsertPosition(), 37);
}

TEST_F(DatArr, LocateTextPrefixOnAStringIndex)
{
    Arr.SetIndex(ByName.get());
    for (const char* n : {"Banana", "Apricot", "Apple", "Cherry", "Яблоко"}) Add(n);
    struct TCase {
        const char* Text;
        const char* Located;
    };
    const std::vector<TCase> cases = {
        {"Ap", "Apple"}, {"Apr", "Apricot"}, {"B", "Banana"}, {"Blue", "Cherry"}, {"Я", "Яблоко"},
        {"A", "Apple"},  {"Zebra", "Яблоко"}, {"", "Apple"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        ByName->SetKeyText(c.Text);
        Arr.Locate();
        EXPECT_EQ(Name.GetText(), c.Located);
    }
}

TEST_F(DatArr, LocateUniqueOnThePrimaryKey)
{
    for (const char* n : {"a", "b", "c", "d", "e", "f"}) Add(n);
    Arr.SetCurElem(3);
    Arr.DeleteRecord();  // keys 1 2 3 5 6
    Arr.SetIndex(ByCode.get());
    struct TCase {
        int32_t Key;
        const char* Located;
    };
    // A missing key lands on the last element probed.
    const std::vector<TCase> cases = {{1, "a"}, {5, "e"}, {6, "f"}, {4, "e"}, {0, "a"}, {9, "f"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Key);
        ByCode->SetKeyText(std::to_string(c.Key));
        Arr.Locate();
        EXPECT_EQ(Name.GetText(), c.Located);
    }
}

TEST_F(DatArr, ElementTextAndDataBounds)
{
    Add("a", 7);
    EXPECT_EQ(Arr.GetElemText(0, 2), "7");
    EXPECT_EQ(Arr.GetElemText(0, 3), "0.00");
    int32_t group;
    std::memcpy(&group, Arr.GetElemData(0, 2), 4);
    EXPECT_EQ(group, 7);
    EXPECT_EQ(MessageOf([&] { Arr.GetElemData(1, 0); }), "Неверный индекс для получения значения элемента массива");
    EXPECT_EQ(MessageOf([&] { Arr.GetElemData(0, 4); }), "Неверный индекс для получения значения элемента массива");
    EXPECT_EQ(MessageOf([&] { Arr.GetElemText(0, -1); }),
              "Неверный индекс для получения строки данных\r\nElem = 0\r\nFElemCount = 1\r\n"
              "Field = -1\r\nFields.Count = 4");
}

TEST(DatArrText, OutOfRangeMessageNamesAllFourNumbers)
{
    tv::TFaultEnv env;
    std::vector<std::unique_ptr<tv::TIntegerField>> owned;
    tv::TFields fields;
    for (int i = 0; i < 9; ++i) {
        owned.push_back(std::make_unique<tv::TIntegerField>());
        fields.Add(owned.back().get());
    }
    tv::TDatArr arr;
    arr.SetEnv(&env);
    arr.SetFileName("nine.dat");
    arr.SetFields(&fields);
    arr.CreateNew(true);
    for (int i = 0; i < 3; ++i) arr.AppendRecord();
    EXPECT_EQ(MessageOf([&] { arr.GetElemText(5, 0); }),
              "Неверный индекс для получения строки данных\r\nElem = 5\r\nFElemCount = 3\r\n"
              "Field = 0\r\nFields.Count = 9");
}

TEST_F(DatArr, FailedFileStepLeavesTheBlockAsTheFile)
{
    Arr.SetIndex(ByName.get());
    for (const char* n : {"b", "d", "f"}) Add(n);
    Arr.SetCurElem(1);

    Env.FailWrite(1);
    EXPECT_ANY_THROW(Add("a"));
    EXPECT_EQ(Names(), (V{"b", "d", "f"}));
    EXPECT_EQ(Arr.GetCurElem(), 1);

    Env.FailWrite(1);
    Fields.AllowEdit();
    Name.SetText("z");
    EXPECT_ANY_THROW(Arr.WriteRecord());
    Fields.ForbidEdit();
    EXPECT_EQ(Names(), (V{"b", "d", "f"}));
    EXPECT_EQ(Arr.GetCurElem(), 1);

    Env.FailWrite(1);
    EXPECT_ANY_THROW(Arr.DeleteRecord());
    EXPECT_EQ(Names(), (V{"b", "d", "f"}));

    Env.ClearFaults();
    Arr.SetIndex(nullptr);
    Reopen();
    Arr.SetIndex(ByName.get());
    EXPECT_EQ(Names(), (V{"b", "d", "f"}));
}

// Puts the array on the file t.dat of env, with those fields.
void Attach(tv::TDatArr& arr, tv::TFileEnv* env, tv::TFields* fields)
{
    arr.SetEnv(env);
    arr.SetFileName("t.dat");
    arr.SetFields(fields);
}

// An open that places the records by the group gives, on every file a cut
// rewrite of a record's group leaves (its copy pending past the records or
// not), the order a plain open and the stable sort give; right after it
// the groups ascend with equal groups in file order.
TEST(DatArrScanOrder, PlacingByTheGroupGivesTheSortedOrderAfterEveryCut)
{
    tv::TFaultEnv env;
    tv::TIntegerField code, group;
    tv::TStringField name(40);  // the sixth record crosses a sector's end
    code.SetPrimaryKey(true);
    tv::TFields fields({&code, &group, &name});
    auto byGroupName = tv::TIndex::CreateComposite(&fields, {&group, &name});
    tv::TDatArr arr;
    Attach(arr, &env, &fields);
    arr.CreateNew(true);
    for (int i = 0; i < 14; ++i) {
        fields.Clear();
        fields.AllowEdit();
        fields.ApplyKeyValues();
        group.SetValue((i * 7) % 4);
        name.SetText("n" + std::to_string(i % 5));
        arr.AppendRecord();
        fields.ForbidEdit();
    }
    arr.SetCurElem(3);
    arr.DeleteRecord();
    arr.Close();
    const std::string start = env.Contents("t.dat");
    const auto orders = [&](tv::TFileEnv* disk, bool placed) {
        tv::TDatArr other;
        Attach(other, disk, &fields);
        other.SetScanOrder(placed ? byGroupName.get() : nullptr);
        other.Open(false);
        std::vector<std::pair<int32_t, int32_t>> opened;  // group, offset
        for (int32_t i = 0; i < other.ElemCount(); ++i) {
            other.SetCurElem(i);
            opened.emplace_back(group.GetValue(), other.GetRecordPos());
        }
        other.SetIndex(byGroupName.get());
        std::vector<int32_t> sorted;
        for (int32_t i = 0; i < other.ElemCount(); ++i) {
            other.SetCurElem(i);
            sorted.push_back(other.GetRecordPos());
        }
        return std::make_pair(opened, sorted);
    };
    bool copyUsed = false;
    for (int64_t cut = 0;; ++cut) {
        SCOPED_TRACE("cut " + std::to_string(cut));
        env.SetContents("t.dat", start);
        env.ClearFaults();
        arr.Open(false);
        arr.SetCurElem(5);
        env.CutAfter(cut);
        bool returned = true;
        try {
            fields.AllowEdit();
            group.SetValue(-3);
            arr.WriteRecord();
        } catch (const tv::Exception&) {
            returned = false;
        }
        fields.ForbidEdit();
        for (const bool kept : {false, true}) {
            std::vector<int64_t> choice;
            for (const auto& p : env.Pending()) choice.push_back(kept ? std::max<int64_t>(p.Size, 1) : 0);
            std::unique_ptr<tv::TFaultEnv> disk = env.Crash(choice);
            copyUsed |= disk->Contents("t.dat").size() > start.size();
            const auto placed = orders(disk.get(), true);
            const auto plain = orders(disk.get(), false);
            EXPECT_TRUE(std::is_sorted(placed.first.begin(), placed.first.end()));
            EXPECT_EQ(placed.second, plain.second);
            EXPECT_EQ(placed.second.size(), 13u);
        }
        env.ClearFaults();
        try {
            arr.Close();
        } catch (const tv::Exception&) {
        }
        if (returned) break;
    }
    EXPECT_TRUE(copyUsed) << "no cut left the rewrite's copy past the records";
}

} // namespace

using DatArrLeadingInteger = tv::testkit::AtPartThreads<>;
INSTANTIATE_TEST_SUITE_P(, DatArrLeadingInteger, tv::testkit::PartThreadCounts(), tv::testkit::PartThreadsName);

// Indexes that start with a plain integer field, with and without a second
// field, over value spreads that take the counting pass or the merge sort,
// after an open in file order or one placing by the group (on one thread or
// in parts in parallel, deleted records among them): each gives the stable
// order, equal keys in file order, and neither open writes.
TEST_P(DatArrLeadingInteger, SortsStablyByEveryKeyField)
{
    struct TCase {
        const char* Name;
        int Count;
        int32_t Low, Spread;  // group values Low .. Low + Spread - 1
        int DeleteEvery;      // 0: none deleted
    };
    const TCase cases[] = {
        {"many equal, negative too", 1000, -20, 40, 0},
        {"one value", 50, 7, 1, 0},
        {"two records", 2, 3, 2, 0},
        {"spread wider than the records", 300, -1000000, 2000000000, 0},
        {"extremes of the type", 200, INT32_MIN, -1, 0},
        {"more records than one thread sorts", 70000, 0, 20000, 0},
        {"more records than one thread reads", 270000, -5, 30000, 1499},
        {"spread too wide for a table a run", 270000, 0, 600000, 1499},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        tv::TFaultEnv env;
        tv::TIntegerField code, group, order;
        tv::TStringField name(4);
        code.SetPrimaryKey(true);
        tv::TFields fields({&code, &group, &name, &order});
        auto byGroup = tv::TIndex::Create(&fields, &group);
        auto byGroupName = tv::TIndex::CreateComposite(&fields, {&group, &name});
        tv::TDatArr arr;
        Attach(arr, &env, &fields);
        arr.CreateNew(true);
        struct TRow {
            int32_t Group;
            std::string Name;
            int32_t Order;
        };
        std::vector<TRow> rows;
        std::vector<uint8_t> records;
        const auto write = [&] {
            if (records.empty()) return;
            arr.WriteGroup(records.data(), int32_t(records.size() / size_t(fields.DataSize())));
            arr.CountGroup();
            records.clear();
        };
        uint64_t seed = 99;
        for (int i = 0; i < c.Count; ++i) {
            seed = seed * 6364136223846793005ull + 1442695040888963407ull;
            const auto spread = static_cast<uint64_t>(static_cast<uint32_t>(c.Spread));
            const int32_t g = static_cast<int32_t>(int64_t(c.Low) + int64_t((seed >> 20) % (spread ? spread : 1)));
            rows.push_back({g, std::string(1, char('a' + (seed >> 50) % 3)), i});
            fields.Clear();
            fields.AllowEdit();
            code.SetValue(i + 1);
            group.SetValue(g);
            name.SetText(rows.back().Name);
            order.SetValue(i);
            fields.ForbidEdit();
            records.insert(records.end(), fields.GetRecord(), fields.GetRecord() + fields.DataSize());
            if (records.size() == size_t(tv::TDatFile::MaxGroupRecords) * size_t(fields.DataSize())) write();
        }
        write();
        if (c.DeleteEvery > 0) {
            std::vector<TRow> kept;
            for (size_t i = 0; i < rows.size(); ++i)
                if (i % size_t(c.DeleteEvery) == 7) {
                    arr.SetCurElem(int32_t(kept.size()));
                    arr.DeleteRecord();
                } else {
                    kept.push_back(rows[i]);
                }
            rows = kept;
        }
        // The open in file order, then one that places the records by the
        // group where its spread allows.
        for (const bool placed : {false, true}) {
            SCOPED_TRACE(placed ? "placed by the open" : "file order");
            arr.Close();
            arr.SetScanOrder(placed ? byGroupName.get() : nullptr);
            const int64_t steps = env.Steps();
            arr.Open(false);
            EXPECT_EQ(env.Steps(), steps) << "the open mended a sound file";
            for (const bool composite : {false, true}) {
                SCOPED_TRACE(composite ? "group, name" : "group");
                arr.SetIndex(nullptr);
                arr.SetIndex(composite ? byGroupName.get() : byGroup.get());
                std::vector<TRow> expected = rows;
                std::stable_sort(expected.begin(), expected.end(), [&](const TRow& a, const TRow& b) {
                    if (a.Group != b.Group) return a.Group < b.Group;
                    return composite && a.Name < b.Name;
                });
                std::vector<int32_t> want, got;
                for (const TRow& r : expected) want.push_back(r.Order);
                for (int32_t i = 0; i < arr.ElemCount(); ++i) got.push_back(std::stoi(arr.GetElemText(i, 3)));
                ASSERT_EQ(got, want);
            }
        }
    }
}

namespace {

// Latin letters compare without their case: names equal to it that differ
// in bytes.
class TFoldingStringField : public tv::TStringField {
public:
    explicit TFoldingStringField(int32_t n) : TStringField(n, ClassInfo()) {}
    static const tv::TFieldClass& ClassInfo()
    {
        static const tv::TFieldClass cls =
            tv::TFieldClass::Derived("TFoldingStringField", TStringField::ClassInfo());
        return cls;
    }
    static int Fold(uint8_t c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }
    int32_t CompareData(const void* a, const void* b) const override
    {
        const auto* pa = static_cast<const uint8_t*>(a);
        const auto* pb = static_cast<const uint8_t*>(b);
        for (int32_t i = 0; i < GetWidth(); ++i)
            if (Fold(pa[i]) != Fold(pb[i])) return Fold(pa[i]) < Fold(pb[i]) ? -1 : 1;
        return 0;
    }
};

} // namespace

using DatArrNameSort = tv::testkit::AtPartThreads<>;
INSTANTIATE_TEST_SUITE_P(, DatArrNameSort, tv::testkit::PartThreadCounts(), tv::testkit::PartThreadsName);

// A sort by a name gives the stable order of the field's own comparison:
// equal names (and names the field takes as equal) in file order, Cyrillic
// 1251 bytes after Latin ones, names of the full 40 characters that differ
// only in their last ones, on one thread and on four.
TEST_P(DatArrNameSort, GivesTheStableOrderOfTheFieldsComparison)
{
    const std::string prefix(36, 'x');
    const std::vector<std::string> pool = {
        "Goods",          "goods",          "GOODS",          "Товар",           "товар",
        "Товар номер 1",  "Товар номер 10", "Гвоздь",         "Ёлка",            "ёлка",
        "Яблоко",         "яблоко",         "Zebra",          "zebra",           "",
        prefix + "abcd",  prefix + "abce", prefix + "abcD", prefix + "Жабк", prefix + "жабк",
        prefix + "ab",    "Goods 1",        "Goods 1 ",
    };
    for (const bool folding : {false, true}) {
        for (const int count : {2, 500, 70000}) {
            SCOPED_TRACE(std::string(folding ? "folding" : "plain") + ", " + std::to_string(count));
            tv::TFaultEnv env;
            tv::TIntegerField code, order;
            tv::TStringField plain(40);
            TFoldingStringField folded(40);
            tv::TStringField& name = folding ? folded : plain;
            code.SetPrimaryKey(true);
            tv::TFields fields({&code, &name, &order});
            auto byName = tv::TIndex::Create(&fields, &name);
            tv::TDatArr arr;
            Attach(arr, &env, &fields);
            arr.CreateNew(true);
            struct TRow {
                std::string Bytes;
                int32_t Order;
            };
            std::vector<TRow> rows;
            std::vector<uint8_t> records;
            uint64_t seed = 7;
            for (int i = 0; i < count; ++i) {
                seed = seed * 6364136223846793005ull + 1442695040888963407ull;
                const std::string text = pool[(seed >> 33) % pool.size()];
                rows.push_back({tv::TextToCp1251(text), i});
                fields.Clear();
                fields.AllowEdit();
                code.SetValue(i + 1);
                name.SetText(text);
                order.SetValue(i);
                fields.ForbidEdit();
                records.insert(records.end(), fields.GetRecord(), fields.GetRecord() + fields.DataSize());
                if (records.size() == size_t(tv::TDatFile::MaxGroupRecords) * size_t(fields.DataSize()) ||
                    i + 1 == count) {
                    arr.WriteGroup(records.data(), int32_t(records.size() / size_t(fields.DataSize())));
                    arr.CountGroup();
                    records.clear();
                }
            }
            arr.Close();
            arr.Open(false);
            arr.SetIndex(byName.get());
            const auto key = [folding](const std::string& bytes) {
                std::string k = bytes;
                if (folding)
                    for (char& c : k) c = char(TFoldingStringField::Fold(uint8_t(c)));
                return k;
            };
            std::vector<TRow> expected = rows;
            std::stable_sort(expected.begin(), expected.end(),
                             [&](const TRow& a, const TRow& b) { return key(a.Bytes) < key(b.Bytes); });
            std::vector<int32_t> want, got;
            for (const TRow& r : expected) want.push_back(r.Order);
            for (int32_t i = 0; i < arr.ElemCount(); ++i) got.push_back(std::stoi(arr.GetElemText(i, 2)));
            ASSERT_EQ(got, want);
        }
    }
}
