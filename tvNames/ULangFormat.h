#pragma once
// Date and time texts of one interface language, independent of the
// operating system's locale.

#include <array>
#include <string>

namespace tv {

// The four members a language sets; an empty record formats nothing
// special (no separators, no month names).
struct TLangFormatSettings {
    char DateSeparator = '\0';
    char TimeSeparator = '\0';
    std::string ShortDateFormat;
    std::array<std::string, 12> LongMonthNames; // January first

    bool operator==(const TLangFormatSettings&) const = default;
};

// Text of a date-time value (days since 30 December 1899, the fraction the
// time of day; a negative value counts its days backwards and its fraction
// forwards) by a format:
//   d, dd    day, dd with two digits      y, yy    year with two digits
//   m, mm    month, mm with two digits    yyyy     year with four digits
//   mmmm     long month name              h, hh    hour 0-23
//   n, nn    minute                       s, ss    second
//   /        the date separator           :        the time separator
// Letters may be of either case; text in single or double quotes and every
// other character is copied. The time is rounded to the millisecond, so a
// value a hair before midnight shows the next day at 00:00:00.
// A value outside the years 1 to 9999, NaN or infinity gives its number
// in decimal.
std::string FormatLangDateTime(const std::string& format, double value,
                               const TLangFormatSettings& settings);

} // namespace tv
