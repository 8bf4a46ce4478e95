#pragma once
// Date-time values: days since 30 December 1899 as a double, the fraction
// being the time of day (1 January 1900 is 2.0). Text forms follow the
// process's current format settings.

#include <cstdint>
#include <string>

namespace tv {

using TDateTime = double;

// How dates and times are written. In ShortDateFormat and LongTimeFormat the
// letters d, m, yy/yyyy and h, n, s, z are the parts; "/" stands for
// DateSeparator and ":" for TimeSeparator; other characters are copied.
// The order of d, m and y in ShortDateFormat is also the order of parsing.
struct TFormatSettings {
    char DateSeparator = '.';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "dd.mm.yyyy";
    std::string LongTimeFormat = "hh:nn:ss";
};

// The process-wide current settings; the program sets them per language.
TFormatSettings& FormatSettings();

bool IsLeapYear(int year);
// Days of the month; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);

// Year 1..9999, month 1..12, day within the month.
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
// As TryEncodeDate; an invalid date raises EConvertError.
TDateTime EncodeDate(int year, int month, int day);

// hour 0..23, min 0..59, sec 0..59, msec 0..999; the result is a fraction of a day.
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result);
TDateTime EncodeTime(int hour, int min, int sec, int msec);

TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec);

// Splits a value into its parts; false for NaN, infinity or a date outside
// the years 1..9999 (the parts are then 0).
bool TryDecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec);
bool TryDecodeDateTime(TDateTime value, int& year, int& month, int& day,
                       int& hour, int& min, int& sec, int& msec);

// Text of the value by a format (see TFormatSettings). A value whose date
// cannot be decoded gives its number in decimal.
std::string FormatDateTime(const std::string& format, TDateTime value,
                           const TFormatSettings& settings = FormatSettings());

// The value in the short date format.
std::string DateToStr(TDateTime value, const TFormatSettings& settings = FormatSettings());
// The value in the long time format.
std::string TimeToStr(TDateTime value, const TFormatSettings& settings = FormatSettings());
// The date, then a space and the time unless hours, minutes and seconds are all 0.
std::string DateTimeToStr(TDateTime value, const TFormatSettings& settings = FormatSettings());

// Parses a date in the settings' order and separator, optionally followed by
// spaces and a time (h:n, h:n:s or h:n:s.z), or a time alone. Leading and
// trailing spaces are allowed; a year of one or two digits means 1950..2049.
bool TryStrToDateTime(const std::string& text, TDateTime& result,
                      const TFormatSettings& settings = FormatSettings());
// As TryStrToDateTime; a text that does not parse raises EConvertError.
TDateTime StrToDateTime(const std::string& text,
                        const TFormatSettings& settings = FormatSettings());

// The local date and time now; Date() is its date part.
TDateTime Now();
TDateTime Date();

} // namespace tv
