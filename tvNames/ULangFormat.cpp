#include "ULangFormat.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace tv {

namespace {

// Far enough outside the years 1..9999 to keep the day count small.
constexpr double DayLimit = 3.0e6;
constexpr long long MSecsPerDay = 86400000;

struct TDateParts {
    int Year = 0, Month = 0, Day = 0;
    int Hour = 0, Min = 0, Sec = 0;
};

bool Decode(double value, TDateParts& parts) {
    if (!std::isfinite(value) || std::fabs(value) > DayLimit) return false;
    long long days = static_cast<long long>(std::trunc(value));
    long long msecs = std::llround(std::fabs(value - std::trunc(value)) * MSecsPerDay);
    if (msecs >= MSecsPerDay) {
        msecs -= MSecsPerDay;
        ++days;
    }
    using namespace std::chrono;
    const sys_days base = sys_days(year(1899) / December / 30);
    const year_month_day ymd(base + std::chrono::days(days));
    parts.Year = static_cast<int>(ymd.year());
    if (parts.Year < 1 || parts.Year > 9999) return false;
    parts.Month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    parts.Day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    const long long secs = msecs / 1000;
    parts.Hour = static_cast<int>(secs / 3600);
    parts.Min = static_cast<int>(secs / 60 % 60);
    parts.Sec = static_cast<int>(secs % 60);
    return true;
}

void AppendNumber(std::string& out, int number, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", digits, number);
    out += buf;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string FormatLangDateTime(const std::string& format, double value,
                               const TLangFormatSettings& settings) {
    TDateParts p;
    if (!Decode(value, p)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", value);
        return buf;
    }
    std::string out;
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        const char lc = Lower(c);
        if (c == '"' || c == '\'') {
            const std::size_t end = format.find(c, i + 1);
            const std::size_t stop = end == std::string::npos ? format.size() : end;
            out.append(format, i + 1, stop - i - 1);
            i = stop == format.size() ? stop : stop + 1;
            continue;
        }
        if (lc != 'd' && lc != 'm' && lc != 'y' && lc != 'h' && lc != 'n' && lc != 's') {
            if (c == '/') {
                if (settings.DateSeparator != '\0') out += settings.DateSeparator;
            } else if (c == ':') {
                if (settings.TimeSeparator != '\0') out += settings.TimeSeparator;
            } else {
                out += c;
            }
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (i + run < format.size() && Lower(format[i + run]) == lc) ++run;
        i += run;
        const int digits = run >= 2 ? 2 : 1;
        switch (lc) {
        case 'd': AppendNumber(out, p.Day, digits); break;
        case 'm':
            if (run >= 3) out += settings.LongMonthNames[static_cast<std::size_t>(p.Month - 1)];
            else AppendNumber(out, p.Month, digits);
            break;
        case 'y':
            if (run >= 3) AppendNumber(out, p.Year, 4);
            else AppendNumber(out, p.Year % 100, 2);
            break;
        case 'h': AppendNumber(out, p.Hour, digits); break;
        case 'n': AppendNumber(out, p.Min, digits); break;
        case 's': AppendNumber(out, p.Sec, digits); break;
        }
    }
    return out;
}

} // namespace tv
