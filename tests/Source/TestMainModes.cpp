// The automatic goods code.

#include "UMainModes.h"

#include "UException.h"

#include <gtest/gtest.h>

using namespace tv;

namespace {

struct TCodeCase {
    std::uint32_t Nuls, Delta;
    std::int32_t Next;
    const char* Code;
};

class AutoCodeTest : public testing::TestWithParam<TCodeCase> {};

TEST_P(AutoCodeTest, PadsNextIdPlusDeltaToTheDigitCount)
{
    const TCodeCase& c = GetParam();
    EXPECT_EQ(AutoCode(c.Nuls, c.Delta, c.Next, 8), c.Code);
}

INSTANTIATE_TEST_SUITE_P(Codes, AutoCodeTest,
                         testing::Values(TCodeCase{4, 0, 17, "0017"},           // the defaults
                                         TCodeCase{0, 0, 17, "0017"},           // absent digit count reads 4
                                         TCodeCase{6, 1000, 5, "001005"},
                                         TCodeCase{1, 500, 9, "9"},             // one digit: no delta
                                         TCodeCase{2, 0, 12345, "12345"},       // a longer number keeps its digits
                                         TCodeCase{3, 4294967286u, 9, "4294967295"},
                                         // a digit count beyond the code field stops at its width, so codes
                                         // stay distinct instead of being cut to the same leading zeros
                                         TCodeCase{12, 0, 17, "00000017"},
                                         TCodeCase{4000000000u, 0, 3, "00000003"}));

TEST(AutoCode, SumBeyondThirtyTwoBitsRaises)
{
    EXPECT_THROW(AutoCode(4, 4294967295u, 1, 8), EIntOverflow);
    EXPECT_EQ(AutoCode(1, 4294967295u, 1, 8), "1");
}

} // namespace
