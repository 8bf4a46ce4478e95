// The field classes of the stock book: names compare in the user's letters,
// dates and directions show in the language.

#include "UDateTime.h"
#include "UStoreFields.h"
#include "UTextConst.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace tv;

namespace {

std::string CompareText(const char* a, const char* b, int width = 8)
{
    TCompareStringField f(width);
    std::vector<char> x(width, 0), y(width, 0);
    std::memcpy(x.data(), a, std::min<size_t>(std::strlen(a), width));
    std::memcpy(y.data(), b, std::min<size_t>(std::strlen(b), width));
    return std::to_string(f.CompareData(x.data(), y.data()));
}

TEST(StoreFields, NamesCompareIgnoringCaseInAlphabetOrder)
{
    // 1251 bytes: \xdf Я, \xff я, \xc0 А, \xe0 а, \xa8 Ё, \xb8 ё, \xc5 Е,
    // \xc6 Ж, \xc8 И, \xb2 І, \xb3 і, \xaf Ї, \xc9 Й, \xaa Є, \xba є.
    struct Row {
        const char* name;
        const char* a;
        const char* b;
        const char* expected;
    };
    const std::vector<Row> rows = {
        {"Latin letters fold", "apple", "APPLE", "0"},
        {"Cyrillic letters fold", "\xdf\xc0", "\xff\xe0", "0"},
        {"yo folds", "\xa8", "\xb8", "0"},
        {"Ukrainian i folds", "\xb2", "\xb3", "0"},
        {"ye folds", "\xaa", "\xba", "0"},
        {"shorter sorts first", "ab", "abc", "-1"},
        {"later letter", "abd", "ABC", "1"},
        {"Latin before Cyrillic", "z", "\xe0", "-1"},
        {"ya after a despite case", "\xff", "\xc0", "1"},
        {"yo between ye and zhe", "\xc5", "\xa8", "-1"},
        {"yo before zhe", "\xb8", "\xc6", "-1"},
        {"i after y-short in bytes, before it in the alphabet", "\xb2", "\xc9", "-1"},
        {"yi after i", "\xaf", "\xb2", "1"},
        {"digits before letters", "9", "a", "-1"},
        {"signs before digits", "@", "0", "-1"},
        {"underscore before digits", "_1", "1", "-1"},
        {"blank before digits", "a 9", "a0", "-1"},
        {"number sign before digits", "\xb9", "9", "-1"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(CompareText(r.a, r.b), r.expected) << r.name;

    // The whole width counts, also behind the first zero byte.
    TCompareStringField f(4);
    const char a[4] = {'a', 0, 'x', 0}, b[4] = {'a', 0, 'y', 0};
    EXPECT_EQ(f.CompareData(a, b), -1);
    EXPECT_EQ(f.CompareData(b, a), 1);
}

TEST(StoreFields, DatesAndDirectionsShowInTheLanguage)
{
    const TDateTime afternoon = EncodeDateTime(2026, 12, 31, 14, 5, 9, 0);
    const TDateTime midnight = EncodeDate(2026, 12, 9);
    struct Row {
        const char* name;
        void (*load)();
        TDateTime value;
        const char* text;
        const char* data;
    };
    const std::vector<Row> rows = {
        {"English", LoadEnglishTexts, afternoon, "12/31/2026 14:05:09", "12/31/2026"},
        {"Russian", LoadRussianTexts, afternoon, "31.12.2026 14:05:09", "31.12.2026"},
        {"Ukrainian", LoadUkrainianTexts, afternoon, "31.12.2026 14:05:09", "31.12.2026"},
        {"midnight has no time", LoadEnglishTexts, midnight, "12/09/2026", "12/09/2026"},
        {"no date is empty", LoadRussianTexts, 0.0, "", ""},
    };
    for (const Row& r : rows) {
        r.load();
        TShowDateTimeField f;
        f.SetData(&r.value);
        EXPECT_EQ(f.GetText(), r.text) << r.name;
        EXPECT_EQ(f.DataToText(&r.value), r.data) << r.name;
    }

    TDirectionBooleanField d;
    for (int32_t v : {0, -1, 1})
        EXPECT_EQ(d.DataToText(&v), v == 0 ? "-" : "+") << v;
    // The field classes are stored as their parents.
    EXPECT_EQ(TCompareStringField(8).TypeId(), 2);
    EXPECT_EQ(TShowDateTimeField().TypeId(), 4);
    EXPECT_EQ(TDirectionBooleanField().TypeId(), 3);
}

} // namespace
