#include "UDateTime.h"

#include "UException.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

TEST(DateTime, KnownDayNumbers)
{
    struct TCase {
        int Year, Month, Day;
        double Value;
    };
    const std::vector<TCase> cases = {
        {1899, 12, 30, 0.0}, {1899, 12, 31, 1.0}, {1900, 1, 1, 2.0},   {1900, 3, 1, 61.0},
        {2000, 1, 1, 36526.0}, {2000, 2, 29, 36585.0}, {1, 1, 1, -693593.0}, {9999, 12, 31, 2958465.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Value);
        EXPECT_EQ(tv::EncodeDate(c.Year, c.Month, c.Day), c.Value);
        int y, m, d;
        ASSERT_TRUE(tv::TryDecodeDate(c.Value, y, m, d));
        EXPECT_EQ(y, c.Year);
        EXPECT_EQ(m, c.Month);
        EXPECT_EQ(d, c.Day);
    }
}

TEST(DateTime, EncodeDecodeRoundTripsEveryPart)
{
    for (int year : {1, 1899, 1900, 1999, 2024, 9999})
        for (int month = 1; month <= 12; ++month)
            for (int day : {1, 15, tv::DaysInMonth(year, month)}) {
                const double v = tv::EncodeDateTime(year, month, day, 13, 45, 59, 123);
                int y, m, d, h, n, s, z;
                ASSERT_TRUE(tv::TryDecodeDateTime(v, y, m, d, h, n, s, z));
                EXPECT_EQ(y * 10000 + m * 100 + d, year * 10000 + month * 100 + day);
                EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + z, 134559123);
            }
}

TEST(DateTime, InvalidPartsAreRefused)
{
    double v;
    EXPECT_FALSE(tv::TryEncodeDate(1900, 2, 29, v));
    EXPECT_TRUE(tv::TryEncodeDate(2000, 2, 29, v));
    EXPECT_FALSE(tv::TryEncodeDate(2023, 13, 1, v));
    EXPECT_FALSE(tv::TryEncodeDate(0, 1, 1, v));
    EXPECT_FALSE(tv::TryEncodeTime(24, 0, 0, 0, v));
    EXPECT_FALSE(tv::TryEncodeTime(0, 60, 0, 0, v));
    EXPECT_THROW(tv::EncodeDate(2023, 4, 31), tv::EConvertError);
    int y, m, d;
    EXPECT_FALSE(tv::TryDecodeDate(3e6, y, m, d));
}

TEST(DateTime, TimeOfDayIsTheFraction)
{
    EXPECT_DOUBLE_EQ(tv::EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(tv::EncodeTime(6, 0, 0, 0), 0.25);
    int h, n, s, z;
    tv::DecodeTime(2.75, h, n, s, z);
    EXPECT_EQ(h, 18);
    tv::DecodeTime(tv::EncodeTime(23, 59, 59, 999), h, n, s, z);
    EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + z, 235959999);
}

TEST(DateTime, FormatsInCurrentSettings)
{
    tv::TFormatSettings fs;
    const double v = tv::EncodeDateTime(2024, 3, 7, 9, 5, 3, 0);
    EXPECT_EQ(tv::DateToStr(v, fs), "07.03.2024");
    EXPECT_EQ(tv::TimeToStr(v, fs), "09:05:03");
    EXPECT_EQ(tv::DateTimeToStr(v, fs), "07.03.2024 09:05:03");
    EXPECT_EQ(tv::DateTimeToStr(tv::EncodeDate(2024, 3, 7), fs), "07.03.2024");
    fs.DateSeparator = '/';
    fs.ShortDateFormat = "mm/dd/yyyy";
    fs.TimeSeparator = '-';
    EXPECT_EQ(tv::DateTimeToStr(v, fs), "03/07/2024 09-05-03");
    EXPECT_EQ(tv::FormatDateTime("yyyy-mm-dd", v, fs), "2024-03-07");
    EXPECT_EQ(tv::FormatDateTime("d.m.yy h:nn", v, fs), "7.3.24 9-05");
    EXPECT_EQ(tv::FormatDateTime("h n s hh nn ss", v, fs), "9 5 3 09 05 03");
    // A value outside the years 1..9999 cannot be a date and shows as its number.
    EXPECT_EQ(tv::DateToStr(3e6, fs), "3e+06");
}

TEST(DateTime, ParsesInCurrentSettings)
{
    struct TCase {
        const char* Text;
        bool Ok;
        double Value;
    };
    const tv::TFormatSettings fs;
    const double date = tv::EncodeDate(2024, 3, 7);
    const std::vector<TCase> cases = {
        {"07.03.2024", true, date},
        {"7.3.2024", true, date},
        {" 07.03.2024 ", true, date},
        {"07.03.24", true, date},
        {"07.03.1999", true, tv::EncodeDate(1999, 3, 7)},
        {"07.03.75", true, tv::EncodeDate(1975, 3, 7)},
        {"07.03.0049", true, tv::EncodeDate(49, 3, 7)},
        {"07.03.2024 09:05:03", true, date + tv::EncodeTime(9, 5, 3, 0)},
        {"07.03.2024 9:05", true, date + tv::EncodeTime(9, 5, 0, 0)},
        {"12:30", true, tv::EncodeTime(12, 30, 0, 0)},
        {"31.02.2024", false, 0},
        {"07/03/2024", false, 0},
        {"07.03", false, 0},
        {"07.03.2024 25:00", false, 0},
        {"07.03.2024 x", false, 0},
        {"abc", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        double v = -1;
        EXPECT_EQ(tv::TryStrToDateTime(c.Text, v, fs), c.Ok);
        if (c.Ok) {
            EXPECT_DOUBLE_EQ(v, c.Value);
        }
    }
    tv::TFormatSettings us;
    us.DateSeparator = '/';
    us.ShortDateFormat = "m/d/yyyy";
    double v;
    ASSERT_TRUE(tv::TryStrToDateTime("3/7/2024", v, us));
    EXPECT_EQ(v, date);
    EXPECT_THROW(tv::StrToDateTime("7.3.2024", us), tv::EConvertError);
}

TEST(DateTime, DefaultSettingsAreDayMonthYearWithPoints)
{
    const tv::TFormatSettings& fs = tv::FormatSettings();
    EXPECT_EQ(tv::DateToStr(tv::EncodeDate(1999, 12, 31), fs), "31.12.1999");
    EXPECT_EQ(tv::TimeToStr(tv::EncodeTime(1, 2, 3, 0), fs), "01:02:03");
}

} // namespace

namespace {

// Read across a change of the second, where a clock read in two parts
// could give the old second with the new milliseconds.
TEST(DateTime, NowNeverStepsBackAcrossASecond)
{
    using clock = std::chrono::steady_clock;
    const auto end = clock::now() + std::chrono::milliseconds(1100);
    tv::TDateTime last = tv::Now();
    while (clock::now() < end) {
        const tv::TDateTime now = tv::Now();
        ASSERT_GE(now, last);
        last = now;
    }
}

} // namespace
