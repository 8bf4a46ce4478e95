#include "TablesTestKit.h"
#include "UBaseFld.h"
#include "UChecked.h"
#include "UException.h"
#include "UMoneyFld.h"

#include <climits>
#include <cstring>
#include <functional>

#include <gtest/gtest.h>

namespace {

using tv::TVariant;
using tv::testkit::MessageOf;
using tv::testkit::kNoFailure;

// A field class of its own, as another unit could make one. It reports the
// class descriptor it is given, so the same body stands for a plain TField,
// an unregistered class and a class registered by the test.
class TTestField : public tv::TField {
public:
    explicit TTestField(const tv::TFieldClass& cls) : TField(cls) {}
    int32_t DataSize() const override { return 4; }
    const void* GetData() override { return &FValue; }
    void SetData(const void* data) override { std::memcpy(&FValue, data, 4); }
    std::string GetText() const override { return {}; }
    void SetText(const std::string&) override {}
    int32_t CompareData(const void*, const void*) const override { return 0; }
    void VariantToData(const TVariant&, void*) const override {}
    void TextToData(const std::string&, void*) const override {}
    std::string DataToText(const void*) const override { return {}; }

private:
    int32_t FValue = 0;
};

// As the stock book derives its display variants.
class TCompareStringField : public tv::TStringField {
public:
    explicit TCompareStringField(int32_t n) : TStringField(n, ClassInfo()) {}
    static const tv::TFieldClass& ClassInfo()
    {
        static const tv::TFieldClass cls =
            tv::TFieldClass::Derived("TCompareStringField", TStringField::ClassInfo());
        return cls;
    }
};

const tv::TFieldClass kLooseClass{"TLooseField", &tv::TField::ClassInfo(), 40, 'X', nullptr};
const tv::TFieldClass kSecondStringClass{"TOtherStringField", &tv::TField::ClassInfo(), 2, 'S', nullptr};
const tv::TFieldClass kExtraClass{"TExtraField", &tv::TField::ClassInfo(), 77, 'E',
                                  [](int32_t) -> std::unique_ptr<tv::TField> {
                                      return std::make_unique<TTestField>(kExtraClass);
                                  }};

TEST(FieldRegistry, StandardClassesInRegistrationOrder)
{
    const auto& classes = tv::FieldClasses();
    ASSERT_GE(classes.size(), 5u);
    const char* names[] = {"TMoneyField", "TIntegerField", "TStringField", "TBooleanField", "TDateTimeField"};
    const int32_t ids[] = {5, 1, 2, 3, 4};
    const char letters[] = {'M', 'I', 'S', 'L', 'D'};
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(classes[i]->Name, names[i]);
        EXPECT_EQ(classes[i]->TypeId, ids[i]);
        EXPECT_EQ(classes[i]->TypeChar, letters[i]);
    }
}

TEST(FieldRegistry, RegistrationRefusals)
{
    EXPECT_EQ(MessageOf([] { tv::RegisterFieldClass(tv::TIntegerField::ClassInfo()); }),
              "Класс поля уже зарегистрирован: TIntegerField");
    EXPECT_EQ(MessageOf([] { tv::RegisterFieldClass(kSecondStringClass); }),
              "Тип поля с таким идентификатором уже зарегистрирован: TOtherStringField = [2] = TStringField");
    const size_t before = tv::FieldClasses().size();
    tv::RegisterFieldClass(kExtraClass);
    ASSERT_EQ(tv::FieldClasses().size(), before + 1);
    EXPECT_EQ(tv::FieldClasses().back(), &kExtraClass);
    EXPECT_STREQ(tv::TField::CreateByTypeId(77, 0)->ClassName(), "TExtraField");
    EXPECT_EQ(MessageOf([] { tv::RegisterFieldClass(kExtraClass); }),
              "Класс поля уже зарегистрирован: TExtraField");
}

TEST(FieldRegistry, ConstructionChecksTheClass)
{
    EXPECT_EQ(MessageOf([] { TTestField f(tv::TField::ClassInfo()); }),
              "Класс поля не зарегистрирован: TField");
    EXPECT_EQ(MessageOf([] { TTestField f(kLooseClass); }), "Класс поля не зарегистрирован: TLooseField");

    TCompareStringField derived(10);
    EXPECT_STREQ(derived.ClassName(), "TCompareStringField");
    EXPECT_EQ(derived.TypeId(), 2);
    EXPECT_EQ(derived.TypeChar(), 'S');
    EXPECT_TRUE(derived.ClassType().InheritsFrom(tv::TStringField::ClassInfo()));
    EXPECT_FALSE(tv::TStringField::ClassInfo().InheritsFrom(derived.ClassType()));
}

TEST(FieldRegistry, FactoryMakesTheRegisteredClassOfAnId)
{
    struct TCase {
        int32_t Id;
        int32_t Size;
        const char* Name;
        char Letter;
        int32_t DataSize;
    };
    const std::vector<TCase> cases = {
        {1, 0, "TIntegerField", 'I', 4}, {2, 12, "TStringField", 'S', 12}, {3, 9, "TBooleanField", 'L', 4},
        {4, 0, "TDateTimeField", 'D', 8}, {5, 0, "TMoneyField", 'M', 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        auto f = tv::TField::CreateByTypeId(c.Id, c.Size);
        EXPECT_STREQ(f->ClassName(), c.Name);
        EXPECT_EQ(f->TypeChar(), c.Letter);
        EXPECT_EQ(f->DataSize(), c.DataSize);
        EXPECT_FALSE(f->CanEdit());
        EXPECT_FALSE(f->GetPrimaryKey());
        EXPECT_EQ(f->GetNextKeyValue(), 0);
    }
    for (int32_t id : {0, 6, -1}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(MessageOf([id] { tv::TField::CreateByTypeId(id, 4); }),
                  "Класс поля не зарегистрирован: TField");
    }
}

TEST(Field, NameIsCutToTwentyCharacters)
{
    tv::TIntegerField f;
    f.SetName("ABCDEFGHIJKLMNOPQRSTUVWXY");
    EXPECT_EQ(f.GetName(), "ABCDEFGHIJKLMNOPQRST");
    f.SetName("ДлинноеИмяПоляТовара12345");
    EXPECT_EQ(f.GetName(), "ДлинноеИмяПоляТовара");
    f.SetName("Code");
    EXPECT_EQ(f.GetName(), "Code");
}

TEST(Field, PrimaryKeyAndNextKeyValue)
{
    tv::TIntegerField f;
    EXPECT_EQ(MessageOf([&] { f.SetNextKeyValue(5); }), "Поле не является первичным ключем");
    f.IncNextKeyValue();
    EXPECT_EQ(f.GetNextKeyValue(), 0);

    f.SetPrimaryKey(false);
    EXPECT_EQ(f.GetNextKeyValue(), 1);
    f.SetPrimaryKey(true);
    f.SetNextKeyValue(7);
    f.SetPrimaryKey(true);
    EXPECT_EQ(f.GetNextKeyValue(), 7);

    f.ApplyKeyValue();  // no edit permission needed
    EXPECT_EQ(f.GetValue(), 7);
    f.IncNextKeyValue();
    EXPECT_EQ(f.GetNextKeyValue(), 8);

    f.SetNextKeyValue(INT_MAX);
    EXPECT_THROW(f.IncNextKeyValue(), tv::EIntOverflow);
    EXPECT_EQ(f.GetNextKeyValue(), INT_MAX);

    tv::TStringField s(4);
    s.SetPrimaryKey(true);
    s.ApplyKeyValue();
    EXPECT_EQ(s.GetText(), "");
}

TEST(Field, SettersNeedEditPermissionButSetDataDoesNot)
{
    tv::TIntegerField i;
    tv::TStringField s(8);
    tv::TBooleanField b;
    tv::TDateTimeField d;
    tv::TMoneyField m;
    const std::vector<std::pair<const char*, std::function<void()>>> setters = {
        {"integer value", [&] { i.SetValue(1); }},  {"integer text", [&] { i.SetText("1"); }},
        {"string text", [&] { s.SetText("a"); }},   {"boolean value", [&] { b.SetValue(true); }},
        {"boolean text", [&] { b.SetText("True"); }}, {"date value", [&] { d.SetValue(2.0); }},
        {"date text", [&] { d.SetText(""); }},      {"money value", [&] { m.SetValue(1); }},
        {"money text", [&] { m.SetText("1.00"); }},
    };
    for (const auto& [name, set] : setters) {
        SCOPED_TRACE(name);
        EXPECT_EQ(MessageOf(set), "Поле нельзя редактировать");
    }
    const int32_t five = 5;
    i.SetData(&five);
    EXPECT_EQ(i.GetValue(), 5);
    i.AllowEdit();
    i.SetValue(6);
    i.ForbidEdit();
    EXPECT_EQ(MessageOf([&] { i.SetValue(7); }), "Поле нельзя редактировать");
    EXPECT_EQ(i.GetValue(), 6);
}

TEST(StringField, WidthCutPaddingAndZeroByte)
{
    tv::TStringField f(8);
    f.AllowEdit();
    f.SetText("ABCDEFGHIJ");
    EXPECT_EQ(f.GetText(), "ABCDEFGH");
    EXPECT_EQ(std::string(static_cast<const char*>(f.GetData()), 8), "ABCDEFGH");

    f.SetText("AB");
    EXPECT_EQ(std::string(static_cast<const char*>(f.GetData()), 8), std::string("AB\0\0\0\0\0\0", 8));

    const char bytes[8] = {'A', 'B', 0, 'C', 'D', 'E', 'F', 'G'};
    f.SetData(bytes);
    EXPECT_EQ(f.GetText(), "AB");
    const char full[8] = {'1', '2', '3', '4', '5', '6', '7', '8'};
    f.SetData(full);
    EXPECT_EQ(f.GetText(), "12345678");
}

TEST(StringField, HoldsCodePage1251AndCountsCharacters)
{
    tv::TStringField f(8);
    f.AllowEdit();
    f.SetText("Привет мир");
    EXPECT_EQ(f.GetText(), "Привет м");
    EXPECT_EQ(std::string(static_cast<const char*>(f.GetData()), 8), "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC");
    f.SetText("日本");
    EXPECT_EQ(f.GetText(), "??");

    char dest[8];
    f.TextToData("Ёж", dest);
    EXPECT_EQ(std::string(dest, 8), std::string("\xA8\xE6\0\0\0\0\0\0", 8));
    EXPECT_EQ(f.DataToText(dest), "Ёж");
    f.VariantToData(TVariant("ЁжикЁжикЁжик"), dest);
    EXPECT_EQ(f.DataToText(dest), "ЁжикЁжик");
}

// A text field is one line: a control character is stored and shown as a
// blank. The text the field shows writes back its own bytes, also those it
// shows as blanks.
TEST(StringField, OneLineAndTheBytesItShows)
{
    tv::TStringField f(40);
    f.AllowEdit();
    f.SetText("Two\nlines\tname\r\n!");
    EXPECT_EQ(std::string(static_cast<const char*>(f.GetData()), 16), std::string("Two lines name !\0", 16));
    char dest[40];
    f.TextToData("a\tb", dest);
    EXPECT_EQ(std::string(dest, 4), std::string("a b\0", 4));

    // Every byte value in names of the full width and shorter.
    for (int first = 1; first < 256; first += 39) {
        char bytes[40] = {};
        for (int i = 0; i < 39 && first + i < 256; ++i)
            bytes[i] = char(first + i);
        if (first == 1)
            bytes[39] = '\xA0';  // the full width
        f.SetData(bytes);
        const std::string shown = f.GetText();
        EXPECT_EQ(shown.find_first_of("\r\n\t"), std::string::npos);
        EXPECT_EQ(f.DataToText(bytes), shown);
        f.SetText(shown);
        EXPECT_EQ(std::string(static_cast<const char*>(f.GetData()), 40), std::string(bytes, 40)) << first;
    }
    // A changed text is stored by the rule.
    const char tab[3] = {'a', '\t', 0};
    f.SetData(tab);
    EXPECT_EQ(f.GetText(), "a ");
    f.SetText("a b");
    EXPECT_EQ(std::string(static_cast<const char*>(f.GetData()), 4), std::string("a b\0", 4));
}

// The width cuts after its count of characters, also where a CR LF pair,
// a C1 control or an invalid byte stands at the cut; SetText and
// VariantToData store the same bytes.
TEST(StringField, WidthCutsTheOneLineTextByCharacters)
{
    struct TCase {
        const char* Name;
        std::string Text;
        std::string Stored;  // at width 4
    };
    const TCase cases[] = {
        {"ascii", "ABCDEF", "ABCD"},
        {"cyrillic cut after the fourth letter", "Жук и жаба", "\xC6\xF3\xEA "},
        {"CR LF counts once", "ab\r\ncd", "ab c"},
        {"C1 controls and a separator", "a\u0085\u009F\u2028b", "a   "},
        {"tab and no-break space kept apart", "\t\u00A0x\u2009y", " \xA0x "},
        {"invalid bytes count one each", "\xD0" "a\x80\xC0\xAF", "?a??"},
        {"characters 1251 lacks", "中€é\U0001F600x", "?\x88??"},
        {"short text is padded", "Ё", "\xA8"},
    };
    tv::TStringField f(4);
    f.AllowEdit();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        f.SetText(c.Text);
        const std::string padded = c.Stored + std::string(4 - c.Stored.size(), '\0');
        EXPECT_EQ(std::string(static_cast<const char*>(f.GetData()), 4), padded);
        char dest[4];
        f.VariantToData(TVariant(c.Text), dest);
        EXPECT_EQ(std::string(dest, 4), padded);
        // What the field shows writes back the same bytes.
        f.SetText(f.GetText());
        EXPECT_EQ(std::string(static_cast<const char*>(f.GetData()), 4), padded);
    }
}

TEST(IntegerField, Text)
{
    struct TCase {
        const char* Text;
        bool Ok;
        int32_t Value;
    };
    const std::vector<TCase> cases = {
        {"", true, 0},         {"42", true, 42},          {"-17", true, -17},       {"+5", true, 5},
        {"2147483647", true, INT_MAX}, {"-2147483648", true, INT_MIN}, {"2147483648", false, 0},
        {"12x", false, 0},     {"-", false, 0},           {" 1", false, 0},         {"1.0", false, 0},
    };
    tv::TIntegerField f;
    f.AllowEdit();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        f.SetValue(99);
        const std::string msg = MessageOf([&] { f.SetText(c.Text); });
        if (c.Ok) {
            EXPECT_EQ(msg, kNoFailure);
            EXPECT_EQ(f.GetValue(), c.Value);
            EXPECT_EQ(f.GetText(), std::to_string(c.Value));
        } else {
            EXPECT_EQ(msg, std::string("Неверно задано целое число: ") + c.Text);
            EXPECT_EQ(f.GetValue(), 99);
        }
        int32_t data = 0;
        const std::string dataMsg = MessageOf([&] { f.TextToData(c.Text, &data); });
        EXPECT_EQ(dataMsg, msg);
    }
}

TEST(BooleanField, TextAndValues)
{
    struct TCase {
        const char* Text;
        bool Value;
    };
    const std::vector<TCase> cases = {
        {"true", true}, {"True", true}, {"TRUE", true}, {"tRuE", true},
        {"1", false},   {"yes", false}, {"", false},    {"True ", false},
    };
    tv::TBooleanField f;
    f.AllowEdit();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        f.SetText(c.Text);
        EXPECT_EQ(f.GetValue(), c.Value);
        int32_t data = 5;
        f.TextToData(c.Text, &data);
        EXPECT_EQ(data, c.Value ? -1 : 0);
    }
    f.SetValue(true);
    int32_t stored;
    std::memcpy(&stored, f.GetData(), 4);
    EXPECT_EQ(stored, -1);
    EXPECT_EQ(f.GetText(), "True");
    const int32_t seven = 7;
    f.SetData(&seven);
    EXPECT_TRUE(f.GetValue());
    EXPECT_EQ(f.DataToText(&seven), "True");
    const int32_t zero = 0;
    EXPECT_EQ(f.DataToText(&zero), "False");
}

TEST(DateTimeField, TextFollowsCurrentFormat)
{
    tv::TDateTimeField f;
    f.AllowEdit();
    EXPECT_EQ(f.GetText(), "");
    f.SetText("07.03.2024");
    EXPECT_EQ(f.GetValue(), tv::EncodeDate(2024, 3, 7));
    EXPECT_EQ(f.GetText(), "07.03.2024");
    f.SetText("07.03.2024 14:30:15");
    EXPECT_EQ(f.GetText(), "07.03.2024 14:30:15");
    EXPECT_EQ(f.DataToText(f.GetData()), "07.03.2024 14:30:15");

    EXPECT_EQ(MessageOf([&] { f.SetText("31.02.2024"); }), "Неверно задана дата(время): 31.02.2024");
    EXPECT_EQ(f.GetText(), "07.03.2024 14:30:15");
    f.SetText("");
    EXPECT_EQ(f.GetValue(), 0.0);

    double data = 1;
    EXPECT_EQ(MessageOf([&] { f.TextToData("", &data); }), "Неверно задана дата(время): ");
    EXPECT_EQ(data, 1);
    f.TextToData("01.01.1900", &data);
    EXPECT_EQ(data, 2.0);
    const double zero = 0;
    EXPECT_EQ(f.DataToText(&zero), "");
}

TEST(Field, CompareDataPerType)
{
    tv::TIntegerField i;
    tv::TBooleanField b;
    tv::TDateTimeField d;
    tv::TStringField s(6);
    struct TCase {
        const char* Name;
        const tv::TField* Field;
        std::string A, B;
        int32_t Result;
    };
    auto i32 = [](int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    auto dbl = [](double v) { return std::string(reinterpret_cast<const char*>(&v), 8); };
    auto str = [](const std::string& v) { return (v + std::string(6, '\0')).substr(0, 6); };
    const std::vector<TCase> cases = {
        {"int -1 before 0", &i, i32(-1), i32(0), -1},
        {"int min before max", &i, i32(INT_MIN), i32(INT_MAX), -1},
        {"int equal", &i, i32(5), i32(5), 0},
        {"int 3 after -3", &i, i32(3), i32(-3), 1},
        {"bool 1 equals -1", &b, i32(1), i32(-1), 0},
        {"bool false before true", &b, i32(0), i32(-1), -1},
        {"bool true after false", &b, i32(2), i32(0), 1},
        {"date numeric", &d, dbl(2.5), dbl(2.25), 1},
        {"date equal", &d, dbl(2.0), dbl(2.0), 0},
        {"prefix before longer", &s, str("AB"), str("ABC"), -1},
        {"longer after prefix", &s, str("ABC"), str("AB"), 1},
        {"equal", &s, str("ABC"), str("ABC"), 0},
        {"case sensitive", &s, str("ab"), str("AB"), 1},
        {"bytes unsigned", &s, str("\xC0"), str("z"), 1},
        {"full width equal", &s, str("ABCDEF"), str("ABCDEF"), 0},
        {"garbage after zero ignored", &s, std::string("AB\0xyz", 6), std::string("AB\0qrs", 6), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(c.Field->CompareData(c.A.data(), c.B.data()), c.Result);
    }
}

TEST(Field, VariantKindMustMatchExactly)
{
    tv::TIntegerField i;
    tv::TStringField s(4);
    tv::TBooleanField b;
    tv::TDateTimeField d;
    tv::TMoneyField m;
    struct TCase {
        const char* Name;
        const tv::TField* Field;
        TVariant Value;
        const char* Message;  // nullptr when accepted
    };
    const std::vector<TCase> cases = {
        {"int from int", &i, TVariant(int32_t(5)), nullptr},
        {"int from smallint", &i, TVariant::Smallint(5), "Тип варианта не является Integer"},
        {"int from longword", &i, TVariant(uint32_t(5)), "Тип варианта не является Integer"},
        {"int by reference", &i, TVariant::ByRef(int32_t(5)), "Тип варианта не является Integer"},
        {"string from string", &s, TVariant("ab"), nullptr},
        {"string from wide string", &s, TVariant::WideString("ab"), "Тип варианта не является String"},
        {"string from int", &s, TVariant(int32_t(1)), "Тип варианта не является String"},
        {"bool from bool", &b, TVariant(true), nullptr},
        {"bool from int", &b, TVariant(int32_t(1)), "Тип варианта не является Boolean"},
        {"date from date", &d, TVariant::DateTime(2.0), nullptr},
        {"date from double", &d, TVariant::Double(2.0), "Тип варианта не является TDateTime"},
        {"money from longword", &m, TVariant(uint32_t(5)), nullptr},
        {"money from int", &m, TVariant(int32_t(5)), "Тип варианта не является LongWord"},
        {"money from empty", &m, TVariant(), "Тип варианта не является LongWord"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        uint8_t dest[8] = {};
        const std::string msg = MessageOf([&] { c.Field->VariantToData(c.Value, dest); });
        EXPECT_EQ(msg, c.Message ? c.Message : kNoFailure);
    }
    int32_t data = 0;
    b.VariantToData(TVariant(true), &data);
    EXPECT_EQ(data, 1);
    const int32_t stored = -1;
    EXPECT_EQ(b.CompareData(&data, &stored), 0);
    i.VariantToData(TVariant(int32_t(-9)), &data);
    EXPECT_EQ(data, -9);
}

} // namespace
