#include "UMoneyEditLogic.h"
#include "UMoneyFld.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tv {
namespace {

// The money edit and the money field agree on the text form: what the
// field writes the edit keeps, and what is typed into the edit the field
// reads back.
TEST(MoneyEditShape, FieldTextAndEditAgree) {
    const std::vector<uint32_t> values = {0u, 7u, 1000u, 99999u, 100000u, 12345678u,
                                          100000000u, 4294967199u, 4294967295u};
    for (uint32_t value : values) {
        SCOPED_TRACE(value);
        const std::string text = TMoneyField::MoneyToText(value);
        EXPECT_TRUE(TMoneyEditLogic::InShape(text));
        EXPECT_EQ(TMoneyEditLogic::RegroupText(text), text);
        if (value > 4294967199u)
            continue;  // shown, but above what can be typed back

        TMoneyEditLogic edit("0.00", 13);
        std::string digits = std::to_string(value / 100);
        for (char c : digits)
            edit.KeyChar(c);
        edit.KeyChar('.');
        const uint32_t cents = value % 100;
        edit.KeyChar(static_cast<char>('0' + cents / 10));
        edit.KeyChar(static_cast<char>('0' + cents % 10));
        EXPECT_EQ(edit.Text(), text);
        EXPECT_EQ(TMoneyField::TextToMoney(edit.Text()), value);
    }
}

} // namespace
} // namespace tv
