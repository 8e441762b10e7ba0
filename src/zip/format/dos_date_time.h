// DOS date/times as stored in archive headers: the sanitiser applied to every value read, and
// conversions to and from calendar date-times in local time.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

#include "platform/dos_time.h"

namespace larkspur::zip {

using DateTime = platform::DateTime;

// Clamps each field into range (hours 23, minutes 59, seconds 59, years 1980..2099, months and
// days at least 1, months at most 12). A value that needs no clamping comes back bit for bit;
// day 30 in February and the like are left alone.
std::uint32_t SanitizeDosDateTime(std::uint32_t dosDateTime);

// The date-time a DOS value names; empty when it is no real date or time (30 February, month 0).
std::optional<DateTime> DosDateTimeToDateTime(std::uint32_t dosDateTime);
// Packs a date-time (two-second resolution); years outside 1980..2107 are clamped to the
// first or last representable moment.
std::uint32_t DateTimeToDosDateTime(const DateTime& time);

// The current local time.
DateTime NowDateTime();
// Local-time conversions; empty when the date-time is invalid or not representable.
std::optional<std::time_t> DateTimeToTimeT(const DateTime& time);
DateTime TimeTToDateTime(std::time_t time);

} // namespace larkspur::zip
