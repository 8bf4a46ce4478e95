#include "TablesTestKit.h"
#include "UBaseFld.h"
#include "UException.h"
#include "UFields.h"
#include "UIndex.h"
#include "UMoneyFld.h"

#include <cstring>
#include <functional>

#include <gtest/gtest.h>

namespace {

using tv::TVariant;
using tv::testkit::MessageOf;

// (integer, string of width 8, money): offsets 0, 4, 12; record size 16.
class FieldSet : public ::testing::Test {
protected:
    FieldSet() : Str(8), Fields({&Int, &Str, &Money})
    {
        Int.SetName("Code");
        Str.SetName("Name");
        Money.SetName("Price");
    }

    tv::TIntegerField Int;
    tv::TStringField Str;
    tv::TMoneyField Money;
    tv::TFields Fields;
};

TEST_F(FieldSet, LayoutAndPacking)
{
    EXPECT_EQ(Fields.Count(), 3);
    EXPECT_EQ(Fields.Offsets(0), 0);
    EXPECT_EQ(Fields.Offsets(1), 4);
    EXPECT_EQ(Fields.Offsets(2), 12);
    EXPECT_EQ(Fields.DataSize(), 16);
    EXPECT_EQ(Fields.Items(1), &Str);
    EXPECT_THROW(Fields.Items(3), tv::ERangeError);
    EXPECT_THROW(Fields.Offsets(-1), tv::ERangeError);

    Fields.AllowEdit();
    Int.SetValue(0x01020304);
    Str.SetText("AB");
    Money.SetValue(250);
    const uint8_t expected[16] = {4, 3, 2, 1, 'A', 'B', 0, 0, 0, 0, 0, 0, 250, 0, 0, 0};
    EXPECT_EQ(std::memcmp(Fields.GetRecord(), expected, 16), 0);

    const uint8_t other[16] = {9, 0, 0, 0, 'X', 'Y', 'Z', 0, 0, 0, 0, 0, 1, 1, 0, 0};
    Fields.ForbidEdit();
    Fields.SetRecord(other);
    EXPECT_EQ(Int.GetValue(), 9);
    EXPECT_EQ(Str.GetText(), "XYZ");
    EXPECT_EQ(Money.GetValue(), 257u);

    Fields.Clear();
    const uint8_t zero[16] = {};
    EXPECT_EQ(std::memcmp(Fields.GetRecord(), zero, 16), 0);
}

TEST_F(FieldSet, AddAppendsAtTheRecordSize)
{
    tv::TDateTimeField date;
    Fields.Add(&date);
    EXPECT_EQ(Fields.Offsets(3), 16);
    EXPECT_EQ(Fields.DataSize(), 24);
    Fields.AllowEdit();
    date.SetValue(2.0);
    double stored;
    std::memcpy(&stored, Fields.GetRecord() + 16, 8);
    EXPECT_EQ(stored, 2.0);

    tv::TFields empty;
    EXPECT_EQ(empty.Count(), 0);
    EXPECT_EQ(empty.DataSize(), 0);
    empty.Add(&Str);
    EXPECT_EQ(empty.DataSize(), 8);
}

TEST_F(FieldSet, EditFlagsAndKeyValuesReachEveryField)
{
    Fields.AllowEdit();
    EXPECT_TRUE(Int.CanEdit() && Str.CanEdit() && Money.CanEdit());
    Fields.ForbidEdit();
    EXPECT_FALSE(Int.CanEdit() || Str.CanEdit() || Money.CanEdit());

    Int.SetPrimaryKey(true);
    Int.SetNextKeyValue(5);
    Fields.ApplyKeyValues();
    EXPECT_EQ(Int.GetValue(), 5);
    Fields.IncNextKeyValues();
    EXPECT_EQ(Int.GetNextKeyValue(), 6);
    EXPECT_EQ(Money.GetNextKeyValue(), 0);
}

TEST_F(FieldSet, IndexConstructionFailures)
{
    tv::TIntegerField stranger;
    stranger.SetName("Code");  // same name, other object
    tv::TFields* none = nullptr;
    struct TCase {
        const char* Name;
        std::function<void()> Make;
        std::string Message;
    };
    const std::vector<TCase> cases = {
        {"no set", [&] { tv::TIndex::Create(none, &Int); }, "Не определен объект полей"},
        {"no set named", [&] { tv::TIndex::CreateNamed(none, "x", &Int); }, "Не определен объект полей"},
        {"no set composite", [&] { tv::TIndex::CreateComposite(none, {}); }, "Не определен объект полей"},
        {"no field", [&] { tv::TIndex::Create(&Fields, nullptr); }, "Не определено индексное поле"},
        {"field of another set", [&] { tv::TIndex::Create(&Fields, &stranger); },
         "В наборе полей не найдено индексное поле: Code"},
        {"empty list", [&] { tv::TIndex::CreateComposite(&Fields, {}); }, "Массив индексных полей пустой"},
        {"second entry missing before membership", [&] { tv::TIndex::CreateComposite(&Fields, {&stranger, nullptr}); },
         "Не определено индексное поле"},
        {"entry of another set", [&] { tv::TIndex::CreateCompositeNamed(&Fields, "x", {&Int, &stranger}); },
         "В наборе полей не найдено индексное поле: Code"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(MessageOf(c.Make), c.Message);
    }
}

TEST_F(FieldSet, IndexPropertiesAndPrimaryKey)
{
    Int.SetPrimaryKey(true);
    auto single = tv::TIndex::CreateNamed(&Fields, "ByCode", &Int);
    auto composite = tv::TIndex::CreateComposite(&Fields, {&Int});
    auto byName = tv::TIndex::Create(&Fields, &Str);
    EXPECT_EQ(single->GetName(), "ByCode");
    EXPECT_EQ(byName->GetName(), "");
    EXPECT_EQ(single->GetKeyField(), &Int);
    EXPECT_EQ(composite->GetKeyField(), nullptr);
    EXPECT_TRUE(single->IsPrimaryKey());
    EXPECT_FALSE(composite->IsPrimaryKey());
    EXPECT_FALSE(byName->IsPrimaryKey());
    EXPECT_EQ(byName->KeySize(), 8);
}

// A record of (integer, string 40, date-time) for index comparisons.
class IndexKeys : public ::testing::Test {
protected:
    IndexKeys() : Str(40), Fields({&Int, &Str, &Date}) { Fields.AllowEdit(); }

    std::vector<uint8_t> Record(int32_t i, const std::string& s, double d)
    {
        Int.SetValue(i);
        Str.SetText(s);
        Date.SetValue(d);
        const uint8_t* r = Fields.GetRecord();
        return std::vector<uint8_t>(r, r + Fields.DataSize());
    }

    tv::TIntegerField Int;
    tv::TStringField Str;
    tv::TDateTimeField Date;
    tv::TFields Fields;
};

TEST_F(IndexKeys, CompositeKeyComparesFieldByField)
{
    auto index = tv::TIndex::CreateComposite(&Fields, {&Int, &Date});
    EXPECT_EQ(index->KeySize(), 12);
    index->SetKeyValues({TVariant(int32_t(5)), TVariant::DateTime(100.0)});
    double keyDate;
    std::memcpy(&keyDate, index->KeyBuffer() + 4, 8);
    EXPECT_EQ(keyDate, 100.0);

    struct TCase {
        const char* Name;
        int32_t I;
        double D;
        int Sign;
    };
    const std::vector<TCase> cases = {
        {"same integer, later date in record", 5, 200.0, -1},
        {"same integer, earlier date in record", 5, 50.0, 1},
        {"equal", 5, 100.0, 0},
        {"larger integer in record, any date", 6, 1.0, -1},
        {"smaller integer in record, any date", 4, 999.0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto r = Record(c.I, "whatever", c.D);
        const int32_t cmp = index->CompareKey(r.data());
        EXPECT_EQ((cmp > 0) - (cmp < 0), c.Sign);
    }

    const auto a = Record(5, "b", 100.0);
    const auto b = Record(5, "a", 200.0);
    EXPECT_LT(index->CompareRecords(a.data(), b.data()), 0);
    EXPECT_GT(index->CompareRecords(b.data(), a.data()), 0);
    index->KeyFromRecord(b.data());
    EXPECT_EQ(index->CompareKey(b.data()), 0);
    EXPECT_LT(index->CompareKey(Record(6, "", 0).data()), 0);
}

TEST_F(IndexKeys, TextKeyOnStringIsAPrefixSearchKey)
{
    auto index = tv::TIndex::Create(&Fields, &Str);
    index->SetKeyText("AB");
    EXPECT_EQ(index->CompareKey(Record(0, "AB", 0).data()), 0);
    EXPECT_LT(index->CompareKey(Record(0, "ABC", 0).data()), 0);
    EXPECT_GT(index->CompareKey(Record(0, "AA", 0).data()), 0);
    EXPECT_GT(index->CompareKey(Record(0, "A", 0).data()), 0);
    EXPECT_LT(index->CompareKey(Record(0, "ab", 0).data()), 0);
    EXPECT_EQ(index->CompareRecords(Record(1, "Q", 0).data(), Record(2, "Q", 9).data()), 0);
}

TEST_F(IndexKeys, SetKeyValuesAndSetKeyTextRules)
{
    auto single = tv::TIndex::Create(&Fields, &Int);
    single->SetKeyText("77");
    single->SetKeyValues({TVariant(int32_t(5))});
    int32_t key;
    std::memcpy(&key, single->KeyBuffer(), 4);
    EXPECT_EQ(key, 77);  // a single-field index ignores variant values
    EXPECT_EQ(MessageOf([&] { single->SetKeyText("7x"); }), "Неверно задано целое число: 7x");

    auto composite = tv::TIndex::CreateComposite(&Fields, {&Int, &Str});
    composite->SetKeyValues({TVariant(int32_t(3)), TVariant("Kiwi"), TVariant(true)});
    EXPECT_EQ(composite->CompareKey(Record(3, "Kiwi", 0).data()), 0);

    EXPECT_THROW(composite->SetKeyValues({TVariant(int32_t(4))}), tv::ERangeError);
    std::memcpy(&key, composite->KeyBuffer(), 4);
    EXPECT_EQ(key, 4);  // fields before the missing value were written

    EXPECT_EQ(MessageOf([&] { composite->SetKeyValues({TVariant(uint32_t(1)), TVariant("x")}); }),
              "Тип варианта не является Integer");
    EXPECT_EQ(MessageOf([&] { composite->SetKeyValues({TVariant(int32_t(1)), TVariant(int32_t(2))}); }),
              "Тип варианта не является String");
    EXPECT_EQ(MessageOf([&] { composite->SetKeyText("x"); }),
              "Поиск по тексту невозможен для составного индекса");
}

} // namespace
