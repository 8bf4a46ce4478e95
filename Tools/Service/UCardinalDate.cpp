#include "UCardinalDate.h"

#include <algorithm>
#include <bit>

namespace tv {

uint32_t DateToCardinal(TDateTime value)
{
    return static_cast<uint32_t>(std::bit_cast<uint64_t>(value) >> 32);
}

TDateTime CardinalToDate(uint32_t value)
{
    return std::bit_cast<double>(static_cast<uint64_t>(value) << 32);
}

TDateTime IncOneMonth(TDateTime value)
{
    int year, month, day;
    if (!TryDecodeDate(value, year, month, day))
        return 0.0;
    if (++month > 12) {
        month = 1;
        ++year;
    }
    day = std::min(day, DaysInMonth(year, month));
    TDateTime result;
    return TryEncodeDate(year, month, day, result) ? result : 0.0;
}

} // namespace tv
