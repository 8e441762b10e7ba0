// Byte text to UTF-16 through MultiByteToWideChar.
#include "dialog/win32/wide_text.h"

#include <windows.h>

#include <limits>

namespace larkspur::dialog::win32 {

std::wstring toWide(std::string_view text, unsigned codePage) {
  if (text.empty() || text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return std::wstring();
  }
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (length <= 0)
    return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
  return wide;
}

} // namespace larkspur::dialog::win32
