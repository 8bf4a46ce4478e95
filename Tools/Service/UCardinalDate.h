#pragma once
// A date-time kept in a 32-bit configuration value, and the step of one
// month used by the version check's schedule.

#include <cstdint>

#include "UDateTime.h"

namespace tv {

// The high 32 bits of the value's IEEE double (sign, exponent and the top
// 20 bits of the fraction). Between 1989 and 2079 this keeps the date in
// steps of 1/32 day, cut towards zero.
uint32_t DateToCardinal(TDateTime value);
// The bits as the high half of a double whose low half is 0; 0 gives
// 30 December 1899 00:00.
TDateTime CardinalToDate(uint32_t value);
// The same day of the next month at 00:00, the day clamped to the last day
// of that month. A value that is no date (not finite, or outside the years
// 1 to 9999, also after the step) gives 0, so that a schedule built on it
// falls due at once.
TDateTime IncOneMonth(TDateTime value);

} // namespace tv
