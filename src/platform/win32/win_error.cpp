// Error texts from FormatMessageA and FILETIME to DOS date/time conversion.
#include "platform/win32/win_error.h"

#include "platform/dos_time.h"

namespace larkspur::platform::win32 {

std::string systemReason(DWORD code) {
  char text[512] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, text, sizeof text, nullptr);
  std::string reason(text, n);
  while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' ||
                             reason.back() == ' ' || reason.back() == '.'))
    reason.pop_back();
  if (reason.empty())
    reason = "System error " + std::to_string(code);
  return reason;
}

std::uint32_t dosTimeOfFileTime(const FILETIME& utc) {
  FILETIME local{};
  WORD date = 0, time = 0;
  if (FileTimeToLocalFileTime(&utc, &local) && FileTimeToDosDateTime(&local, &date, &time))
    return static_cast<std::uint32_t>(date) << 16 | time;
  // FileTimeToDosDateTime refuses years before 1980 and after 2107: clamp those instead.
  SYSTEMTIME st{};
  if (!FileTimeToSystemTime(&local, &st))
    return packDosTimeInRange(DateTime{1980, 1, 1, 0, 0, 0});
  return packDosTimeInRange(
      DateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond});
}

} // namespace larkspur::platform::win32
