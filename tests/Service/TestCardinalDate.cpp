#include "UCardinalDate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tv;

TEST(CardinalDate, StoredFormKeepsTheHighHalfOfTheDouble)
{
    struct Row {
        const char* name;
        TDateTime value;
        uint32_t stored;
    };
    const std::vector<Row> rows = {
        {"1 January 2024 00:00", EncodeDate(2024, 1, 1), 0x40E61D80},
        {"1 January 2024 12:00", EncodeDateTime(2024, 1, 1, 12, 0, 0, 0), 0x40E61D90},
        {"no date", 0.0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DateToCardinal(row.value), row.stored);
        EXPECT_EQ(CardinalToDate(row.stored), row.value);
    }
    int y, m, d, h, n, s, ms;
    ASSERT_TRUE(TryDecodeDateTime(CardinalToDate(DateToCardinal(EncodeDateTime(2024, 1, 1, 23, 59, 0, 0))),
                                  y, m, d, h, n, s, ms));
    EXPECT_EQ(std::vector<int>({y, m, d, h, n, s}), std::vector<int>({2024, 1, 1, 23, 15, 0}))
        << "cut towards zero in steps of 45 minutes";
    ASSERT_TRUE(TryDecodeDateTime(CardinalToDate(0), y, m, d, h, n, s, ms));
    EXPECT_EQ(std::vector<int>({y, m, d, h, n}), std::vector<int>({1899, 12, 30, 0, 0}));
}

TEST(CardinalDate, IncOneMonthClampsTheDayAndDropsTheTime)
{
    struct Row {
        const char* name;
        TDateTime from;
        TDateTime to;
    };
    const std::vector<Row> rows = {
        {"31 Jan 2024 into a leap February", EncodeDate(2024, 1, 31), EncodeDate(2024, 2, 29)},
        {"31 Jan 2023 into a plain February", EncodeDate(2023, 1, 31), EncodeDate(2023, 2, 28)},
        {"30 Nov 2023", EncodeDate(2023, 11, 30), EncodeDate(2023, 12, 30)},
        {"15 Dec 2023 10:00 across the year", EncodeDateTime(2023, 12, 15, 10, 0, 0, 0), EncodeDate(2024, 1, 15)},
        {"29 Feb 2024", EncodeDate(2024, 2, 29), EncodeDate(2024, 3, 29)},
        {"31 Mar 2024", EncodeDate(2024, 3, 31), EncodeDate(2024, 4, 30)},
        {"never checked", CardinalToDate(0), EncodeDate(1900, 1, 30)},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), 0.0},
        {"past year 9999", EncodeDate(9999, 12, 31), 0.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IncOneMonth(row.from), row.to);
    }
}
