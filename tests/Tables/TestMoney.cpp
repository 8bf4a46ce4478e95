#include "UMoneyFld.h"

#include "TablesTestKit.h"
#include "UChecked.h"
#include "UException.h"

#include <cstring>
#include <functional>

#include <gtest/gtest.h>

namespace {

using tv::TMoneyField;

using tv::testkit::MessageOf;
using tv::testkit::kNoFailure;

const std::string kInvalid = "Неверно задано положительное число с двумя знаками: ";
const std::string kTooLarge = "Слишком большое число: ";

TEST(Money, ToText)
{
    const std::vector<std::pair<uint32_t, const char*>> cases = {
        {0, "0.00"},
        {7, "0.07"},
        {99, "0.99"},
        {1000, "10.00"},
        {99999, "999.99"},
        {100000, "1'000.00"},
        {9999999, "99'999.99"},
        {99999999, "999'999.99"},
        {12345678, "123'456.78"},
        {100000000, "1'000'000.00"},
        {4294967295u, "42'949'672.95"},
    };
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(TMoneyField::MoneyToText(value), text);
        // The buffer form writes the same characters and nothing after them.
        char buffer[TMoneyField::MoneyTextMax + 1];
        std::memset(buffer, '#', sizeof buffer);
        const size_t len = TMoneyField::MoneyToChars(value, buffer);
        EXPECT_EQ(std::string(buffer, len), text);
        EXPECT_EQ(std::string(buffer + len, sizeof buffer - len), std::string(sizeof buffer - len, '#'));
    }
}

TEST(Money, FromText)
{
    struct TCase {
        const char* Text;
        uint32_t Value;        // when Message is empty
        std::string Message;   // the prefix of the failure
    };
    const std::vector<TCase> cases = {
        {"1'234.50", 123450, ""},
        {"1234.50", 123450, ""},
        {"12'34.5'6", 123456, ""},
        {"0.00", 0, ""},
        {"05.50", 550, ""},
        {"0.07", 7, ""},
        {"42949671.99", 4294967199u, ""},
        {"42'949'671.99", 4294967199u, ""},
        {"5.5", 0, kInvalid},
        {".50", 0, kInvalid},
        {"1.5", 0, kInvalid},
        {"1.500", 0, kInvalid},
        {"1,50", 0, kInvalid},
        {"-1.00", 0, kInvalid},
        {"1.2.3", 0, kInvalid},
        {" 1.00", 0, kInvalid},
        {"'''''", 0, kInvalid},
        {"", 0, kInvalid},
        {"1.0x", 0, kInvalid},
        {"42949672.00", 0, kTooLarge},
        {"42'949'672.95", 0, kTooLarge},
        {"2147483647.00", 0, kTooLarge},
        {"2147483648.00", 0, kInvalid},
        {"99999999999999999999.00", 0, kInvalid},
        {"'1'2'.3'4'", 1234, ""},
        {"1.'5", 0, kInvalid},
        {"0000000000000000000001.00", 100, ""},
        {"99999999999.x0", 0, kInvalid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        const std::string msg = MessageOf([&] {
            const uint32_t v = TMoneyField::TextToMoney(c.Text);
            EXPECT_EQ(v, c.Value);
        });
        if (c.Message.empty())
            EXPECT_EQ(msg, kNoFailure);
        else
            EXPECT_EQ(msg, c.Message + "[" + c.Text + "]");
    }
}

TEST(Money, EveryShownValueUpToTheLimitParsesBack)
{
    for (uint32_t v : {0u, 1u, 99u, 100u, 99999u, 100000u, 123456789u, 4294967199u}) {
        SCOPED_TRACE(v);
        EXPECT_EQ(TMoneyField::TextToMoney(TMoneyField::MoneyToText(v)), v);
    }
}

TEST(Money, Multiplication)
{
    struct TCase {
        uint32_t A, B;
        bool Overflows;
        uint32_t Result;
    };
    const std::vector<TCase> cases = {
        {1234, 250, false, 3085},
        {5, 10, false, 1},
        {150, 101, false, 152},
        {199, 199, false, 396},
        {100, 123456, false, 123456},
        {123456, 100, false, 123456},
        {4294967295u, 100, false, 4294967295u},
        {4294967295u, 101, true, 0},
        {0, 4294967295u, false, 0},
        {1, 49, false, 0},
        {1, 50, false, 1},
        {6553600, 65536, true, 0},
        {6553600, 65535, false, 4294901760u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.A) + " * " + std::to_string(c.B));
        if (c.Overflows)
            EXPECT_THROW(TMoneyField::MulMoney(c.A, c.B), tv::EIntOverflow);
        else
            EXPECT_EQ(TMoneyField::MulMoney(c.A, c.B), c.Result);
    }
}

TEST(MoneyField, SetTextReportsEveryFailureAsInvalid)
{
    TMoneyField f;
    f.AllowEdit();
    f.SetText("1'000.00");
    EXPECT_EQ(f.GetValue(), 100000u);
    EXPECT_EQ(f.GetText(), "1'000.00");
    for (const char* text : {"42949672.00", "1.5", "abc"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(MessageOf([&] { f.SetText(text); }), kInvalid + "[" + text + "]");
        EXPECT_EQ(f.GetValue(), 100000u);
        uint32_t data = 3;
        EXPECT_EQ(MessageOf([&] { f.TextToData(text, &data); }), kInvalid + "[" + text + "]");
        EXPECT_EQ(data, 3u);
    }
    f.SetText("");
    EXPECT_EQ(f.GetValue(), 0u);
    uint32_t data = 3;
    f.ForbidEdit();
    f.TextToData("", &data);
    EXPECT_EQ(data, 0u);
    f.TextToData("2.50", &data);
    EXPECT_EQ(data, 250u);
    EXPECT_EQ(f.DataToText(&data), "2.50");
}

TEST(MoneyField, CompareIsUnsigned)
{
    TMoneyField f;
    const uint32_t big = 4294967295u, one = 1, other = 1;
    EXPECT_EQ(f.CompareData(&big, &one), 1);
    EXPECT_EQ(f.CompareData(&one, &big), -1);
    EXPECT_EQ(f.CompareData(&one, &other), 0);
    uint32_t dest = 0;
    f.VariantToData(tv::TVariant(big), &dest);
    EXPECT_EQ(dest, big);
}

} // namespace
