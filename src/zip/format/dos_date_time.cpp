// The DOS date/time sanitiser and the date-time conversions built on the platform's packing.
#include "zip/format/dos_date_time.h"

namespace larkspur::zip {

namespace {

// Highest year the archive model accepts from a header.
constexpr int kLastSaneYear = 2099;
static_assert(kLastSaneYear <= platform::kDosLastYear);

// Lowers `value` to `high` or raises it to `low`, noting whether it had to.
void clamp(int& value, int low, int high, bool& changed) {
  if (value < low) {
    value = low;
    changed = true;
  } else if (value > high) {
    value = high;
    changed = true;
  }
}

} // namespace

std::uint32_t SanitizeDosDateTime(std::uint32_t dosDateTime) {
  DateTime t = platform::splitDosTime(dosDateTime);
  bool changed = false;
  clamp(t.hour, 0, 23, changed);
  clamp(t.minute, 0, 59, changed);
  clamp(t.second, 0, 59, changed);
  clamp(t.year, platform::kDosFirstYear, kLastSaneYear, changed);
  clamp(t.month, 1, 12, changed);
  clamp(t.day, 1, 31, changed);
  return changed ? platform::packDosTime(t) : dosDateTime;
}

std::optional<DateTime> DosDateTimeToDateTime(std::uint32_t dosDateTime) {
  const DateTime t = platform::splitDosTime(dosDateTime);
  if (!platform::isValidDateTime(t))
    return std::nullopt;
  return t;
}

std::uint32_t DateTimeToDosDateTime(const DateTime& time) {
  return platform::packDosTimeInRange(time);
}

DateTime NowDateTime() {
  return platform::localDateTime(std::time(nullptr));
}

std::optional<std::time_t> DateTimeToTimeT(const DateTime& time) {
  return platform::timeTFromLocal(time);
}

DateTime TimeTToDateTime(std::time_t time) {
  return platform::localDateTime(time);
}

} // namespace larkspur::zip
