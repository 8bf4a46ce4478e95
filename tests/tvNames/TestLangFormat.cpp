#include "ULangFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace tv {
namespace {

TLangFormatSettings Settings() {
    TLangFormatSettings fs;
    fs.DateSeparator = '.';
    fs.TimeSeparator = '-';
    fs.ShortDateFormat = "dd/mm/yyyy";
    fs.LongMonthNames = {"jan", "feb", "mar", "apr", "may", "jun",
                         "jul", "aug", "sep", "oct", "nov", "dec"};
    return fs;
}

TEST(LangFormat, FormatParts) {
    // 5 March 2026, 07:04:09
    const double value = 46086.0 + (7 * 3600 + 4 * 60 + 9) / 86400.0;
    struct Case {
        const char* name;
        std::string format;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"short date with separator", "dd/mm/yyyy", "05.03.2026"},
        {"single letters without zeros", "d/m/yy h:n:s", "5.3.26 7-4-9"},
        {"two letters with zeros", "hh:nn:ss", "07-04-09"},
        {"long month name", "d mmmm yyyy", "5 mar 2026"},
        {"upper-case letters", "DD/MM/YYYY HH:NN", "05.03.2026 07-04"},
        {"hyphens are literal", "yyyy-mm-dd", "2026-03-05"},
        {"quoted text is copied", "'d/m' dd \"hh\"", "d/m 05 hh"},
        {"unclosed quote runs to the end", "dd 'mm", "05 mm"},
        {"other characters copied", " dd, [x] ", " 05, [x] "},
        {"empty format", "", ""},
    };
    const TLangFormatSettings fs = Settings();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatLangDateTime(c.format, value, fs), c.expected);
    }
}

TEST(LangFormat, DateTimeValues) {
    const std::string full = "dd/mm/yyyy hh:nn:ss";
    struct Case {
        const char* name;
        double value;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"zero is the base day", 0.0, "30.12.1899 00-00-00"},
        {"1 January 1900", 2.0, "01.01.1900 00-00-00"},
        {"leap day", 45351.0, "29.02.2024 00-00-00"},
        {"negative counts days back, time forward", -1.25, "29.12.1899 06-00-00"},
        {"a hair before midnight is the next day", 46387.0 + 86399.9996 / 86400.0, "01.01.2027 00-00-00"},
        {"half a second rounds up", 46387.0 + 59.5 / 86400.0, "31.12.2026 00-00-59"},
        {"first day of year 1", -693593.0, "01.01.0001 00-00-00"},
        {"last day of year 9999", 2958465.5, "31.12.9999 12-00-00"},
    };
    const TLangFormatSettings fs = Settings();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatLangDateTime(full, c.value, fs), c.expected);
    }
}

TEST(LangFormat, ValuesWithoutADate) {
    const TLangFormatSettings fs = Settings();
    EXPECT_EQ(FormatLangDateTime("dd/mm/yyyy", 2958466.0, fs), "2958466");
    EXPECT_EQ(FormatLangDateTime("dd/mm/yyyy", -693594.0, fs), "-693594");
    EXPECT_EQ(FormatLangDateTime("dd/mm/yyyy", 1e300, fs), "1e+300");
    EXPECT_EQ(FormatLangDateTime("dd", std::numeric_limits<double>::quiet_NaN(), fs).empty(), false);
    EXPECT_EQ(FormatLangDateTime("dd", std::numeric_limits<double>::infinity(), fs), "inf");
}

TEST(LangFormat, EmptySettingsWriteNoSeparators) {
    const TLangFormatSettings empty;
    EXPECT_EQ(FormatLangDateTime("dd/mm/yyyy hh:nn", 46387.5, empty), "31122026 1200");
    EXPECT_EQ(FormatLangDateTime("[mmmm]", 46387.5, empty), "[]");
}

} // namespace
} // namespace tv
