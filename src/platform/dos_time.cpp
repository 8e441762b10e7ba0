// Packing and unpacking of DOS date/times and the local-time conversions behind them.
#include "platform/dos_time.h"

namespace larkspur::platform {

namespace {

// Bit layout of a DOS date/time: time in the low word, date in the high word.
constexpr int kSecondShift = 0, kMinuteShift = 5, kHourShift = 11;
constexpr int kDayShift = 16, kMonthShift = 21, kYearShift = 25;
constexpr std::uint32_t kFiveBits = 0x1F, kSixBits = 0x3F, kFourBits = 0x0F, kSevenBits = 0x7F;

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

} // namespace

DateTime splitDosTime(std::uint32_t dosTime) {
  DateTime t;
  t.second = static_cast<int>((dosTime >> kSecondShift) & kFiveBits) * 2;
  t.minute = static_cast<int>((dosTime >> kMinuteShift) & kSixBits);
  t.hour = static_cast<int>((dosTime >> kHourShift) & kFiveBits);
  t.day = static_cast<int>((dosTime >> kDayShift) & kFiveBits);
  t.month = static_cast<int>((dosTime >> kMonthShift) & kFourBits);
  t.year = static_cast<int>((dosTime >> kYearShift) & kSevenBits) + kDosFirstYear;
  return t;
}

std::uint32_t packDosTime(const DateTime& t) {
  const auto field = [](int value, std::uint32_t mask, int shift) {
    return (static_cast<std::uint32_t>(value) & mask) << shift;
  };
  return field(t.second / 2, kFiveBits, kSecondShift) | field(t.minute, kSixBits, kMinuteShift) |
         field(t.hour, kFiveBits, kHourShift) | field(t.day, kFiveBits, kDayShift) |
         field(t.month, kFourBits, kMonthShift) |
         field(t.year - kDosFirstYear, kSevenBits, kYearShift);
}

bool isValidDateTime(const DateTime& t) {
  return t.year >= 1 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= daysInMonth(t.year, t.month) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 &&
         t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

DateTime localDateTime(std::time_t time) {
  std::tm tm{};
#ifdef _WIN32
  if (localtime_s(&tm, &time) != 0)
    return DateTime{kDosFirstYear, 1, 1, 0, 0, 0};
#else
  if (localtime_r(&time, &tm) == nullptr)
    return DateTime{kDosFirstYear, 1, 1, 0, 0, 0};
#endif
  return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::optional<std::time_t> timeTFromLocal(const DateTime& t) {
  if (!isValidDateTime(t))
    return std::nullopt;
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1; // let the system decide whether summer time applies
  const std::time_t result = std::mktime(&tm);
  if (result == static_cast<std::time_t>(-1))
    return std::nullopt;
  return result;
}

std::uint32_t packDosTimeInRange(const DateTime& t) {
  if (t.year < kDosFirstYear)
    return packDosTime(DateTime{kDosFirstYear, 1, 1, 0, 0, 0});
  if (t.year > kDosLastYear)
    return packDosTime(DateTime{kDosLastYear, 12, 31, 23, 59, 58});
  return packDosTime(t);
}

std::uint32_t dosTimeFromTimeT(std::time_t time) {
  return packDosTimeInRange(localDateTime(time));
}

} // namespace larkspur::platform
