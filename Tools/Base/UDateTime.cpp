#include "UDateTime.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "UException.h"

namespace tv {

namespace {

constexpr int64_t kMSecsPerDay = 86400000;
// Day number of 1970-01-01 counted from 1899-12-30.
constexpr int64_t kUnixDelta = 25569;
// 0001-01-01 and 9999-12-31.
constexpr int64_t kMinDay = -693593;
constexpr int64_t kMaxDay = 2958465;

// Days since 1970-01-01 of a civil date.
int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

std::string Pad(int value, int width)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, value);
    return buf;
}

size_t RunLength(const std::string& s, size_t pos)
{
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[pos])));
    size_t n = 0;
    while (pos + n < s.size() && std::tolower(static_cast<unsigned char>(s[pos + n])) == c) ++n;
    return n;
}

// Reads an unsigned decimal number of 1 to maxDigits digits at pos.
bool ReadNumber(const std::string& s, size_t& pos, int maxDigits, int& value, int& digits)
{
    value = 0;
    digits = 0;
    while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) {
        if (++digits > maxDigits) return false;
        value = value * 10 + (s[pos] - '0');
        ++pos;
    }
    return digits > 0;
}

void SkipSpaces(const std::string& s, size_t& pos)
{
    while (pos < s.size() && s[pos] == ' ') ++pos;
}

bool ParseDate(const std::string& s, size_t& pos, const TFormatSettings& settings, TDateTime& result)
{
    // Order of the parts as d, m and y first appear in the format.
    char order[3];
    int n = 0;
    for (char c : settings.ShortDateFormat) {
        const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if ((l == 'd' || l == 'm' || l == 'y') && n < 3) {
            bool seen = false;
            for (int i = 0; i < n; ++i) seen = seen || order[i] == l;
            if (!seen) order[n++] = l;
        }
    }
    if (n != 3) {
        order[0] = 'd';
        order[1] = 'm';
        order[2] = 'y';
    }
    int year = 0, month = 0, day = 0, yearDigits = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (pos >= s.size() || s[pos] != settings.DateSeparator) return false;
            ++pos;
        }
        int value, digits;
        if (!ReadNumber(s, pos, order[i] == 'y' ? 4 : 2, value, digits)) return false;
        if (order[i] == 'd') day = value;
        if (order[i] == 'm') month = value;
        if (order[i] == 'y') {
            year = value;
            yearDigits = digits;
        }
    }
    if (yearDigits <= 2) year += year < 50 ? 2000 : 1900;
    return TryEncodeDate(year, month, day, result);
}

bool ParseTime(const std::string& s, size_t& pos, const TFormatSettings& settings, TDateTime& result)
{
    int hour, min, sec = 0, msec = 0, digits;
    if (!ReadNumber(s, pos, 2, hour, digits)) return false;
    if (pos >= s.size() || s[pos] != settings.TimeSeparator) return false;
    ++pos;
    if (!ReadNumber(s, pos, 2, min, digits)) return false;
    if (pos < s.size() && s[pos] == settings.TimeSeparator) {
        ++pos;
        if (!ReadNumber(s, pos, 2, sec, digits)) return false;
        if (pos < s.size() && s[pos] == '.') {
            ++pos;
            if (!ReadNumber(s, pos, 3, msec, digits)) return false;
        }
    }
    return TryEncodeTime(hour, min, sec, msec, result);
}

} // namespace

TFormatSettings& FormatSettings()
{
    static TFormatSettings settings;
    return settings;
}

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    result = static_cast<double>(DaysFromCivil(year, month, day) + kUnixDelta);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime result;
    if (!TryEncodeDate(year, month, day, result)) throw EConvertError("Invalid argument to date encode");
    return result;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result)
{
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
        return false;
    const int64_t ms = ((hour * 60 + min) * 60 + sec) * 1000LL + msec;
    result = static_cast<double>(ms) / kMSecsPerDay;
    return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec)
{
    TDateTime result;
    if (!TryEncodeTime(hour, min, sec, msec, result)) throw EConvertError("Invalid argument to time encode");
    return result;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec)
{
    const TDateTime date = EncodeDate(year, month, day);
    const TDateTime time = EncodeTime(hour, min, sec, msec);
    return date >= 0 ? date + time : date - time;
}

bool TryDecodeDate(TDateTime value, int& year, int& month, int& day)
{
    year = month = day = 0;
    if (!std::isfinite(value)) return false;
    const double whole = std::trunc(value);
    if (whole < kMinDay || whole > kMaxDay) return false;
    CivilFromDays(static_cast<int64_t>(whole) - kUnixDelta, year, month, day);
    return true;
}

void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec)
{
    hour = min = sec = msec = 0;
    if (!std::isfinite(value)) return;
    int64_t ms = std::llround(std::fabs(value - std::trunc(value)) * kMSecsPerDay);
    if (ms >= kMSecsPerDay) ms = kMSecsPerDay - 1;
    msec = static_cast<int>(ms % 1000);
    ms /= 1000;
    sec = static_cast<int>(ms % 60);
    ms /= 60;
    min = static_cast<int>(ms % 60);
    hour = static_cast<int>(ms / 60);
}

bool TryDecodeDateTime(TDateTime value, int& year, int& month, int& day,
                       int& hour, int& min, int& sec, int& msec)
{
    DecodeTime(value, hour, min, sec, msec);
    return TryDecodeDate(value, year, month, day);
}

std::string FormatDateTime(const std::string& format, TDateTime value, const TFormatSettings& settings)
{
    int year, month, day, hour, min, sec, msec;
    if (!TryDecodeDateTime(value, year, month, day, hour, min, sec, msec)) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", value);
        return buf;
    }
    std::string out;
    for (size_t pos = 0; pos < format.size();) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(format[pos])));
        const size_t run = RunLength(format, pos);
        size_t used = run;
        // One digit for a single letter, two for a run of two or more.
        const auto oneOrTwo = [&](int part) {
            used = run >= 2 ? 2 : 1;
            out += Pad(part, static_cast<int>(used));
        };
        switch (c) {
        case 'y':
            out += run >= 3 ? Pad(year, 4) : Pad(year % 100, 2);
            break;
        case 'm':
            oneOrTwo(month);
            break;
        case 'd':
            oneOrTwo(day);
            break;
        case 'h':
            oneOrTwo(hour);
            break;
        case 'n':
            oneOrTwo(min);
            break;
        case 's':
            oneOrTwo(sec);
            break;
        case 'z':
            used = run >= 3 ? 3 : 1;
            out += Pad(msec, used == 3 ? 3 : 1);
            break;
        case '/':
            used = 1;
            out += settings.DateSeparator;
            break;
        case ':':
            used = 1;
            out += settings.TimeSeparator;
            break;
        default:
            used = 1;
            out += format[pos];
            break;
        }
        pos += used;
    }
    return out;
}

std::string DateToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime(settings.ShortDateFormat, value, settings);
}

std::string TimeToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime(settings.LongTimeFormat, value, settings);
}

std::string DateTimeToStr(TDateTime value, const TFormatSettings& settings)
{
    std::string text = DateToStr(value, settings);
    int hour, min, sec, msec;
    DecodeTime(value, hour, min, sec, msec);
    if (hour != 0 || min != 0 || sec != 0) text += ' ' + TimeToStr(value, settings);
    return text;
}

bool TryStrToDateTime(const std::string& text, TDateTime& result, const TFormatSettings& settings)
{
    size_t pos = 0;
    SkipSpaces(text, pos);
    const size_t start = pos;
    TDateTime date = 0, time = 0;
    bool hasDate = ParseDate(text, pos, settings, date);
    if (!hasDate) {
        pos = start;
        if (!ParseTime(text, pos, settings, time)) return false;
    } else {
        SkipSpaces(text, pos);
        if (pos < text.size() && !ParseTime(text, pos, settings, time)) return false;
    }
    SkipSpaces(text, pos);
    if (pos != text.size()) return false;
    result = date >= 0 ? date + time : date - time;
    return true;
}

TDateTime StrToDateTime(const std::string& text, const TFormatSettings& settings)
{
    TDateTime result;
    if (!TryStrToDateTime(text, result, settings))
        throw EConvertError("'" + text + "' is not a valid date and time");
    return result;
}

TDateTime Now()
{
    // Seconds and milliseconds from one reading, so that the value never
    // steps back at a second boundary.
    const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::system_clock::now().time_since_epoch()).count();
    const auto seconds = since >= 0 ? since / 1000 : (since - 999) / 1000;
    const auto ms = since - seconds * 1000;
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec, static_cast<int>(ms));
}

TDateTime Date()
{
    return std::trunc(Now());
}

} // namespace tv
