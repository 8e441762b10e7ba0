// Calendar date-times and their packing into 32-bit DOS date/times, shared by both platform
// implementations (file times, the current time) and by the archive records.
#pragma once

#include <compare>
#include <cstdint>
#include <ctime>
#include <optional>

namespace larkspur::platform {

// A local calendar time to the second; not checked for validity by itself.
struct DateTime {
  int year = 0;
  int month = 0; // 1..12
  int day = 0;   // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  auto operator<=>(const DateTime&) const = default;
};

// DOS dates count years from 1980 in seven bits.
inline constexpr int kDosFirstYear = 1980;
inline constexpr int kDosLastYear = kDosFirstYear + 127;

// The fields of a DOS date/time exactly as stored (seconds are doubled, nothing is checked).
DateTime splitDosTime(std::uint32_t dosTime);
// Packs the fields as they are; the caller keeps them in range (odd seconds round down).
std::uint32_t packDosTime(const DateTime& time);

// Packs like packDosTime, but a year outside 1980..2107 gives the first or last moment DOS holds.
std::uint32_t packDosTimeInRange(const DateTime& time);

// Whether the fields name a real calendar time (month lengths and leap years included).
bool isValidDateTime(const DateTime& time);

// Local-time conversions. dosTimeFromTimeT clamps into the years DOS can hold.
DateTime localDateTime(std::time_t time);
std::optional<std::time_t> timeTFromLocal(const DateTime& time);
std::uint32_t dosTimeFromTimeT(std::time_t time);

} // namespace larkspur::platform
